#pragma once
#include <string>

#include <CLI/CLI.hpp>

#include "cli/LevelSource.h"
#include "receiver/ReceiverTypes.h"

namespace morvane::cli {

/// decode --auto --all: every keyed signal of the recording, standard input
/// or (--live) the sound card read by a receiver of its own. Without `follow`, one block per
/// signal in the order of its lower tone: "== TIME · RATE · TONES · CODE",
/// then its whole text. With `follow`, every piece as it comes, each line
/// opened with the signal's tones ("[1500/1950] "), the headers to standard
/// error. Live sound's headers carry the time of day its transmission
/// began (blocks printed once the capture ends). `receiver` gives the code, squelch and unshift for all. Throws
/// CliError(kNothingFound) when no signal was received.
void AllSignalsDecode(const LevelSourceOptions& source, const ReceiverOptions& receiver, bool follow,
                      const std::string& output);

/// --all goes only with --auto, read from the samples, and without
/// --low/--high (the tones are found): a usage error otherwise.
void CheckAllSignals(bool all, bool autoAlign, bool tonesGiven, bool receiverReads);

}  // namespace morvane::cli
