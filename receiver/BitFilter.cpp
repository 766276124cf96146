#include "receiver/BitFilter.h"

#include <algorithm>

namespace morvane {

namespace {
void Resum(const std::vector<std::complex<double>>& values, std::complex<double>& sum) {
    sum = {};
    for (const auto& v : values) sum += v;
}
}  // namespace

BitFilter::BitFilter(int bitLength)
    : m_first(static_cast<std::size_t>(std::max(1, bitLength))),
      m_second(static_cast<std::size_t>(std::max(1, (bitLength + 1) / 3))) {}

std::complex<double> BitFilter::Push(std::complex<double> in) {
    m_sum1 += in - m_first[m_at1];
    m_first[m_at1] = in;
    if (++m_at1 == m_first.size()) {
        m_at1 = 0;
        Resum(m_first, m_sum1);  // no rounding builds up over hours
    }
    const std::complex<double> bit = m_sum1 / static_cast<double>(m_first.size());
    m_sum2 += bit - m_second[m_at2];
    m_second[m_at2] = bit;
    if (++m_at2 == m_second.size()) {
        m_at2 = 0;
        Resum(m_second, m_sum2);
    }
    return m_sum2 / static_cast<double>(m_second.size());
}

}  // namespace morvane
