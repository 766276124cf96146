#pragma once
#include <cstdint>
#include <memory>

namespace morvane {

/// Transform size of the panoramic view: 4096 bins of 11.71875 Hz at 48 kHz.
inline constexpr std::int32_t kFftSize = 4096;

/// Windows the first 4096 samples (periodic Blackman window) and replaces
/// `result` with their transform: 2 × n floats, real and imaginary interleaved.
/// samples must hold at least 4096 values; n is a power of two.
void ComputeSpectrum(const std::int16_t* samples, std::unique_ptr<float[]>& result, std::int32_t n);

/// Unnormalised radix-2 transform with a positive exponent of `input` (4096
/// floats; zero-padded or cut to n points) into a new array of 2 × n floats.
void SpectrumFft(std::unique_ptr<float[]>& result, const float* input, std::uint32_t n);

/// Display level 0 … 255 of one bin: one level per decibel of magnitude, 0 at 10⁻⁴.
std::int32_t SpectrumLevel(float re, float im);

}  // namespace morvane
