#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/LevelSource.h"
#include "decode/TextCode.h"
#include "receiver/ReceiverTypes.h"

namespace morvane::cli {

/// decode --auto read by the receiver, straight from the recording's samples
/// (48 kHz): every transmission's header (stream time, rate, tones, code,
/// quality) to standard error, its text on a new line of `output` (standard
/// output when empty). With `follow` every piece is written and flushed as it
/// comes. `parityAlone` (--parity without --code) goes with the code found:
/// a usage error when that is Baudot. Throws CliError(kNothingFound) when
/// nothing was received.
void ReceiverDecode(const LevelSourceOptions& source, const ReceiverOptions& options, bool follow,
                    const std::string& output, std::optional<Parity> parityAlone = std::nullopt);

}  // namespace morvane::cli

namespace morvane::cli {

/// The words of decode that choose and set the receiver.
struct ReceiverChoice {
    std::string reader = "samples";  // --reader samples|levels
    std::string squelch = "8";       // --squelch DB|off
    bool noUnshift = false;          // --no-unshift-on-space
};

struct DecodeOptions;
struct ToneOptions;
struct CodeOptions;

/// Adds --reader, --squelch and --no-unshift-on-space to decode.
void AddReceiverOptions(CLI::App* command, ReceiverChoice& choice);

/// hh:mm:ss of a sample on the recording's time line (sample ≥ 0).
std::string StreamClock(std::int64_t sample);

/// A received transmission's header line: its time, rate, tones, code and quality.
std::string ReceivedHeader(const ReceivedTransmission& transmission);

/// True when decode --auto is read by the receiver: --reader samples (the
/// default) on a recording or standard input, without raster options,
/// --soft-trim, --reverse-bits/--reverse-direction/--ignore, --show-bits or
/// --time-true.
bool UseReceiver(const DecodeOptions& options);

/// The receiver's settings from the command line: the tones given with
/// --low/--high, the code with --code (and --parity), the squelch and
/// unshift. Throws CLI::ValidationError for a parity bit with a Baudot code.
ReceiverOptions ReceiverSettings(const ReceiverChoice& choice, const ToneOptions& tones, const CodeOptions& code);

}  // namespace morvane::cli
