#pragma once
#include <array>
#include <complex>

namespace morvane {

/// The analytic signal of a real signal at 48 kHz, one sample at a time: two
/// chains of second-order allpass sections whose outputs stay close to 90
/// degrees apart (the negative frequencies are at least 40 dB down from
/// 100 Hz to 20 kHz, 27 dB at 20 Hz). Both parts carry the same allpass phase, so the
/// real part is the input with its phase turned (its magnitude untouched),
/// not the input itself.
class AnalyticSignal {
public:
    /// x: the next real sample (any finite value). Returns I + jQ.
    std::complex<double> Next(double x);

private:
    static constexpr int kSections = 4;
    struct Section {
        double in1 = 0.0, in2 = 0.0, out1 = 0.0, out2 = 0.0;
    };
    static double Run(std::array<Section, kSections>& chain, const std::array<double, kSections>& a2, double x);

    std::array<Section, kSections> m_real{};
    std::array<Section, kSections> m_imag{};
    double m_realDelayed = 0.0;  // the in-phase chain runs one sample behind
};

}  // namespace morvane
