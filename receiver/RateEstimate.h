#pragma once
#include <vector>

namespace morvane {

/// A bit rate measured from the keying's edges.
struct RateEstimate {
    bool found = false;
    double baud = 0.0;
    double coherence = 0.0;  // 0 … 1: how well the edges sit on the bit grid
};

/// The bit rate (lowBaud … highBaud) of edges at `edges` (seconds, rising in
/// time): the rate that puts the intervals between edges closest to whole or
/// half bits (stop elements of 1.5 bits); of rates that do nearly as well
/// the highest (a half rate fits whole bits as well). Needs 20 edges.
RateEstimate EstimateRate(const std::vector<double>& edges, double lowBaud, double highBaud);

}  // namespace morvane

namespace morvane {

/// The usual teleprinter rate (45.45, 50, 56.88, 75, 100, 110, 150, 200,
/// 300 baud) within 2 % of `baud`, or 0 when none is that near.
double UsualBaud(double baud);

}  // namespace morvane
