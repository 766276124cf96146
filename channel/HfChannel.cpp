#include "channel/HfChannel.h"

#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>

#include "channel/AnalyticSignal.h"
#include "channel/FadingTap.h"
#include "synth/GaussianNoise.h"

namespace morvane {

namespace {

constexpr double kRate = 48000.0;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kNoiseBandHz = 3000.0;
constexpr double kOutputRms = 4000.0;

void CheckRange(double value, double low, double high, const char* what) {
    if (!std::isfinite(value) || value < low || value > high)
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) + " is out of range (" +
                                    std::to_string(low) + " ... " + std::to_string(high) + ")");
}

void CheckSettings(const ChannelSettings& s) {
    if (s.profile.paths < 1 || s.profile.paths > 4)
        throw std::invalid_argument("number of paths " + std::to_string(s.profile.paths) + " is out of range (1 ... 4)");
    CheckRange(s.profile.delayMs, 0.0, 20.0, "path delay (ms)");
    CheckRange(s.profile.dopplerHz, 0.0, 100.0, "Doppler spread (Hz)");
    CheckRange(s.offsetHz, -10000.0, 10000.0, "frequency offset (Hz)");
    CheckRange(s.driftHzPerMinute, -60000.0, 60000.0, "drift (Hz per minute)");
    CheckRange(s.silenceSeconds, 0.0, 60.0, "silence (s)");
    if (s.snrDb) CheckRange(*s.snrDb, -60.0, 200.0, "signal-to-noise ratio (dB)");
    for (const Carrier& c : s.carriers) {
        if (!std::isfinite(c.hz) || c.hz <= 0.0 || c.hz >= kRate / 2)
            throw std::invalid_argument("carrier frequency " + std::to_string(c.hz) + " Hz is out of range (0 ... 24000)");
        CheckRange(c.db, -100.0, 100.0, "carrier level (dB)");
    }
    for (const MixedSignal& m : s.mixes) {
        CheckRange(m.db, -100.0, 100.0, "mixed signal level (dB)");
        CheckRange(m.shiftHz, -10000.0, 10000.0, "mixed signal shift (Hz)");
    }
}

// Independent streams for the paths and the noise from one seed (SplitMix64).
std::uint64_t StreamSeed(std::uint64_t seed, std::uint64_t stream) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL * (stream + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// e^(j 2 pi (f t + d t^2 / 2)) at sample n, the cycles reduced before the
// angle so that the phase stays exact over hours.
std::complex<double> Rotation(double hz, double hzPerSecond, std::int64_t n) {
    const double t = static_cast<double>(n) / kRate;
    double cycles = hz * t + 0.5 * hzPerSecond * t * t;
    cycles -= std::floor(cycles);
    return std::polar(1.0, kTwoPi * cycles);
}

// The faded, shifted signal: sum over paths of gain x delayed analytic
// signal, turned by the offset and the drift.
class WantedPath {
public:
    explicit WantedPath(const ChannelSettings& s)
        : m_offset(s.offsetHz), m_drift(s.driftHzPerMinute / 60.0),
          m_delay(static_cast<std::size_t>(std::llround(s.profile.delayMs * kRate / 1000.0))),
          m_history(m_delay * static_cast<std::size_t>(s.profile.paths - 1) + 1),
          m_gain(1.0 / std::sqrt(static_cast<double>(s.profile.paths))) {
        m_identity = s.profile.paths == 1 && s.profile.dopplerHz == 0.0 && s.offsetHz == 0.0 && s.driftHzPerMinute == 0.0;
        for (int p = 0; p < s.profile.paths; ++p)
            m_taps.emplace_back(s.profile.dopplerHz, StreamSeed(s.seed, static_cast<std::uint64_t>(p)));
    }

    double Next(double x, std::int64_t n) {
        if (m_identity) return x;
        m_history[m_head] = m_analytic.Next(x);
        std::complex<double> sum{0.0, 0.0};
        for (std::size_t p = 0; p < m_taps.size(); ++p) {
            const std::size_t back = p * m_delay;
            sum += m_taps[p].Next() * m_history[(m_head + m_history.size() - back) % m_history.size()];
        }
        m_head = (m_head + 1) % m_history.size();
        if (m_offset != 0.0 || m_drift != 0.0) sum *= Rotation(m_offset, m_drift, n);
        return m_gain * sum.real();
    }

private:
    bool m_identity = false;
    double m_offset;
    double m_drift;
    std::size_t m_delay;
    std::vector<std::complex<double>> m_history;
    std::size_t m_head = 0;
    double m_gain;
    AnalyticSignal m_analytic;
    std::vector<FadingTap> m_taps;
};

// One mixed recording at its level, shifted through its analytic signal.
class MixedPath {
public:
    MixedPath(const MixedSignal& m, double signalPower) : m_samples(&m.samples), m_shift(m.shiftHz) {
        const double power = MeanPower(m.samples);
        if (power <= 0.0) throw std::invalid_argument("a mixed recording has no power");
        m_scale = std::sqrt(signalPower * std::pow(10.0, m.db / 10.0) / power);
    }

    double Next(std::int64_t n) {
        const double x = static_cast<std::size_t>(n) < m_samples->size() ? (*m_samples)[static_cast<std::size_t>(n)] : 0.0;
        if (m_shift == 0.0) return m_scale * x;
        return m_scale * (m_analytic.Next(x) * Rotation(m_shift, 0.0, n)).real();
    }

private:
    const std::vector<double>* m_samples;
    double m_shift;
    double m_scale = 1.0;
    AnalyticSignal m_analytic;
};

}  // namespace

