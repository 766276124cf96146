#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"

namespace morvane::cli {

/// `bits REC [raster options] [-o FILE]`: the bit string as extracted from
/// the raster, one line per row ended by CR LF.
void AddBitsCommand(CLI::App& app);

/// The soft reading: every cell decided from the tone energies summed over it.
struct SoftOptions {
    bool soft = false;       // --soft: read the energies instead of the levels
    std::int32_t trim = 0;   // --soft-trim N: windows left out at each end of a cell
};

/// Adds --soft and --soft-trim N (0 ... (cell - 1) / 2; only with --soft).
void AddSoftOptions(CLI::App* command, SoftOptions& options);

/// The bit string of a recording under the raster options, as "Extract bits"
/// gives it (or, with soft.soft, as the soft reading gives it). Says on
/// standard error why it is empty when the grid width leaves no bit cell or
/// the raster holds no level. A trim outside its range is a usage error.
std::string RecordingBits(const LevelSourceOptions& source, const RasterOptions& raster,
                          const SoftOptions& soft = {});

}  // namespace morvane::cli
