#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include "sitor/ModeB.h"
#include "sitor/SitorDecoder.h"
#include "sitor/SitorSync.h"

namespace morvane::sitor {

/// Reads SITOR-B from soft bits as they come, exactly as ReadSitorB reads
/// them whole: the same characters in the same order, each handed out once
/// the bits after it that could still change it have arrived (two stretches
/// of 35 words and a little more, about 6.5 s at 100 baud). Only the bits it
/// can still reach are kept, so an endless stream runs in bounded memory.
class SitorReader {
public:
    explicit SitorReader(CopyChoice choice = CopyChoice::Margin) : m_choice(choice) {}

    /// Adds the next `count` soft bits (about -1 … 1) and appends the
    /// characters that became final to `out`.
    void Add(const float* bits, std::size_t count, std::vector<ReadCharacter>& out);
    /// The bits have ended: appends the rest. Later calls start a new stream
    /// (the counts below go on).
    void Finish(std::vector<ReadCharacter>& out);

    /// Stretches looked at, those locked, and the strongest so far (as SitorReading has them).
    int Blocks() const { return m_blocks; }
    int LockedBlocks() const { return m_lockedBlocks; }
    const SyncGuess& Strongest() const { return m_strongest; }
    /// The first bit a character handed out later can start at.
    std::int64_t Reach() const { return m_pending.empty() ? m_base : std::min(m_base, m_pending.front().bit); }
    /// Bits added so far.
    std::int64_t BitsSeen() const { return m_base + static_cast<std::int64_t>(m_bits.size()); }

private:
    void Guess(bool ended);
    void Read(bool ended, std::vector<ReadCharacter>& out);
    void Emit(ReadCharacter c, std::vector<ReadCharacter>& out);
    void EndRun() { m_pending.clear(); }
    void Trim();

    CopyChoice m_choice;
    std::vector<float> m_bits;   // the stream from bit m_base on (m_base a multiple of two words)
    std::int64_t m_base = 0;
    std::deque<SyncGuess> m_guesses;  // of blocks m_guessBase …
    std::int64_t m_guessBase = 0;
    std::int64_t m_next = 0;          // the next block to read
    bool m_gap = true;
    std::vector<ReadCharacter> m_pending;  // errors at the end of the run so far: dropped if it ends there
    int m_blocks = 0, m_lockedBlocks = 0;
    SyncGuess m_strongest;
};

}  // namespace morvane::sitor
