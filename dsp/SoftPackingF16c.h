#pragma once
// Soft windows to and from floats with the F16C instructions, two windows
// (eight values) at a time; SoftPacking.cpp calls them only where the
// processor has them and converts the odd last window itself. Used inside
// dsp/ only.
#include <cstddef>

#include "dsp/SoftWindow.h"

namespace morvane::demod {

/// Converts the first count rounded down to even windows; returns how many.
std::size_t PackPairsF16c(const float* in, SoftWindow* out, std::size_t count);
std::size_t UnpackPairsF16c(const SoftWindow* in, float* out, std::size_t count);

}  // namespace morvane::demod
