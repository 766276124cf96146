#include "dsp/DemodCall.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <stdexcept>

#include "dsp/FskDemodulator.h"

namespace morvane::demod {

namespace {

constexpr float kPeriodBase = static_cast<float>(kSampleRate);  // tone periods use this, not the format's rate
constexpr float kSearchPeriods = 4.0f;                           // zero-crossing search span, in tone-1 periods

// e^(−iψ) for the phase a tone of `period` samples has reached after `position` samples.
std::complex<double> PhaseTurn(double position, double period) {
    double cycles = position / period;  // an infinite period (0 Hz) never turns
    cycles -= std::floor(cycles);
    return std::polar(1.0, -kTwoPi * cycles);
}

// The turns of a call's windows relative to its first: window k of a call
// has moved k × window samples on. Kept per thread for the last geometry, up
// to kTurnSpan windows; longer calls start a new span every kTurnSpan windows.
constexpr std::size_t kTurnSpan = 1024;

struct TurnTable {
    float period = 0.0f;
    std::int32_t window = -1;
    std::vector<std::complex<double>> turns;  // turns[k]: the turn after k windows
};

const std::vector<std::complex<double>>& WindowTurns(float period, std::int32_t window, int which) {
    thread_local TurnTable tables[2];
    TurnTable& t = tables[which];
    if (std::memcmp(&t.period, &period, sizeof period) != 0 || t.window != window) {
        t.period = period;
        t.window = window;
        t.turns.resize(kTurnSpan);
        for (std::size_t k = 0; k < kTurnSpan; ++k) t.turns[k] = PhaseTurn(static_cast<double>(k) * window, period);
    }
    return t.turns;
}

// Correlation with e^(−iφ): the cosine sum, minus the sine sum; turned
// window by window to the reference sample, four floats a window.
std::vector<float> TurnedCorrelations(const Windows& w, const CallGeometry& g, std::int64_t firstSample) {
    const std::size_t count = w.e1.size();
    std::vector<float> values(4 * count);
    const auto& turns1 = WindowTurns(g.period1, g.window, 0);
    const auto& turns2 = WindowTurns(g.period2, g.window, 1);
    for (std::size_t k0 = 0; k0 < count; k0 += kTurnSpan) {
        const double position = static_cast<double>(firstSample) + static_cast<double>(g.start) +
                                static_cast<double>(k0) * g.window;
        const std::complex<double> first1 = PhaseTurn(position, g.period1);
        const std::complex<double> first2 = PhaseTurn(position, g.period2);
        const std::size_t end = std::min(count, k0 + kTurnSpan);
        for (std::size_t k = k0; k < end; ++k) {
            const std::complex<double> t1 = first1 * turns1[k - k0];
            const std::complex<double> t2 = first2 * turns2[k - k0];
            const double a = w.c1[k], b = -w.s1[k], c = w.c2[k], d = -w.s2[k];
            float* v = values.data() + 4 * k;
            v[0] = static_cast<float>(a * t1.real() - b * t1.imag());
            v[1] = static_cast<float>(a * t1.imag() + b * t1.real());
            v[2] = static_cast<float>(c * t2.real() - d * t2.imag());
            v[3] = static_cast<float>(c * t2.imag() + d * t2.real());
        }
    }
    return values;
}

}  // namespace

CallGeometry Measure(const DemodSettings& settings, const CaptureFormat& format, const std::int16_t* samples,
                     std::int32_t byteCount) {
    if (!std::isfinite(settings.tone1Hz) || !std::isfinite(settings.tone2Hz))
        throw std::invalid_argument("demodulator tone frequencies must be finite numbers");
    if (samples == nullptr && byteCount > 1) throw std::invalid_argument("demodulator samples must not be null");
    CallGeometry g;
    const std::int32_t sampleCount = byteCount > 0 ? byteCount / 2 : 0;
    g.period1 = kPeriodBase / settings.tone1Hz;
    g.period2 = kPeriodBase / settings.tone2Hz;

    const float span = kSearchPeriods * g.period1;
    for (std::int32_t i = 0; static_cast<float>(i) < span && i + 1 < sampleCount; ++i) {
        if (samples[i] < 0 && samples[i + 1] >= 0) {
            g.start = i;
            break;
        }
    }

    g.window = DemodWindow(settings, format);
    if (g.window == 0) return g;
    std::int32_t count = sampleCount / g.window - 2;
    count = std::min(count, (sampleCount - g.start) / g.window);
    g.windowCount = std::max(count, 0);
    return g;
}

void AppendLevels(const Windows& w, const CallGeometry& g, std::vector<std::int32_t>& levels,
                  std::vector<SoftWindow>* soft, std::int64_t firstSample) {
    // No exact reserve here: the stream grows by a few hundred levels a call
    // for hours, and an exact reserve would copy all of it on every call.
    // The conversion truncates toward zero; the value lies within ±125.
    const std::size_t first = levels.size();
    const std::size_t count = w.e1.size();
    levels.resize(first + count);
    std::int32_t* out = levels.data() + first;
    for (std::size_t k = 0; k < count; ++k)
        out[k] = 128 + static_cast<std::int32_t>((w.e1[k] - w.e2[k]) * 125.0 / w.scale);
    if (soft == nullptr) return;

    const std::vector<float> values = TurnedCorrelations(w, g, firstSample);
    const std::size_t softFirst = soft->size();
    soft->resize(softFirst + count);
    PackSoftWindows(values.data(), soft->data() + softFirst, count);
}

}  // namespace morvane::demod