double MeanPower(const std::vector<double>& samples) {
    if (samples.empty()) return 0.0;
    double sum = 0.0;
    for (double x : samples) sum += x * x;
    return sum / static_cast<double>(samples.size());
}

std::vector<double> SimulateChannel(const std::vector<double>& signal, const ChannelSettings& s) {
    CheckSettings(s);
    const double power = MeanPower(signal);
    const bool relative = s.snrDb || !s.carriers.empty() || !s.mixes.empty();
    if (relative && power <= 0.0)
        throw std::invalid_argument("the signal has no power, and noise, carriers and mixed signals are set relative to it");

    const std::int64_t pad = std::llround(s.silenceSeconds * kRate);
    const std::int64_t length = static_cast<std::int64_t>(signal.size());
    const std::int64_t total = pad + length + pad;
    WantedPath wanted(s);
    std::vector<MixedPath> mixes;
    for (const MixedSignal& m : s.mixes) mixes.emplace_back(m, power);
    std::vector<double> amplitudes;
    for (const Carrier& c : s.carriers) amplitudes.push_back(std::sqrt(2.0 * power * std::pow(10.0, c.db / 10.0)));
    // White noise over 0 ... 24 kHz whose share in 3 kHz is power / SNR.
    const double noiseSigma = s.snrDb ? std::sqrt(power / std::pow(10.0, *s.snrDb / 10.0) * (kRate / 2 / kNoiseBandHz)) : 0.0;
    GaussianNoise noise(StreamSeed(s.seed, 1000));

    std::vector<double> out(static_cast<std::size_t>(total));
    for (std::int64_t n = 0; n < total; ++n) {
        const std::int64_t k = n - pad;
        double y = wanted.Next(k >= 0 && k < length ? signal[static_cast<std::size_t>(k)] : 0.0, n);
        for (std::size_t c = 0; c < amplitudes.size(); ++c) y += amplitudes[c] * Rotation(s.carriers[c].hz, 0.0, n).real();
        for (MixedPath& m : mixes) y += m.Next(n);
        if (noiseSigma > 0.0) y += noiseSigma * noise.Next();
        out[static_cast<std::size_t>(n)] = y;
    }
    return out;
}

std::vector<std::int16_t> ApplyChannel(const std::vector<std::int16_t>& signal, const ChannelSettings& settings) {
    const std::vector<double> in(signal.begin(), signal.end());
    const std::vector<double> received = SimulateChannel(in, settings);
    const double rms = std::sqrt(MeanPower(received));
    const double scale = rms > 0.0 ? kOutputRms / rms : 0.0;
    std::vector<std::int16_t> out(received.size());
    for (std::size_t i = 0; i < received.size(); ++i) {
        const double x = std::round(received[i] * scale);
        out[i] = static_cast<std::int16_t>(x > 32767.0 ? 32767.0 : (x < -32768.0 ? -32768.0 : x));
    }
    return out;
}

}  // namespace morvane
