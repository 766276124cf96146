#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `report REC [raster options] [-o OUT.html] [--open]`: the page of every
/// decoding variant. Without -o it goes to "results.html" beside this
/// executable. Exit status 1 when the file cannot be written ("Cannot create
/// output file"; an earlier report stays as it was) and when the bits hold no
/// row (nothing written).
void AddReportCommand(CLI::App& app);

}  // namespace morvane::cli
