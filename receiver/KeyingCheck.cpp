#include "receiver/KeyingCheck.h"

#include <algorithm>
#include <cmath>

#include "receiver/BitFilter.h"

namespace morvane {

double KeyingSpread(const std::vector<std::complex<double>>& t1, const std::vector<std::complex<double>>& t2,
                    std::size_t length) {
    if (length == 0 || t1.size() < 2 * length || t2.size() < t1.size()) return 0.0;
    std::vector<double> contrast;
    std::complex<double> s1, s2;  // each tone summed over the window: a filter matched to the bit
    for (std::size_t i = 0; i < t1.size(); ++i) {
        s1 += t1[i];
        s2 += t2[i];
        if (i >= length) {
            s1 -= t1[i - length];
            s2 -= t2[i - length];
        }
        const double p1 = std::norm(s1), p2 = std::norm(s2);
        if (i + 1 >= length && p1 + p2 > 0.0) contrast.push_back((p1 - p2) / (p1 + p2));
    }
    if (contrast.size() < 2) return 0.0;
    double mean = 0.0;
    for (double c : contrast) mean += c;
    mean /= static_cast<double>(contrast.size());
    double var = 0.0;
    for (double c : contrast) var += (c - mean) * (c - mean);
    return std::sqrt(var / static_cast<double>(contrast.size()));
}

double HeldAtTones(const std::vector<std::complex<double>>& t1, const std::vector<std::complex<double>>& t2,
                   double bitLength) {
    const int length = std::max(1, static_cast<int>(std::lround(bitLength)));
    // The filter's gain for white noise: the sum of its squared impulse response.
    BitFilter impulse(length);
    double gain = 0.0;
    for (int i = 0; i < 4 * length + 4; ++i) gain += std::norm(impulse.Push(i == 0 ? 1.0 : 0.0));
    BitFilter f1(length), f2(length);
    const std::size_t n = std::min(t1.size(), t2.size()), settled = static_cast<std::size_t>(2 * length);
    double in = 0.0, held = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::complex<double> y1 = f1.Push(t1[i]), y2 = f2.Push(t2[i]);
        if (i < settled) continue;
        in += std::norm(t1[i]) + std::norm(t2[i]);
        held += std::norm(y1) + std::norm(y2);
    }
    return in > 0.0 && gain > 0.0 ? held / (in * gain) : 0.0;
}

}  // namespace morvane
