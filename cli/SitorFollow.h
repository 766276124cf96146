#pragma once
#include <optional>
#include <string>

#include "cli/LevelSource.h"
#include "cli/SitorDecode.h"

namespace morvane::cli {

/// decode --code sitor-b --follow (a recording, - for standard input) and
/// --live: the sound read as it comes, the text written (and flushed) as
/// soon as each character is final, about 7 s after it was sent; the header
/// of every run (time, 100 Bd, tones, SITOR-B, polarity) and of every NAVTEX
/// message (time, identity, station, subject in words, number) to standard
/// error where it begins. With --navtex each message's block is written once
/// it has ended (with -o DIR as a file of its own), a repeat no better than
/// a copy before left out. The clock is the stream's time, the time of day
/// with --live. The tones not given are found on the first 30 s of a
/// recording, and of standard input and live sound as soon as they show
/// (tried again every 10 s until found). On a recording the text is that of
/// decode --code sitor-b. Throws CliError(kNothingFound) when nothing was read.
void SitorFollow(const LevelSourceOptions& source, std::optional<double> lowHz, std::optional<double> highHz,
                 const SitorChoice& choice, const std::string& output);

}  // namespace morvane::cli
