#pragma once
#include <cstdint>
#include <string>

#include "align/FrameModel.h"
#include "decode/TextCode.h"
#include "raster/RasterParams.h"

namespace morvane {

/// What the frame finder found in a level stream.
struct FrameAlignment {
    bool found = false;
    std::string reason;           // why nothing was found (empty when found)

    FrameModel model;             // on the time grid (one step = one level window)
    double baud = 0.0;            // bits per second
    double nominalBaud = 0.0;     // the usual rate nearest to `baud` (45.45, 50, 75, 100, …), 0 if none is within 2 %
    double drift = 0.0;           // baud / nominalBaud − 1 (the sender's clock against the sound card's); 0 without a nominal rate
    double firstFrameSample = 0;  // sample position of the first frame's start bit edge
    std::int64_t frames = 0;      // frames followed
    double confidence = 0.0;      // 0 … 1: share of the followed frames that are well framed, times the frame contrast

    // How the plain raster and the Bits extract options read the frames.
    RasterParams raster;          // count, offset, slant and gridWidth of one frame per row
    bool reverseBits = false;     // mark is tone 2
    bool reverseDirection = true; // code bits least significant first (the usual order)
    std::int32_t ignore = 0;      // leading cells to skip after the transformations

    // The character code the framing and the text point to, and why.
    CodeSettings code;            // Baudot unless the frames say otherwise
    std::string codeReason;       // one line: what decided the code
};

}  // namespace morvane
