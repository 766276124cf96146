#include "receiver/BitFilter.h"

#include <algorithm>

namespace morvane {

namespace {
void Resum(const std::vector<std::complex<double>>& values, double& re, double& im) {
    re = 0.0;
    im = 0.0;
    for (const auto& v : values) {
        re += v.real();
        im += v.imag();
    }
}
}  // namespace

BitFilter::BitFilter(int bitLength)
    : m_first(static_cast<std::size_t>(std::max(1, bitLength))),
      m_second(static_cast<std::size_t>(std::max(1, (bitLength + 1) / 3))),
      m_scale1(1.0 / static_cast<double>(m_first.size())),
      m_scale2(1.0 / static_cast<double>(m_second.size())) {}

// Worked part by part: a pair written in halves and read back whole stalls
// the processor.
std::complex<double> BitFilter::Push(double re, double im) {
    m_re1 += re - m_first[m_at1].real();
    m_im1 += im - m_first[m_at1].imag();
    m_first[m_at1] = {re, im};
    if (++m_at1 == m_first.size()) {
        m_at1 = 0;
        Resum(m_first, m_re1, m_im1);  // no rounding builds up over hours
    }
    const double bitRe = m_re1 * m_scale1, bitIm = m_im1 * m_scale1;
    m_re2 += bitRe - m_second[m_at2].real();
    m_im2 += bitIm - m_second[m_at2].imag();
    m_second[m_at2] = {bitRe, bitIm};
    if (++m_at2 == m_second.size()) {
        m_at2 = 0;
        Resum(m_second, m_re2, m_im2);
    }
    return {m_re2 * m_scale2, m_im2 * m_scale2};
}

}  // namespace morvane
