#pragma once
#include "cli/DecodeOptions.h"

namespace morvane::cli {

/// decode --follow: every character printed (and the output flushed) as soon
/// as its raster row has arrived; in the end the output is that of decode.
void FollowRaster(const DecodeOptions& options);

/// decode --follow --soft: the cells decided soft as they come; in the end
/// the output is that of decode --soft.
void FollowSoft(const DecodeOptions& options);

/// decode --auto --follow: the program finds and follows the transmissions
/// itself, as the live text does. Options that would set what the frames
/// decide are refused rather than ignored.
void FollowAuto(const DecodeOptions& options);

}  // namespace morvane::cli
