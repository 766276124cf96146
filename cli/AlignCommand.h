#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `align REC [--low HZ] [--high HZ]`: finds the tones (unless given), the
/// frames, polarity, direction and ignore count, prints them and the option
/// line for raster, bits, decode and report. Exit status 3 when no tones or
/// no frames are found.
void AddAlignCommand(CLI::App& app);

}  // namespace morvane::cli
