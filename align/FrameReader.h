#pragma once
#include <string>
#include <vector>

#include "align/FrameDecider.h"
#include "align/FrameModel.h"
#include "align/FrameTracker.h"

namespace morvane {

/// The bit string of followed frames: one row of model.Cells() cells (start,
/// data and parity bits as sent, one stop cell) per frame, each decided by
/// `decider`, CR LF after each row. No frames, or a model whose cells lie
/// outside 2 … kMaxFrameCells, give the empty text.
std::string ReadFrameBits(const FrameModel& model, const std::vector<TrackedFrame>& frames,
                          const FrameDecider& decider);

}  // namespace morvane
