#pragma once
#include <CLI/CLI.hpp>

#include <string>

#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"

namespace morvane::cli {

/// `bits REC [raster options] [-o FILE]`: the bit string as extracted from
/// the raster, one line per row ended by CR LF.
void AddBitsCommand(CLI::App& app);

/// The bit string of a recording under the raster options, as "Extract bits"
/// gives it. Says on standard error why it is empty when the grid width
/// leaves no bit cell or the raster holds no level.
std::string RecordingBits(const LevelSourceOptions& source, const RasterOptions& raster);

}  // namespace morvane::cli
