#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace morvane::sitor {

/// Where the words and the DX copies lie in a stretch of soft bits.
struct SyncGuess {
    int phase = 0;           // first bit of a word: phase, phase + 7, … (0 … 6)
    bool inverted = false;   // B on the low side of the soft bits
    int dxParity = 0;        // words 2k + dxParity (counted from bit `phase`) are DX copies
    int words = 0;           // words in the stretch
    double valid = 0.0;      // share of the words with four marks
    double repeat = 0.0;     // share of the DX copies repeated 35 bits later
    double phasing = 0.0;    // share of the DX copies that are phasing pairs (RQ, then α)
    bool locked = false;     // the stretch holds SITOR-B
};

/// Least share of constant-ratio words, and of DX copies repeated or
/// phasing, for a stretch to count as SITOR-B. Random bits give words of four
/// marks in 35 of 128 cases (27 %) and a repetition in about 1 of 35.
inline constexpr double kLockValid = 0.5;
inline constexpr double kLockRepeat = 0.25;

/// The word phase, polarity and DX positions that fit bits [from, to) of
/// `bits` best (the polarity from the share of valid words: inverted words
/// have three marks), and whether they fit well enough to read.
SyncGuess FindSync(const std::vector<float>& bits, std::int64_t from, std::int64_t to);

}  // namespace morvane::sitor
