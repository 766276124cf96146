#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "decode/TextCode.h"

namespace morvane {

/// How the receiver reads a transmission; anything left empty it finds itself.
struct ReceiverOptions {
    double sampleRate = 48000.0;        // samples per second, 1 000 … 10 000 000
    std::optional<double> tone1Hz;      // the low tone ("Low:"), 50 … sampleRate / 2
    std::optional<double> tone2Hz;      // the high tone ("High:")
    std::optional<CodeSettings> code;   // the code; found from the frames when empty
    std::optional<Parity> parity;       // without a code: the parity bit the ASCII code found is read with
    bool unshiftOnSpace = true;         // Baudot: a space in figures returns to letters
    std::optional<double> squelchDb = 8.0;  // least tone-over-noise (dB) of the frames that open; empty: squelch off
};

/// What the receiver found about a transmission when its text began.
struct ReceivedTransmission {
    std::int64_t firstSample = 0;  // sample of the first frame's start edge
    double baud = 0.0;             // as measured
    double stopBits = 1.5;
    double tone1Hz = 0.0;          // the low tone as followed when the text began
    double tone2Hz = 0.0;
    bool markIsTone1 = false;
    CodeSettings code;
    double quality = 0.0;          // 0 … 1: the opening frames' mean quality
    double snrDb = 0.0;            // the tones over their noise floor at the start (dB)
};

/// A piece of received text; a piece that opens a transmission carries its header.
struct ReceiverPiece {
    bool opens = false;
    ReceivedTransmission transmission;  // valid when opens
    std::string text;                   // UTF-8; a line break is CR LF
};

}  // namespace morvane
