#pragma once
#include <string>
#include <vector>

#include "align/FrameModel.h"
#include "align/FrameTracker.h"
#include "align/TimeTrueSignal.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// The followed frames read with soft decisions, in the layout of FrameBits:
/// one row of model.Cells() cells (start, data and parity bits as sent, one
/// stop cell) per frame,
/// CR LF after each row. Every bit is decided from the windows' tone
/// correlations (`soft`, one per level of the stream `timeline` describes)
/// summed over the bit's time span on `signal`'s grid (its middle 90 %, as a
/// tracked edge may sit a little off), each window weighted
/// by the part of it that lies inside the span: '1' when tone 1 is the
/// stronger, '0' otherwise (a silent bit reads '0'), never undecided. A
/// timeline that does not describe `soft` is taken as evenly spaced windows
/// of signal.window samples. No frames give the empty text.
std::string FrameSoftBits(const TimeTrueSignal& signal, const LevelTimeline& timeline,
                          const std::vector<SoftWindow>& soft, const FrameModel& model,
                          const std::vector<TrackedFrame>& frames);

}  // namespace morvane
