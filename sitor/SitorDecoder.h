#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sitor/ModeB.h"
#include "sitor/SitorSync.h"

namespace morvane::sitor {

/// One character read from the soft bits; `word` -1 for an error.
struct ReadCharacter {
    int word = -1;
    bool fromRx = false;
    std::int64_t bit = 0;       // the DX copy's first bit
    bool afterGap = false;      // the first character after a stretch that held no SITOR-B
};

/// What a stretch of soft bits holds: the characters, and the stretches read.
struct SitorReading {
    std::vector<ReadCharacter> characters;
    int blocks = 0;            // stretches of 35 words looked at
    int lockedBlocks = 0;      // ... that held SITOR-B
    SyncGuess strongest;       // the locked stretch with most valid words (or the best of all)
};

/// Words looked at together (70), and the words each stretch reads (its middle 35).
inline constexpr int kSyncWindowBits = 490;
inline constexpr int kBlockBits = 245;

/// Reads SITOR-B from soft bits: every 35 words the word phase, polarity and
/// DX positions are found afresh over the 70 words around them (FindSync),
/// and the DX characters of locked stretches are taken from their two
/// copies by `choice`. Stretches that are not locked give nothing.
SitorReading ReadSitorB(const std::vector<float>& bits, CopyChoice choice);

/// The DX characters whose first copy starts in bits [from, to) of the
/// stream, read with `g`; `bits` holds the stream from bit `base` on.
/// `confirmed` (when given) gets whether each one's two copies are the same
/// valid word (or a phasing pair).
std::vector<ReadCharacter> BlockCharacters(const std::vector<float>& bits, std::int64_t base, std::int64_t from,
                                           std::int64_t to, const SyncGuess& g, CopyChoice choice,
                                           std::vector<bool>* confirmed);

/// The characters of a stretch that is not locked itself, read on with the
/// sync of its locked neighbour (after it when `forward`, before it
/// otherwise): from the neighbour's side as long as the copies confirm each
/// other (a run of two that do not ends it).
std::vector<ReadCharacter> Extension(std::vector<ReadCharacter> chars, const std::vector<bool>& confirmed, bool forward);

/// Errors at the end of a locked run (from `runStart` on) are the steady
/// tone or the noise around the emission, not characters: dropped.
void TrimRunEnd(std::vector<ReadCharacter>& chars, std::size_t runStart);

/// The text of the characters (Ccir476Printer); a line break before the
/// first character after a gap unless the text already stands at a line start.
/// `starts`, when given, gets where each character's text begins.
std::string SitorText(const std::vector<ReadCharacter>& characters, std::vector<std::size_t>* starts = nullptr);

}  // namespace morvane::sitor
