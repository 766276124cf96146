#include "receiver/RateEstimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace morvane {

namespace {
constexpr std::size_t kMinEdges = 20;
constexpr double kShareOfShortest = 0.08;  // the bit's runs are at least this share of all runs
constexpr double kNear = 0.2;              // a run within ±20 % of the bit counts as one bit

// How close the intervals lie to multiples of half a bit at `baud`, 0 … 1,
// the long ones counting less (their error grows with their length).
double Coherence(const std::vector<double>& runs, double baud) {
    double sum = 0.0, weight = 0.0;
    for (double r : runs) {
        const double bits = r * baud;
        if (bits > 12.5) continue;
        const double w = 1.0 / std::max(1.0, bits);
        sum += w * std::cos(4.0 * std::numbers::pi * bits);
        weight += w;
    }
    return weight > 0.0 ? sum / weight : 0.0;
}
}  // namespace

RateEstimate EstimateRate(const std::vector<double>& edges, double lowBaud, double highBaud) {
    RateEstimate out;
    if (edges.size() < kMinEdges) return out;
    std::vector<double> runs;
    for (std::size_t i = 1; i < edges.size(); ++i) {
        const double r = edges[i] - edges[i - 1];
        if (r >= 0.6 / highBaud) runs.push_back(r);
    }
    if (runs.size() < kMinEdges) return out;
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    // The shortest run length that a share of all runs stays near.
    double bit = 0.0;
    for (double candidate : sorted) {
        if (candidate > 1.0 / lowBaud * 1.2) break;
        const auto lo = std::lower_bound(sorted.begin(), sorted.end(), candidate * (1.0 - kNear));
        const auto hi = std::upper_bound(sorted.begin(), sorted.end(), candidate * (1.0 + kNear));
        if (static_cast<double>(hi - lo) >= kShareOfShortest * static_cast<double>(sorted.size())) {
            bit = candidate;
            break;
        }
    }
    for (int pass = 0; pass < 2 && bit > 0.0; ++pass) {  // centred on the runs near it
        const auto lo = std::lower_bound(sorted.begin(), sorted.end(), bit * (1.0 - kNear));
        const auto hi = std::upper_bound(sorted.begin(), sorted.end(), bit * (1.0 + kNear));
        if (hi > lo) bit = *(lo + (hi - lo) / 2);
    }
    if (bit <= 0.0) return out;
    double best = -1.0, bestBaud = 0.0;
    for (double baud = 0.85 / bit; baud <= 1.15 / bit; baud *= 1.0005) {
        const double c = Coherence(runs, baud);
        if (c > best) {
            best = c;
            bestBaud = baud;
        }
    }
    if (bestBaud < lowBaud * 0.97 || bestBaud > highBaud * 1.03) return out;
    out = {true, bestBaud, best};
    return out;
}

}  // namespace morvane

namespace morvane {

double UsualBaud(double baud) {
    constexpr std::array<double, 9> kUsual{45.45, 50.0, 56.88, 75.0, 100.0, 110.0, 150.0, 200.0, 300.0};
    double best = 0.0;
    for (double usual : kUsual)
        if (std::fabs(baud / usual - 1.0) < 0.02 && (best == 0.0 || std::fabs(baud - usual) < std::fabs(baud - best)))
            best = usual;
    return best;
}

}  // namespace morvane
