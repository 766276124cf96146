#pragma once
#include <CLI/CLI.hpp>

#include <string>

#include "decode/TextCode.h"

namespace morvane::cli {

/// --code and --parity as typed.
struct CodeOptions {
    std::string code = "baudot";
    std::string parity = "none";
};

/// Adds --code baudot|baudot-us|ascii7|ascii8 and --parity none|even|odd.
void AddCodeOptions(CLI::App* command, CodeOptions& options);

/// The code chosen. Throws CLI::ValidationError for a parity bit with a
/// Baudot code (it has none).
CodeSettings ChosenCode(const CodeOptions& options);

}  // namespace morvane::cli
