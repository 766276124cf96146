#pragma once
#include <optional>
#include <string>

#include "cli/CodeOptions.h"
#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"

namespace morvane::cli {

/// decode --auto --follow: the live text engine on the source, block by
/// block. Text goes to `output` (standard output for "") as it is decoded,
/// flushed after every block; every transmission's header line goes to
/// standard error ("morvane-cli: 00:00:01 · 50 Bd · 1500/2000 Hz · Baudot",
/// the clock being the stream time of its first frame, or the wall clock
/// with --live), and a transmission after the first starts on a new line.
/// The tones not given are found from the first seconds of the stream. With
/// --code the frames are read in that code (and --parity); otherwise in the
/// code the frames point to, and --parity alone is a usage error as soon as
/// a transmission found is in a Baudot code. Throws CliError (status 3)
/// when no transmission was found.
void FollowLiveText(const LevelSourceOptions& source, const ToneOptions& tones, const CodeOptions& code, bool soft,
                    const std::string& output);

}  // namespace morvane::cli
