#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "align/FrameAlignment.h"
#include "align/FrameTracker.h"
#include "align/TimeTrueSignal.h"
#include "dsp/LevelTimeline.h"

namespace morvane {

/// The text given when a stream holds no frames.
inline constexpr const char* kNoFrameStructure = "no steady frame structure found";

/// Finds the frames of an asynchronous transmission in a level stream and
/// its timeline: 5-bit frames (30 … 150 baud) or ASCII frames of 7 or 8 data
/// bits with or without a parity bit (45.45 … 110 baud at least), each with
/// 1, 1.5 or 2 stop bits. Gives the frame period and bit length, the layout
/// and the code it points to (with the reason), polarity, reading
/// direction, the first frame, the drift against the usual rate, and the
/// raster and Bits extract options that read them. 5-bit frames are taken
/// for Baudot: the US figures cannot be told from the frames. Silence, a steady tone, noise or
/// voice give found = false with reason kNoFrameStructure (or a plainer
/// reason for a stream too short or without signal). A timeline that does
/// not describe these levels is ignored (levels evenly spaced).
FrameAlignment FindFrames(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline);

/// The same on a stream already laid on the time grid by `timeline` (or by
/// an empty timeline: evenly spaced levels); `frames`, when given, receives
/// the frames followed.
FrameAlignment FindFrames(const TimeTrueSignal& signal, const LevelTimeline& timeline,
                          std::vector<TrackedFrame>* frames = nullptr);

/// The bit string of the followed frames, one row of model.Cells() cells
/// (start, data and parity bits as sent, one stop cell) per frame, as bit
/// extraction gives it.
std::string FrameBits(const TimeTrueSignal& signal, const FrameModel& model, const std::vector<TrackedFrame>& frames);

/// The text of the followed frames as the decoder reads it in the
/// alignment's code with its polarity and direction (one cell ignored: the
/// stop cell, or the start cell when the code is read as sent).
std::string FrameText(const std::string& frameBits, const FrameAlignment& alignment);

}  // namespace morvane
