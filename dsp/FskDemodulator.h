#pragma once
#include <cstdint>
#include <vector>

#include "dsp/SampleFormat.h"
#include "dsp/DemodSettings.h"

namespace morvane {

/// Demodulates signed 16-bit mono samples (byteCount bytes, an odd last byte
/// ignored) into levels appended to `levels`: one per window of 80 samples at
/// 48 kHz, 128 for silence, 3 … 253 for signal, above 128 when tone 1 is
/// stronger. Returns the bytes consumed from the front (even, 0 … byteCount);
/// the caller keeps the rest and passes it again with the next samples.
/// A tone of 0 Hz measures the window's plain sum; a negative tone measures as
/// its positive counterpart but disables the start search. Throws
/// std::invalid_argument for a tone that is not a finite number or null
/// samples with a byteCount above 1; a byteCount of 0 or less consumes nothing.
std::int32_t Demodulate(const DemodSettings& settings, const CaptureFormat& format,
                        const std::int16_t* samples, std::int32_t byteCount,
                        std::vector<std::int32_t>& levels);

/// Samples per level window for these settings (80 at 48 kHz and 50 baud),
/// computed as Demodulate computes it; 0 when no window fits.
std::int32_t DemodWindow(const DemodSettings& settings, const CaptureFormat& format);

/// The same computation written plainly, with two sines and two cosines per
/// sample. Demodulate must give bit-identical results; tests hold it to that.
std::int32_t DemodulateReference(const DemodSettings& settings, const CaptureFormat& format,
                                 const std::int16_t* samples, std::int32_t byteCount,
                                 std::vector<std::int32_t>& levels);

}  // namespace morvane
