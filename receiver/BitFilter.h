#pragma once
#include <complex>
#include <vector>

namespace morvane {

/// The filter matched to one bit of a tone at zero frequency: the sum over
/// one bit (first boxcar), smoothed by a second boxcar a third as long, whose
/// zeros fall where the first one's side lobes peak, so a tone a few bit
/// rates away (the other tone of a narrow shift, a carrier beside it, a
/// neighbouring signal) is 35 … 45 dB down.
class BitFilter {
public:
    /// bitLength: sub-blocks per bit (≥ 1).
    explicit BitFilter(int bitLength);
    /// Adds one sub-block; returns the filter's output for it (the bit's mean).
    std::complex<double> Push(std::complex<double> in) { return Push(in.real(), in.imag()); }
    std::complex<double> Push(double re, double im);
    /// Sub-blocks from the middle of what the output holds to the newest input.
    double Delay() const { return 0.5 * (m_first.size() - 1) + 0.5 * (m_second.size() - 1); }

private:
    std::vector<std::complex<double>> m_first, m_second;
    std::size_t m_at1 = 0, m_at2 = 0;
    double m_scale1, m_scale2;
    double m_re1 = 0.0, m_im1 = 0.0, m_re2 = 0.0, m_im2 = 0.0;
};

}  // namespace morvane
