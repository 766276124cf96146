#pragma once
#include <cstdint>
#include <span>

namespace morvane {

/// The peak of a block as the card delivered it, from the block after the
/// capture's peak normalisation (every sample times the whole gain 25 000
/// div peak, unless the peak is 0 or above 25 000): the largest gain that
/// divides the samples (the first 2048 are checked) and agrees with the
/// peak it gives (samples that
/// all share a factor, as a steady value does, read as the quietest block
/// that could have given them). 0 for silence.
std::int32_t InputPeak(std::span<const std::int16_t> normalised);

/// A peak (0 … 32 768) in dB of the 16-bit full scale; -120 for 0.
double PeakDbfs(std::int32_t peak);

}  // namespace morvane
