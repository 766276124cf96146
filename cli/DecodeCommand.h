#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `decode REC [raster options] [--ignore N] [--reverse-bits]
/// [--reverse-direction] [--show-bits] [-o FILE]`: the Baudot text of the
/// extracted bits after the chosen transformations.
void AddDecodeCommand(CLI::App& app);

}  // namespace morvane::cli
