#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dsp/DemodSettings.h"
#include "dsp/DemodOutputs.h"

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
/// std::runtime_error ("cannot read ...") when it cannot be read. The outputs
/// asked for (soft correlations, timeline) are filled, one entry per level.
std::vector<std::int32_t> ObtainLevels(const LevelSourceOptions& options, const DemodSettings& demod,
                                       DemodOutputs outputs = {});

/// Gets a piece of the level stream as soon as it is produced.
using LevelHandler = std::function<void(const std::int32_t* levels, std::size_t count)>;

/// The same level stream handed to `onLevels` a block at a time, in constant
/// memory for a recording or standard input. Reports a recording's warning
/// (a cut-off file) once it has been read. Throws as ObtainLevels.
void StreamLevels(const LevelSourceOptions& options, const DemodSettings& demod, const LevelHandler& onLevels);

}  // namespace morvane::cli
