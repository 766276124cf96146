#pragma once
#include <array>

namespace morvane::sitor {

/// Seven soft bits of one word, bit 1 (the first sent) first: above 0 for B
/// (mark), below 0 for Y (space), the size the evidence (about -1 … 1).
using SoftBits = std::array<float, 7>;

/// One copy of a character decided on its soft bits.
struct WordDecision {
    int word = -1;        // the hard word (the sign of every bit), 0 … 127
    bool valid = false;   // the hard word has four marks
    int best = -1;        // the valid word nearest the soft bits
    float margin = 0.0f;  // how far the best valid word is ahead of the next one (0 … about 4)
};

/// The hard word and the constant-ratio word that fits the soft bits best:
/// the four strongest marks taken as B. The margin is what swapping the
/// weakest B with the strongest Y would cost (twice the sum of their sizes
/// past the middle), so a word with one doubtful bit has a small margin.
WordDecision DecideWord(const SoftBits& bits);

}  // namespace morvane::sitor
