#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "align/FrameModel.h"
#include "align/TimeTrueSignal.h"

namespace morvane {

/// One character frame found on the time grid.
struct TrackedFrame {
    double start = 0.0;  // grid position of the start bit's leading edge
    bool framed = false; // start bit reads as space and the stop bit as mark
};

/// Follows the frames of `model` through the whole signal: hunts for the
/// frame phase by folding a dozen frames at a time, locks on the first
/// well-framed frame (and reaches back over the well-framed frames before
/// it), then steps frame by frame, pulling each start toward the start bit's
/// edge so that drift is followed. Three badly framed frames in a row (idle,
/// a gap, the end, noise) end a run; frames of a run's tail that are badly
/// framed are left out, and the hunt starts again behind them. Silence,
/// steady tone and noise give no frames.
std::vector<TrackedFrame> TrackFrames(const TimeTrueSignal& signal, const FrameModel& model);

/// Levels per cell in FrameLevelRows.
inline constexpr std::int32_t kCellLevels = 12;
/// The most cells a frame model may have; a model with more (or with fewer
/// than two) is followed and read as no frames at all.
inline constexpr std::int32_t kMaxFrameCells = 32;

/// True when the model's cells lie within 2 … kMaxFrameCells.
inline bool HasUsableCells(const FrameModel& model) {
    return model.Cells() >= 2 && model.Cells() <= kMaxFrameCells;
}

/// A level stream with one row of model.Cells() × kCellLevels levels per
/// frame (cells: start, data bits, parity bit, one stop cell): every cell
/// holds kCellLevels copies of the mean level over the middle 80 % of its bit
/// (averaging the levels before deciding weighs strong windows more than weak
/// ones), so that bit extraction with count model.Cells() × kCellLevels,
/// offset 0, slant 0 and grid width 2 × kCellLevels reads one cell per bit.
std::vector<std::int32_t> FrameLevelRows(const TimeTrueSignal& signal, const FrameModel& model,
                                         const std::vector<TrackedFrame>& frames);

}  // namespace morvane
