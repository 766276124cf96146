#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "decode/TextCode.h"

namespace morvane {

/// What was found about a transmission when its text began.
struct TransmissionInfo {
    std::int64_t firstSample = 0;  // sample of the first frame's start edge, counted from the stream's first sample
    double baud = 0.0;             // as measured
    double nominalBaud = 0.0;      // the usual rate nearest to baud; 0 when none is near
    double stopBits = 1.5;
    float tone1Hz = 0.0F;          // the tones the levels were demodulated with
    float tone2Hz = 0.0F;
    CodeSettings code;
    std::optional<double> quality;  // 0 … 1, the opening frames' quality, when the reading measures it
    /// When set, what the header says after the clock instead of the rate,
    /// tones and code (a reading that knows its own kind of header, such as
    /// a NAVTEX message's).
    std::string heading;
};

/// The name of a code as the live text shows it: "Baudot", "Baudot, US
/// figures", "ASCII 7-bit", "ASCII 8-bit, even parity", …
std::string CodeName(const CodeSettings& code);

/// The line that opens a transmission in the live text, for instance
/// "14:02:11 · 50 Bd · 1500/2000 Hz · Baudot": `clock` as given, the usual
/// rate (or the measured one to 0.1 Bd when none is near), tone 1 / tone 2
/// to 0.1 Hz without trailing zeros, the code, and when known the quality
/// (" · quality 0.87"); with a heading set, `clock` · heading. UTF-8, no line end.
std::string TransmissionHeader(std::string_view clock, const TransmissionInfo& info);

}  // namespace morvane
