#pragma once
#include <cstddef>
#include <utility>

namespace morvane {

/// The two tones of a keyed pair measured on the samples (sampleRate per
/// second, full scale ±1) from the instantaneous frequency about the pair's
/// middle: a phase-continuous FSK signal sits on one tone or the other
/// through each bit whatever its rate, where the spectrum of fast keying
/// spreads and its peaks stray from the tones. Starts from lowHz < highHz as
/// the spectrum found them (their shift 50 … 1100 Hz) and gives them back
/// unchanged when the samples do not show a clear pair near them.
std::pair<double, double> RefineKeyedTones(const float* samples, std::size_t count, double sampleRate, double lowHz,
                                           double highHz);

}  // namespace morvane
