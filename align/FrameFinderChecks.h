#pragma once
#include <cstdint>
#include <vector>

#include "align/FrameModel.h"
#include "align/FrameTracker.h"
#include "align/TimeTrueSignal.h"

namespace morvane {

/// How sure a reading of frames is: the checks the frame finder makes on the
/// keying and on the frames it followed. Positions are grid steps.

/// True when the keying repeats itself almost exactly (normalised
/// autocorrelation `a` at 0.8 or more) at a lag below `below` levels, having
/// been unlike itself (0 or less) at a shorter lag: what one steady tone
/// between the two makes of the demodulator's windows (their phases against
/// the tone come round every few windows), and keying far faster than a bit
/// of a few levels (reversals at hundreds of baud). Frames of text never
/// repeat within a frame.
bool RepeatsWithinFewLevels(const std::vector<double>& a, std::int32_t below);

/// Where the keying (+1 / −1 / 0 per grid step) changes, 0 … 1 per grid
/// step, after a majority of five steps: noise that flips single levels
/// would scatter changes over the whole bit; a bit of 5 steps (110 baud)
/// keeps its edges. A change counts 1 between mark and space, half to or
/// from idle (0).
std::vector<double> KeyingChanges(const std::vector<std::int8_t>& keying);

/// How much the keying changes half-way between the frames' bit edges,
/// against at the edges (changes a third of a bit wide around each; 0 …
/// about 2): near 0 when the bits are the signal's, near 1 or more when the
/// signal's bits are shorter than the frames' (a frame of two or three of
/// its frames, keying at a rate beyond the ones read). Noise adds as much
/// to both.
double MidBitChanges(const std::vector<double>& changes, const FrameModel& model,
                     const std::vector<TrackedFrame>& frames);

/// The largest share (0 … 1) of `frames` that would be well framed as well
/// if every frame began a whole number of bits earlier or later (within the
/// frame): near the frames' own share when the keying cannot tell where its
/// frames begin (two characters in turn, such as RYRY in 8-bit ASCII, frame
/// as well six bits on).
double OtherPhaseFrames(const TimeTrueSignal& signal, const FrameModel& model, const std::vector<TrackedFrame>& frames);

/// The frames of a keying that cannot tell where its frames begin may be
/// followed a few bits off until the text after it shows the right places:
/// a run of `frames` that goes on into the next run after at most as many
/// frames as end a run of the tracker, a whole number of bits off its
/// places, and frames as well moved onto them, is moved there (runs from
/// the last to the first), with the frames between filled in and one frame
/// before it when that one is well framed too.
void MoveRunsOntoTheNext(const TimeTrueSignal& signal, const FrameModel& m, std::vector<TrackedFrame>& frames);

}  // namespace morvane
