#pragma once
#include <vector>

namespace morvane {

/// How well a frame of `frameBits` bits explains where the keying changes.
/// `changes` is the keying's changes (0 … 1 per grid step) folded over one
/// frame period into bins. Within a frame the keying can change only where
/// one bit ends and the next begins, so for the right bit length the changes
/// gather at whole bits from the start edge and none fall half-way between.
/// The score is, for the best phase, the changes a third of a bit wide
/// around each of the frame's first floor(frameBits) bit edges minus those
/// as wide around the middles of the bits that follow them: at most the
/// changes of one frame, lower the more of them fall between the edges.
/// 0 for an empty fold or frameBits < 1.
double BitCombScore(const std::vector<double>& changes, double frameBits);

}  // namespace morvane
