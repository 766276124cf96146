#pragma once
#include <cstdint>
#include <vector>

#include "dsp/SampleFormat.h"
#include "dsp/DemodSettings.h"
#include "dsp/SoftWindow.h"

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
/// When `soft` is given, every window's two tone correlations are appended to
/// it as well, one entry per level appended (silent windows as zeros), turned
/// to the phase reference of samples[0].
std::int32_t Demodulate(const DemodSettings& settings, const CaptureFormat& format,
                        const std::int16_t* samples, std::int32_t byteCount,
                        std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft = nullptr);

/// Samples per level window for these settings (80 at 48 kHz and 50 baud),
/// computed as Demodulate computes it; 0 when no window fits.
std::int32_t DemodWindow(const DemodSettings& settings, const CaptureFormat& format);

/// The same computation written plainly, with two sines and two cosines per
/// sample. Demodulate must give bit-identical results; tests hold it to that.
std::int32_t DemodulateReference(const DemodSettings& settings, const CaptureFormat& format,
                                 const std::int16_t* samples, std::int32_t byteCount,
                                 std::vector<std::int32_t>& levels,
                                 std::vector<SoftWindow>* soft = nullptr);

/// The vector instruction sets the fast demodulator has kernels for.
enum class DemodKernel { Sse2, Avx2, Avx512 };

/// The kernels this processor (and its operating system) can run, in the
/// order above; Demodulate uses the last one. SSE2 is always there.
std::vector<DemodKernel> SupportedDemodKernels();

/// "SSE2", "AVX2" or "AVX-512".
const char* DemodKernelName(DemodKernel kernel);

/// Demodulate with the kernel named (for tests and benchmarks); all kernels
/// give bit-identical results. Throws std::invalid_argument when the
/// processor cannot run it.
std::int32_t DemodulateWithKernel(DemodKernel kernel, const DemodSettings& settings, const CaptureFormat& format,
                                  const std::int16_t* samples, std::int32_t byteCount,
                                  std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft = nullptr);

/// Demodulate for a caller that knows where samples[0] lies in its stream:
/// `firstSample` samples after the stream's first one. The soft entries take
/// the phase reference of the stream's first sample, so that a whole stream
/// built call by call shares one reference. The levels are Demodulate's.
std::int32_t DemodulateInStream(const DemodSettings& settings, const CaptureFormat& format,
                                const std::int16_t* samples, std::int32_t byteCount,
                                std::vector<std::int32_t>& levels, std::vector<SoftWindow>& soft,
                                std::int64_t firstSample);

/// Soft windows to and from floats, four per window (re1, im1, re2, im2),
/// rounding to nearest-even. With `hardware`, F16C instructions are used
/// where the processor has them; the results are the same either way.
void PackSoftWindows(const float* in, SoftWindow* out, std::size_t count, bool hardware = true);
void UnpackSoftWindows(const SoftWindow* in, float* out, std::size_t count, bool hardware = true);

}  // namespace morvane
