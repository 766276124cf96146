#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `spectrum REC [--block K] [-o FILE]`: the display level of bins 0 … 4095 of
/// block K, as the waterfall gets it, one level a line.
void AddSpectrumCommand(CLI::App& app);

}  // namespace morvane::cli
