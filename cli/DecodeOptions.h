#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "cli/CodeOptions.h"
#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"
#include "cli/ReceiverDecode.h"
#include "cli/SitorDecode.h"
#include "cli/SoftOptions.h"

namespace morvane::cli {

/// Everything `decode` takes; the values other values can stand in for are
/// empty when not given.
struct DecodeOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    SoftOptions soft;
    CodeOptions code;
    std::optional<std::int32_t> ignore;
    bool reverseBits = false;
    bool reverseDirection = false;
    bool showBits = false;
    bool autoAlign = false;
    bool follow = false;
    bool all = false;  // --all: every signal in the passband
    std::string output;
    ReceiverChoice receiver;  // --reader, --squelch, --no-unshift-on-space
    SitorChoice sitor;        // --navtex, --diversity

    std::int32_t Ignore() const { return ignore.value_or(0); }
};

/// Writes the decoded text (after the working bits with --show-bits) and CR LF.
void WriteDecoded(const DecodeOptions& options, const std::string& bits, std::int32_t ignore,
                  const CodeSettings& code);

}  // namespace morvane::cli
