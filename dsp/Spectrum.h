#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace morvane {

/// Transform size of the panoramic view: 4096 bins of 11.71875 Hz at 48 kHz.
inline constexpr std::int32_t kFftSize = 4096;

/// Windows the first 4096 samples (periodic Blackman window) and replaces
/// `result` with their transform: 2 × n floats, real and imaginary interleaved,
/// bin k at k × 48 000 / n Hz. samples must hold at least 4096 values; later
/// ones are never read. n is a power of two from 1 to 2²⁴, else
/// std::invalid_argument (result untouched).
void ComputeSpectrum(const std::int16_t* samples, std::unique_ptr<float[]>& result, std::int32_t n);

/// As above for a block of sampleCount samples. A block shorter than 4096
/// samples is treated as if padded with silence (zeros) to 4096; only the
/// first 4096 samples of a longer block are used.
void ComputeSpectrum(const std::int16_t* samples, std::size_t sampleCount, std::unique_ptr<float[]>& result,
                     std::int32_t n);

/// Unnormalised radix-2 transform with a positive exponent of `input` (4096
/// floats; zero-padded or cut to n points) into a new array of 2 × n floats
/// that replaces whatever `result` held. n is a power of two from 1 to 2²⁴,
/// else std::invalid_argument (result untouched).
void SpectrumFft(std::unique_ptr<float[]>& result, const float* input, std::uint32_t n);

/// Display level 0 … 255 of one bin: one level per decibel of magnitude, 0 at
/// 10⁻⁴ and below; a fraction of exactly .5 rounds down. 16-bit input never
/// exceeds 235; larger magnitudes (and infinities) give 255, NaN gives 0.
std::int32_t SpectrumLevel(float re, float im);

}  // namespace morvane
