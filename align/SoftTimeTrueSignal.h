#pragma once
#include <vector>

#include "align/TimeTrueSignal.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// The keying on `grid`'s time grid as the soft evidence shows it: grid
/// point i holds a level made from the tone correlations (`soft`, one per
/// level of the stream `timeline` describes) summed in phase over one bit
/// of `bit` grid steps centred on the point's window, 128 + 125 × (E1 − E2) /
/// (E1 + E2) truncated, at least one step from 128 whenever a tone is the
/// stronger, 128 where there is no signal. Noise that flips single levels
/// rarely flips a whole bit's sum, so frames are followed through it; the
/// sums change sign where the keying does, so edges stay in place. Same
/// origin, window and length as `grid`. A bit below one grid step counts as
/// one step.
TimeTrueSignal MakeSoftTimeTrueSignal(const TimeTrueSignal& grid, const LevelTimeline& timeline,
                                      const std::vector<SoftWindow>& soft, double bit);

}  // namespace morvane
