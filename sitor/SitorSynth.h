#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::sitor {

/// How a SITOR-B test emission sounds.
struct SitorSynthSettings {
    double markHz = 1785.0;     // tone of B (1); NAVTEX in upper sideband: the higher tone; 0 < f < 24 000
    double spaceHz = 1615.0;    // tone of Y (0)
    double baud = 100.0;        // bits per second, 1 … 48 000
    double idleSeconds = 0.5;   // steady mark before and after the emission, 0 … 60 s
    double phasingSeconds = 2.0;  // phasing signals at the start, 0 … 60 s (a whole number of pairs)
    std::optional<double> snrDb;  // white Gaussian noise at this SNR in 3 kHz; none: clean
    std::uint64_t seed = 1;
};

/// "ZCZC B1B2B3B4", CR LF, the text, CR LF, "NNNN", CR LF LF: the NAVTEX
/// message around `text`. Throws std::invalid_argument unless `id` is a
/// letter, a letter and two digits.
std::string NavtexText(std::string_view id, std::string_view text);

/// The slots' words as a phase-continuous two-tone signal, 16-bit samples at
/// 48 kHz, every word bit 1 first: idle mark, the slots, idle mark. Clean it
/// peaks at 16 000; with noise the sum has an RMS of 6 000.
std::vector<std::int16_t> SynthesizeSlots(const std::vector<std::uint8_t>& slots, const SitorSynthSettings& settings);

/// The text in CCIR 476 words, sent in mode B (phasing, both copies, end of
/// emission). Throws std::invalid_argument for a character without a word or
/// settings out of range.
std::vector<std::int16_t> SynthesizeSitorB(std::string_view utf8Text, const SitorSynthSettings& settings);

}  // namespace morvane::sitor
