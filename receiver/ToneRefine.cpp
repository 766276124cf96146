#include "receiver/ToneRefine.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace morvane {

namespace {
constexpr double kLeastShare = 0.2;   // share of the strong samples each tone must hold
constexpr double kMostMove = 1.0;     // share of the shift either tone may move by
constexpr double kWidth = 4.0;        // the window's first zero, in shifts from the middle
constexpr double kNearHz = 5.0;       // the sound sits on a tone within this many Hz …
constexpr double kNearShare = 0.08;   // … or this share of the shift
constexpr double kLeastNear = 0.4;    // share of the strong samples the tones found hold at least …
constexpr double kSharper = 1.5;      // … and this many times what the tones given hold
constexpr double kLeastMoveHz = 3.0;  // smaller moves are left to the tracking
constexpr double kStrong = 0.5;       // a sample counts above this share of the upper tenth of magnitudes

double Median(std::vector<double>& v) {
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}
}  // namespace

namespace {
std::pair<double, double> Refine(const float* x, std::size_t count, double rate, double lowHz, double highHz) {
    const std::pair<double, double> given{lowHz, highHz};
    const double shift = highHz - lowHz, centre = 0.5 * (lowHz + highHz);
    if (!(shift >= 50.0 && shift <= 1100.0) || count == 0) return given;
    // Mixed down to the middle, summed first over a window whose zero falls
    // on the mirror image of the sound (twice the middle below it), then over
    // one whose first zero lies at four shifts: both tones pass alike, what
    // lies further is damped.
    const auto image = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(rate / (2.0 * centre))));
    const auto length = std::max<std::size_t>(4, static_cast<std::size_t>(rate / (kWidth * shift)));
    const std::size_t every = length / 4;
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi * centre / rate);
    std::complex<double> phasor = 1.0, first = 0.0, sum = 0.0;
    // Only the last `image` mixed samples and `length` first sums are read
    // again: kept in rings, not for the whole stretch.
    std::vector<std::complex<double>> mixed(image), once(length), low;
    std::size_t atMixed = 0, atOnce = 0, untilLow = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::complex<double> m = static_cast<double>(x[i]) * phasor;
        phasor *= step;
        if ((i & 1023U) == 0) phasor /= std::abs(phasor);
        first += m;
        if (i >= image) first -= mixed[atMixed];
        mixed[atMixed] = m;
        if (++atMixed == image) atMixed = 0;
        sum += first;
        if (i >= length) sum -= once[atOnce];
        once[atOnce] = first;
        if (++atOnce == length) atOnce = 0;
        const bool due = untilLow == 0;
        untilLow = due ? every - 1 : untilLow - 1;  // i % every == 0
        if (i + 1 >= length + image && due) low.push_back(sum);
    }
    // Sampled four times a window: the phase turns by about an eighth of a
    // turn between samples for the tones, far from the half turn that folds.
    if (low.size() < 64) return given;
    std::vector<double> magnitude(low.size());
    for (std::size_t i = 0; i < low.size(); ++i) magnitude[i] = std::abs(low[i]);
    std::vector<double> sorted = magnitude;
    const auto top = sorted.begin() + static_cast<std::ptrdiff_t>(0.9 * static_cast<double>(sorted.size() - 1));
    std::nth_element(sorted.begin(), top, sorted.end());
    const double strong = kStrong * *top;
    std::vector<double> below, above;
    const double hzPerRadian = rate / static_cast<double>(every) / (2.0 * std::numbers::pi);
    for (std::size_t i = 1; i < low.size(); ++i) {
        if (magnitude[i] < strong || magnitude[i - 1] < strong) continue;
        const double hz = std::arg(low[i] * std::conj(low[i - 1])) * hzPerRadian;
        (hz < 0.0 ? below : above).push_back(hz);
    }
    const double all = static_cast<double>(below.size() + above.size());
    if (all < 64.0 || below.size() < kLeastShare * all || above.size() < kLeastShare * all) return given;
    const double low2 = centre + Median(below), high2 = centre + Median(above);
    if (std::fabs(low2 - lowHz) > kMostMove * shift || std::fabs(high2 - highHz) > kMostMove * shift ||
        high2 - low2 < 0.5 * shift)
        return given;
    // Taken only where the sound sits on them clearly more often than on the
    // tones given (noise and fading spread it and pull the medians about),
    // and where they differ by more than the tracking mends.
    const auto near = [&](double lo, double hi) {
        const double width = std::max(kNearHz, kNearShare * shift);
        int n = 0;
        for (const auto* side : {&below, &above})
            for (double hz : *side) n += std::fabs(centre + hz - lo) <= width || std::fabs(centre + hz - hi) <= width;
        return n / all;
    };
    const double sharp = near(low2, high2);
    if (sharp < kLeastNear || sharp < kSharper * near(lowHz, highHz)) return given;
    if (std::fabs(low2 - lowHz) < kLeastMoveHz && std::fabs(high2 - highHz) < kLeastMoveHz) return given;
    return {low2, high2};
}
}  // namespace

std::pair<double, double> RefineKeyedTones(const float* x, std::size_t count, double rate, double lowHz, double highHz) {
    // Twice: the first look moves the middle, the second reads both tones about it.
    const auto once = Refine(x, count, rate, lowHz, highHz);
    return Refine(x, count, rate, once.first, once.second);
}

}  // namespace morvane
