#include "sitor/SitorReader.h"

#include <algorithm>

#include "sitor/Ccir476.h"

namespace morvane::sitor {

namespace {
constexpr std::int64_t kMargin = (kSyncWindowBits - kBlockBits) / 2;
// FindSync looks for repeats up to this far past the end of its window.
constexpr std::int64_t kRepeatReach = kRepeatSlots * kWordBits;
constexpr std::int64_t kPairBits = 2 * kWordBits;
}  // namespace

void SitorReader::Add(const float* bits, std::size_t count, std::vector<ReadCharacter>& out) {
    m_bits.insert(m_bits.end(), bits, bits + count);
    Guess(false);
    Read(false, out);
    Trim();
}

void SitorReader::Finish(std::vector<ReadCharacter>& out) {
    Guess(true);
    Read(true, out);
    if (!m_gap) EndRun();
    // A new stream from here; what was seen stays counted.
    m_bits.clear();
    m_base = 0;
    m_guesses.clear();
    m_guessBase = 0;
    m_next = 0;
    m_gap = true;
}

void SitorReader::Guess(bool ended) {
    const std::int64_t size = BitsSeen();
    for (;;) {
        const std::int64_t block = (m_guessBase + static_cast<std::int64_t>(m_guesses.size())) * kBlockBits;
        if (block >= size) return;
        const std::int64_t to = block + kBlockBits + kMargin;
        if (!ended && size < to + kRepeatReach) return;  // what it sees may still grow
        const SyncGuess g = FindSync(m_bits, block - kMargin - m_base, to - m_base);
        ++m_blocks;
        m_lockedBlocks += g.locked;
        const bool stronger = g.locked ? (!m_strongest.locked || g.valid > m_strongest.valid)
                                       : (!m_strongest.locked && g.valid > m_strongest.valid);
        if (stronger) m_strongest = g;
        m_guesses.push_back(g);
    }
}

void SitorReader::Emit(ReadCharacter c, std::vector<ReadCharacter>& out) {
    if (m_gap && c.word < 0) return;  // a run starts at its first good character
    c.afterGap = m_gap;
    m_gap = false;
    if (c.word < 0) {
        m_pending.push_back(c);
        return;
    }
    out.insert(out.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();
    out.push_back(c);
}

void SitorReader::Read(bool ended, std::vector<ReadCharacter>& out) {
    const std::int64_t known = m_guessBase + static_cast<std::int64_t>(m_guesses.size());
    const auto guess = [this](std::int64_t b) -> const SyncGuess& { return m_guesses[static_cast<std::size_t>(b - m_guessBase)]; };
    // A block is read once its successor's guess is known (or there is none).
    for (; m_next < known && (ended || m_next + 1 < known); ++m_next) {
        const std::int64_t b = m_next;
        const std::int64_t from = b * kBlockBits, to = from + kBlockBits;
        const bool hasNext = b + 1 < known;
        std::vector<ReadCharacter> piece;
        if (guess(b).locked) {
            piece = BlockCharacters(m_bits, m_base, from, to, guess(b), m_choice, nullptr);
        } else {
            const bool after = b > 0 && guess(b - 1).locked;
            const bool before = hasNext && guess(b + 1).locked;
            if (after || before) {
                std::vector<bool> confirmed;
                piece = BlockCharacters(m_bits, m_base, from, to, guess(after ? b - 1 : b + 1), m_choice, &confirmed);
                piece = Extension(std::move(piece), confirmed, after);
            }
            if (!after && !m_gap) EndRun();
            if (!after) m_gap = true;
        }
        for (const ReadCharacter& c : piece) Emit(c, out);
        if (!guess(b).locked && !piece.empty() && hasNext && !guess(b + 1).locked) {
            EndRun();
            m_gap = true;
        }
    }
}

void SitorReader::Trim() {
    // Block m_next reads from its own first bit on, its guess is known and
    // the next guess looks back less far; the block before's guess is
    // still asked for.
    while (m_guessBase + 1 < m_next && !m_guesses.empty()) {
        m_guesses.pop_front();
        ++m_guessBase;
    }
    const std::int64_t keep = std::min(m_next * kBlockBits, (m_guessBase + static_cast<std::int64_t>(m_guesses.size())) * kBlockBits - kMargin);
    const std::int64_t base = std::max<std::int64_t>(0, keep) / kPairBits * kPairBits;
    if (base <= m_base) return;
    m_bits.erase(m_bits.begin(), m_bits.begin() + (base - m_base));
    m_base = base;
}

}  // namespace morvane::sitor
