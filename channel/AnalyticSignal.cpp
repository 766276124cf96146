#include "channel/AnalyticSignal.h"

namespace morvane {

namespace {
// Squared allpass coefficients of the two chains (a 90-degree phase-difference
// network for a 48 kHz rate, four sections each).
constexpr std::array<double, 4> kRealA2 = {0.6923878 * 0.6923878, 0.9360654322959 * 0.9360654322959,
                                           0.9882295226860 * 0.9882295226860, 0.9987488452737 * 0.9987488452737};
constexpr std::array<double, 4> kImagA2 = {0.4021921162426 * 0.4021921162426, 0.8561710882420 * 0.8561710882420,
                                           0.9722909545651 * 0.9722909545651, 0.9952884791278 * 0.9952884791278};
}  // namespace

double AnalyticSignal::Run(std::array<Section, kSections>& chain, const std::array<double, kSections>& a2, double x) {
    for (std::size_t i = 0; i < chain.size(); ++i) {
        Section& s = chain[i];
        // y[n] = a^2 (x[n] + y[n-2]) - x[n-2]
        const double y = a2[i] * (x + s.out2) - s.in2;
        s.in2 = s.in1;
        s.in1 = x;
        s.out2 = s.out1;
        s.out1 = y;
        x = y;
    }
    return x;
}

std::complex<double> AnalyticSignal::Next(double x) {
    const double real = m_realDelayed;
    m_realDelayed = Run(m_real, kRealA2, x);
    const double imag = Run(m_imag, kImagA2, x);
    // With the in-phase chain one sample late, the second chain leads it by
    // 90 degrees; its negation lags, which makes I + jQ analytic.
    return {real, -imag};
}

}  // namespace morvane
