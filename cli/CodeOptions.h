#pragma once
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "decode/TextCode.h"

namespace morvane::cli {

/// --code and --parity as typed (nothing when not given).
struct CodeOptions {
    std::optional<std::string> code;
    std::optional<std::string> parity;

    bool Given() const { return code.has_value() || parity.has_value(); }
    /// The code named (Baudot when none) and the parity bit named (none when
    /// not given), unchecked.
    CodeSettings Named() const;
};

/// Adds --code baudot|baudot-us|ascii7|ascii8 and --parity none|even|odd.
void AddCodeOptions(CLI::App* command, CodeOptions& options);

/// The code chosen. Throws CLI::ValidationError for a parity bit with a
/// Baudot code (it has none).
CodeSettings ChosenCode(const CodeOptions& options);

}  // namespace morvane::cli
