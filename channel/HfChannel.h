#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "channel/ChannelPresets.h"

namespace morvane {

/// A steady carrier added to the received sound.
struct Carrier {
    double hz = 0.0;  // 0 < hz < 24 000
    double db = 0.0;  // power relative to the signal's, -100 ... 100 dB
};

/// Another transmission heard beside the signal.
struct MixedSignal {
    std::vector<double> samples;  // 48 kHz; any length (cut or ended with silence to fit)
    double db = 0.0;              // its mean power relative to the signal's, -100 ... 100 dB
    double shiftHz = 0.0;         // moved up (or down) in frequency by this, -10 000 ... 10 000 Hz
};

/// What happens to a signal between the sender and the receiver's audio.
/// The signal's power is its mean square over the samples given; the fading
/// keeps it on average (every path has the mean power 1 / paths).
struct ChannelSettings {
    PathProfile profile;                 // fading paths; the default is no fading
    double offsetHz = 0.0;               // frequency offset of the signal, -10 000 ... 10 000 Hz
    double driftHzPerMinute = 0.0;       // the offset grows by this each minute, -60 000 ... 60 000
    std::vector<Carrier> carriers;       // steady carriers, not faded
    std::vector<MixedSignal> mixes;      // other recordings, not faded
    std::optional<double> snrDb;         // white Gaussian noise: signal power over noise power in 3 kHz
    double silenceSeconds = 0.0;         // silence put before and after the signal, 0 ... 60 s
    std::uint64_t seed = 1;              // the same seed gives the same fading and noise
};

/// The signal (48 kHz samples, in any unit) as received: faded along the
/// paths through its analytic signal, shifted by the offset and the drift
/// (whose phase runs from the first output sample), then the carriers, the
/// mixed signals and the noise added, in the signal's unit. The output holds
/// silenceSeconds, the signal, silenceSeconds. Without fading, offset and
/// drift the signal passes unchanged. Throws std::invalid_argument for
/// settings out of range, or when the signal has no power and something is
/// to be set relative to it.
std::vector<double> SimulateChannel(const std::vector<double>& signal, const ChannelSettings& settings);

/// SimulateChannel on 16-bit samples, the result scaled to an RMS of 4000
/// (peaks of eight standard deviations still fit), rounded and clipped to
/// 16 bits.
std::vector<std::int16_t> ApplyChannel(const std::vector<std::int16_t>& signal, const ChannelSettings& settings);

/// Mean square of the samples; 0 for none.
double MeanPower(const std::vector<double>& samples);

}  // namespace morvane
