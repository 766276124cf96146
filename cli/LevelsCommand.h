#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `levels REC [--low HZ] [--high HZ] [-o FILE]`: the level stream, one integer a line.
void AddLevelsCommand(CLI::App& app);

}  // namespace morvane::cli
