#pragma once
#include <optional>
#include <string>

#include "cli/FollowSource.h"
#include "cli/LevelSource.h"
#include "decode/TextCode.h"
#include "dsp/DemodSettings.h"

namespace morvane::cli {

/// decode --auto --follow: the live text engine on the source, block by
/// block. Text goes to `output` (standard output for "") as it is decoded,
/// flushed after every block; every transmission's header line goes to
/// standard error ("morvane-cli: 00:00:01 · 50 Bd · 1500/2000 Hz · Baudot",
/// the clock being the stream time of its first frame, or the wall clock
/// with --live), and a transmission after the first starts on a new line.
/// `code`: always this code, or nothing for the code the frames point to.
/// Throws CliError (status 3) when no transmission was found.
void FollowLiveText(const LevelSourceOptions& source, DemodSettings demod, ToneSearch search,
                    std::optional<CodeSettings> code, bool soft, const std::string& output);

}  // namespace morvane::cli
