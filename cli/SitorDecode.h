#pragma once
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "cli/LevelSource.h"

namespace morvane::cli {

/// The words of decode for SITOR-B.
struct SitorChoice {
    bool navtex = false;              // --navtex: one block per message
    std::string diversity = "margin"; // --diversity margin|valid|off
};

/// Adds --navtex and --diversity to decode.
void AddSitorOptions(CLI::App* command, SitorChoice& choice);

/// True when --code names sitor-b.
bool SitorCodeNamed(const std::optional<std::string>& code);

/// decode --code sitor-b: the tones from --low/--high or found in the first
/// 30 s, the keying read at 100 baud, the text (or with --navtex the
/// messages, one block each; with -o DIR one file each in DIR) written out.
/// Throws CliError(kNothingFound) when no SITOR-B is found.
void SitorDecode(const LevelSourceOptions& source, std::optional<double> lowHz, std::optional<double> highHz,
                 const SitorChoice& choice, const std::string& output);

/// decode --auto on a recording: whether its first minute holds SITOR-B (then
/// it is read as SitorDecode does, and the code line with its reason goes to
/// standard error). Standard input is not looked at (false).
bool SitorAutoDecode(const LevelSourceOptions& source, std::optional<double> lowHz, std::optional<double> highHz,
                     const SitorChoice& choice, const std::string& output);

}  // namespace morvane::cli
