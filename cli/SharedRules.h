#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

#include "decode/TextCode.h"

namespace morvane::cli {

struct SoftOptions;

/// Adds -o,--output FILE (standard output when not given).
CLI::Option* AddOutputOption(CLI::App* command, std::string& output,
                             const std::string& help = "Write to FILE instead of standard output");

/// --soft does not combine with --time-true: a usage error.
void CheckSoftNotTimeTrue(const SoftOptions& soft, bool timeTrue);

/// With --soft, --soft-trim must leave a window of every full cell of a raster
/// whose grid is `gridWidth` pixels (a cell of gridWidth / 2 windows):
/// 0 ... (cell - 1) / 2. Anything else is a usage error.
void CheckSoftTrim(const SoftOptions& soft, std::int32_t gridWidth);

/// A parity bit goes only with an ASCII code: a usage error for a Baudot
/// code, worded for a code given with --code (`found` false) or found in the
/// frames (`found` true).
void CheckParity(const CodeSettings& code, bool found);

}  // namespace morvane::cli
