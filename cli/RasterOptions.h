#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <vector>

#include "cli/LevelSource.h"
#include "dsp/DemodSettings.h"
#include "raster/RasterParams.h"

namespace morvane::cli {

/// --low and --high as given (nothing when not given).
struct ToneOptions {
    std::optional<float> low;   // tone 1 in Hz
    std::optional<float> high;  // tone 2 in Hz

    /// The tones given over the defaults (1500 Hz and 2000 Hz).
    DemodSettings Demod() const;
    /// The tones not given, to be found from the sound when asked for.
    ToneSearch Missing() const { return {!low.has_value(), !high.has_value()}; }
};

/// The raster layout and the two tones a command works with; the options
/// that other values can stand in for are empty when not given.
struct RasterOptions {
    ToneOptions tones;
    std::optional<std::int32_t> count, offset, gridWidth, gridShift;
    std::optional<float> slant;
    std::int32_t showGrid = 1;      // 0 with --no-grid
    std::int32_t contrastMode = 0;
    bool timeTrue = false;          // rows start on the sound's time line (--time-true)

    /// The layout given over `base` (by default count 64, offset 0, slant 0,
    /// width 24, shift 0, grid on, contrast 0).
    RasterParams Params(RasterParams base = {}) const;
    /// Whether any of --count, --offset, --slant, --grid-width was given.
    bool LayoutGiven() const { return count || offset || slant || gridWidth; }
};

/// Adds --low HZ and --high HZ (tone 1 and tone 2, finite, 1 ≤ f ≤ 24 000;
/// anything else is a usage error).
void AddToneOptions(CLI::App* command, ToneOptions& tones);

/// Adds the tones and the raster options --count --offset --slant --grid-width
/// --grid-shift --no-grid --contrast 0|1|2. Count ≤ 0, an offset outside the
/// stream and a grid width ≤ 0 are accepted: the raster walk and the image
/// give them defined results; a slant must be finite as a 32-bit float.
/// Also --time-true.
void AddRasterOptions(CLI::App* command, RasterOptions& options);

/// The level stream the raster shows under the options: the source's levels,
/// or with --time-true the time-true rows (params then start at 0 with no slant).
std::vector<std::int32_t> RasterLevels(const LevelSourceOptions& source, const RasterOptions& options,
                                       RasterParams& params);

}  // namespace morvane::cli
