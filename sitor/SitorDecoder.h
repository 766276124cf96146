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

/// The text of the characters (Ccir476Printer); a line break before the
/// first character after a gap unless the text already stands at a line start.
/// `starts`, when given, gets where each character's text begins.
std::string SitorText(const std::vector<ReadCharacter>& characters, std::vector<std::size_t>* starts = nullptr);

}  // namespace morvane::sitor
