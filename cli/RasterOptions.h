#pragma once
#include <CLI/CLI.hpp>

#include "cli/LevelSource.h"
#include "dsp/DemodSettings.h"
#include "raster/RasterParams.h"

namespace morvane::cli {

/// The raster layout and the two tones a command works with.
struct RasterOptions {
    RasterParams params;     // count 64, offset 0, slant 0, width 24, shift 0, grid on, contrast 0
    DemodSettings demod;     // low 1500 Hz (tone 1), high 2000 Hz (tone 2)
    bool timeTrue = false;   // rows start on the sound's time line (--time-true)
};

/// Adds --low HZ and --high HZ (tone 1 and tone 2, finite, 0 < f ≤ 24 000;
/// anything else is a usage error) bound to `demod`.
void AddToneOptions(CLI::App* command, DemodSettings& demod);

/// Adds the tones and the raster options --count --offset --slant --grid-width
/// --grid-shift --no-grid --contrast 0|1|2. Count ≤ 0, an offset outside the
/// stream, any slant (NaN and infinities included) and a grid width ≤ 0 are
/// accepted: the raster walk and the image give them defined results.
/// Also --time-true.
void AddRasterOptions(CLI::App* command, RasterOptions& options);

/// The level stream the raster shows under the options: the source's levels,
/// or with --time-true the time-true rows (params then start at 0 with no slant).
std::vector<std::int32_t> RasterLevels(const LevelSourceOptions& source, const RasterOptions& options,
                                       RasterParams& params);

}  // namespace morvane::cli
