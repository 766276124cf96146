#pragma once
#include <CLI/CLI.hpp>

#include <string>

#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"
#include "cli/SoftOptions.h"

namespace morvane::cli {

/// `bits REC [raster options] [-o FILE]`: the bit string as extracted from
/// the raster, one line per row ended by CR LF.
void AddBitsCommand(CLI::App& app);

/// The bit string of a recording under the raster options, as "Extract bits"
/// gives it (or, with soft.soft, as the soft reading gives it). Says on
/// standard error why it is empty when the grid width leaves no bit cell or
/// the raster holds no level. A trim outside its range is a usage error.
std::string RecordingBits(const LevelSourceOptions& source, const RasterOptions& raster,
                          const SoftOptions& soft = {});

}  // namespace morvane::cli
