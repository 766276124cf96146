#pragma once
#include "cli/DecodeOptions.h"

namespace morvane::cli {

/// decode --auto: the recording aligned by the program and decoded whole in
/// the code found, every option given winning over what was found (--code;
/// --parity alone for the ASCII code found). Without raster options the
/// frames are read as they were followed on the time line (one row per
/// frame: start, data and parity bits, stop), so a recording of any length
/// decodes whole; with --soft every bit (or raster cell) is decided from the
/// tone correlations summed over it. What was found goes to standard error.
/// Throws CliError (status 3) when nothing is found, CLI::ValidationError
/// for options that do not fit (before reading where they can be told).
void DecodeAuto(const DecodeOptions& options);

}  // namespace morvane::cli
