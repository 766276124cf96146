#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channel/HfChannel.h"

namespace morvane::cli {

/// The channel simulator's options as typed (shared by synth and channel).
struct ChannelOptions {
    std::string preset = "none";
    int paths = 1;
    double delayMs = 0.0;
    double dopplerHz = 0.0;
    double offsetHz = 0.0;
    double driftHzPerMinute = 0.0;
    std::vector<std::string> carriers;  // HZ:DB
    std::vector<std::string> mixes;     // FILE:DB:SHIFT_HZ
    double silenceSeconds = 0.0;
    std::vector<CLI::Option*> given;    // every option above, to tell whether any was used
    CLI::Option* pathsOption = nullptr;
    CLI::Option* delayOption = nullptr;
    CLI::Option* dopplerOption = nullptr;
};

/// Adds --channel none|good|moderate|poor|flutter, --paths, --delay-ms,
/// --doppler-hz, --offset-hz, --drift-hz-per-min, --cw HZ:DB (repeatable),
/// --mix FILE:DB:SHIFT_HZ (repeatable) and --silence S.
void AddChannelOptions(CLI::App* command, ChannelOptions& options);

/// The whole of a recording's channel (1 is the first) at 48 kHz; the
/// reader's warning, if any, goes to standard error once it has been read.
/// Throws CliError (status 1) when it cannot be read.
std::vector<std::int16_t> ReadWholeRecording(const std::string& path, std::int32_t channel);

/// Whether any of those options was given.
bool AnyChannelOption(const ChannelOptions& options);

/// The settings they describe, with the noise and the seed; the mixed
/// recordings are read here. Throws CLI::ValidationError for a malformed
/// --cw or --mix and CliError for a recording that cannot be read.
ChannelSettings ChosenChannel(const ChannelOptions& options, std::optional<double> snrDb, std::uint64_t seed);

}  // namespace morvane::cli
