#pragma once
// The demodulator's vector kernels, one file each, for FskDemodulator.cpp's
// dispatch. Each measures every window of a call into `w`, bit for bit as
// DemodulateReference does, and may run only where the processor has its
// instruction set. Used inside dsp/ only.
#include <cstdint>

#include "dsp/DemodCall.h"
#include "dsp/DemodGroups.h"

namespace morvane::demod {

void MeasureSse2(const CallGeometry& g, const std::int16_t* samples, const References& r, Windows& w);
void MeasureAvx2(const CallGeometry& g, const std::int16_t* samples, const References& r, Windows& w);
void MeasureAvx512(const CallGeometry& g, const std::int16_t* samples, const References& r, Windows& w);

}  // namespace morvane::demod
