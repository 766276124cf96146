#include "receiver/RateEstimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace morvane {

namespace {
constexpr std::size_t kMinEdges = 20;
constexpr double kOneBitShare = 0.05;   // a bit rate has at least this share of runs one bit long
constexpr double kShortPenalty = 2.0;   // what a run shorter than a bit costs

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
    // Whole bits fit half and multiple rates as well: runs shorter than a
    // bit rule out the half, and a bit rate must have runs of one bit.
    double bestBaud = 0.0, bestCoherence = 0.0, best = -1.0;
    for (double baud = lowBaud; baud <= highBaud; baud *= 1.001) {
        int shorter = 0, one = 0;
        for (double r : runs) {
            shorter += r * baud < 0.75;
            one += r * baud >= 0.75 && r * baud < 1.25;
        }
        if (one < kOneBitShare * static_cast<double>(runs.size())) continue;
        const double c = Coherence(runs, baud);
        const double score = c - kShortPenalty * shorter / static_cast<double>(runs.size());
        if (score > best) {
            best = score;
            bestBaud = baud;
            bestCoherence = c;
        }
    }
    if (bestBaud == 0.0) return out;
    // A second, finer look around it.
    for (double baud = bestBaud * 0.999; baud <= bestBaud * 1.001; baud *= 1.0001) {
        const double c = Coherence(runs, baud);
        if (c > bestCoherence) {
            bestCoherence = c;
            bestBaud = baud;
        }
    }
    best = bestCoherence;
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
