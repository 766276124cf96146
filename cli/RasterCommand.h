#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `raster REC --size WxH [raster options] -o OUT.png`: the raster image of the
/// recording's level stream as an RGB PNG file.
void AddRasterCommand(CLI::App& app);

}  // namespace morvane::cli
