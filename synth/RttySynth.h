#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "decode/TextCode.h"
#include "dsp/SampleFormat.h"

namespace morvane {

/// How a test transmission sounds.
struct RttySynthSettings {
    double markHz = 1500.0;    // tone of bit 1 and of the stop bits; 0 < f < 24 000
    double spaceHz = 2000.0;   // tone of bit 0 and of the start bit; 0 < f < 24 000
    double baud = 50.0;        // bits per second; the longest bit may last 48 000 samples (baud ≥ 1)
    double stopBits = 1.5;     // length of the stop element in bits, 1 … 2
    double idleSeconds = 0.5;  // steady mark before and after the text, 0 … 60 s
    std::optional<double> snrDb;  // white Gaussian noise at this signal-to-noise ratio in 3 kHz; none: clean
    std::uint64_t seed = 1;       // noise seed; the same seed gives the same noise
    CodeSettings code;            // the character code and, for ASCII, the parity bit
};

/// Longest signal SynthesizeRtty makes, in samples (two hours at 48 kHz).
inline constexpr std::int64_t kMaxSynthSamples = std::int64_t{kSampleRate} * 7200;

/// Five-bit teleprinter codes (0 … 31) of UTF-8 text: lower case folded to
/// upper case, a space sent as code 4, a line feed (or CR LF, or a lone CR)
/// as the line-break code 8, letters/figures shifts inserted where the next
/// character needs the other state (the receiver starts in letters). Throws
/// std::invalid_argument naming the first character that has no code.
std::vector<std::uint8_t> EncodeBaudot(std::string_view utf8Text);

/// The codes of UTF-8 text in `code`: Baudot as EncodeBaudot; the US figures
/// likewise with $ ' " # ; ? and the bell (U+0007) in figures; ASCII 7 the
/// characters U+0000 … U+007F as they are (no case folding, line breaks as
/// given); ASCII 8 every byte of the text as it is. Throws
/// std::invalid_argument naming the first character that has no code.
std::vector<std::uint8_t> EncodeText(std::string_view utf8Text, TextCode code);

/// A phase-continuous two-tone transmission of the text as signed 16-bit
/// samples at 48 kHz: idle mark, then per character a start bit (space), the
/// code bits (five, or 7 or 8 for ASCII) least significant first (1 = mark),
/// for ASCII with parity the parity bit, and the stop element (mark), then
/// idle mark again. Bit edges fall on the nearest sample of the
/// exact bit clock. Throws std::invalid_argument for settings outside their
/// ranges or a signal longer than kMaxSynthSamples.
std::vector<std::int16_t> SynthesizeRtty(std::string_view utf8Text, const RttySynthSettings& settings);

}  // namespace morvane
