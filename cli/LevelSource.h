#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dsp/DemodSettings.h"

namespace morvane {
class RecordingReader;
}

namespace morvane::cli {

/// Where a command's level stream comes from.
struct LevelSourceOptions {
    std::string recording;  // a sound file, or "-": raw 16-bit little-endian mono 48 kHz on standard input
    std::int32_t channel = 1;  // channel of a multi-channel recording; 1 is the first
    bool live = false;         // the sound card instead of a recording (set by --live where built)
    double seconds = 0.0;      // with --live: capture this long (0: until Ctrl-C)
    CLI::App* command = nullptr;  // the command these options belong to (for its extra words)
};

/// --channel's check: a whole number from 1 up.
CLI::Validator ChannelNumber();

/// Prints the reader's warning, if any, to standard error.
void ReportWarning(const RecordingReader& reader);

/// Adds the positional REC and --channel N to a command.
void AddLevelSourceOptions(CLI::App* command, LevelSourceOptions& options);

/// The level stream of the chosen source, demodulated against `demod`.
/// Throws CLI::ValidationError when no source was named, CliError or
/// std::runtime_error ("cannot read ...") when it cannot be read.
std::vector<std::int32_t> ObtainLevels(const LevelSourceOptions& options, const DemodSettings& demod);

/// Hands the stream so far to a caller while it grows.
using LevelsSoFar = std::function<void(const std::vector<std::int32_t>&)>;

/// The same, calling `afterBlock` with the stream so far after every block
/// of the recording, of standard input or of the sound card.
std::vector<std::int32_t> ObtainLevels(const LevelSourceOptions& options, const DemodSettings& demod,
                                       const LevelsSoFar& afterBlock);

}  // namespace morvane::cli
