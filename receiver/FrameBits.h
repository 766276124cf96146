#pragma once
#include <cstddef>
#include <vector>

#include "receiver/FrameSync.h"

namespace morvane {

/// The frame's bits first … first + count - 1 (0: the start bit) as a
/// number, the first of them its least significant bit, mark 1.
unsigned BitsValue(const SyncedFrame& frame, int first, int count);

/// How many different characters the frames whose stop bit held carry in
/// their first dataBits data bits (frames with fewer bits left out).
std::size_t DifferentCharacters(const std::vector<SyncedFrame>& frames, int dataBits);

}  // namespace morvane
