#pragma once
#include <CLI/CLI.hpp>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/LevelSource.h"
#include "sitor/ModeB.h"
#include "sitor/NavtexMessages.h"
#include "sitor/SitorSync.h"

namespace morvane::cli {

/// The words of decode for SITOR-B.
struct SitorChoice {
    bool navtex = false;              // --navtex: one block per message
    std::string diversity = "margin"; // --diversity margin|valid|off
};

/// The copy choice --diversity names.
sitor::CopyChoice DiversityChoice(const SitorChoice& choice);

/// The header of a run: "CLOCK · 100 Bd · LOW/HIGH Hz · SITOR-B · POLARITY".
std::string SitorRunHeader(const std::string& clock, double lowHz, double highHz, const sitor::SyncGuess& sync);

/// The header of a NAVTEX message: "CLOCK · NAVTEX B1B2B3B4 · station X · SUBJECT · number NN".
std::string SitorMessageHeader(const std::string& clock, const sitor::NavtexMessage& message);

/// The file a message is kept in: its identity (characters other than
/// letters and digits as '_'), "-2", "-3", … for later ones of the same
/// name (counted in `names`), ".txt".
std::string MessageFileName(const sitor::NavtexMessage& message, std::map<std::string, int>& names);

/// One signal of a recording read as SITOR-B.
struct SitorSignal {
    bool found = false;           // two stretches of 35 words or more locked
    std::string heading;          // "100 Bd · LOW/HIGH Hz · SITOR-B · POLARITY"
    std::string text;             // as decode --code sitor-b prints it, without the last CR LF
    std::int64_t firstSample = 0; // of the first character
};

/// Reads the recording once, as SITOR-B at each pair of tones (low, high),
/// the pairs side by side: one result a pair.
std::vector<SitorSignal> ReadSitorSignals(const LevelSourceOptions& source,
                                          const std::vector<std::pair<double, double>>& tones);

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

/// decode --auto on a recording or standard input: whether its first minute
/// holds SITOR-B (then it is read as SitorDecode does, and the code line
/// with its reason goes to standard error). Standard input's first minute is
/// held; when it holds no SITOR-B, standard input is handed on to the other
/// readers from its first sample as it came. Live sound is not looked at (false).
bool SitorAutoDecode(const LevelSourceOptions& source, std::optional<double> lowHz, std::optional<double> highHz,
                     const SitorChoice& choice, const std::string& output);

}  // namespace morvane::cli
