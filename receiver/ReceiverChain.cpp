#include "receiver/ReceiverChain.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace morvane {

namespace {
// The values at the lower and the upper share q of v (nearest rank below).
std::pair<double, double> Quantiles(std::vector<double> v, double low, double high) {
    if (v.empty()) return {0.0, 0.0};
    const auto at = [&](double q) { return static_cast<std::ptrdiff_t>(q * static_cast<double>(v.size() - 1)); };
    const auto hi = v.begin() + at(high), lo = v.begin() + at(low);
    std::nth_element(v.begin(), hi, v.end());
    std::nth_element(v.begin(), lo, hi);  // everything below the upper one is in front of it
    return {*lo, *hi};
}
}  // namespace

ToneLevels LevelsOf(const std::vector<double>& m1, const std::vector<double>& m2) {
    const auto [floor1, envelope1] = Quantiles(m1, 0.1, 0.9);
    const auto [floor2, envelope2] = Quantiles(m2, 0.1, 0.9);
    return {envelope1, floor1, envelope2, floor2};
}

int ChainStep(double bitLength) { return std::max(1, static_cast<int>(bitLength / 16.0)); }

ReceiverChain::ReceiverChain(double bitLength, const ToneLevels& start, int step, double evenRatio)
    : m_step(std::max(1, step)),
      m_bit(bitLength / m_step),
      m_filter1(static_cast<int>(std::lround(m_bit))),
      m_filter2(static_cast<int>(std::lround(m_bit))),
      m_atc(m_bit, evenRatio) {
    m_atc.Start(start.envelope1, start.floor1, start.envelope2, start.floor2);
}

void ReceiverChain::SetLayout(int leadBits, double stopBits, int polarity) {
    m_sync.assign(1, FrameSync(m_bit, leadBits, stopBits));
    m_polarity = polarity < 0 ? -1 : 1;
}

// Worked part by part throughout: a pair written in halves and read back
// whole stalls the processor, and this runs for every sub-block.
double ReceiverChain::Push(std::complex<double> c1, std::complex<double> c2, std::vector<SyncedFrame>& out) {
    if (m_step == 1) return Step({c1.real(), c1.imag(), c2.real(), c2.imag()}, out);
    m_sum[0] += c1.real();
    m_sum[1] += c1.imag();
    m_sum[2] += c2.real();
    m_sum[3] += c2.imag();
    if (++m_count < m_step) return m_v;
    const double k = static_cast<double>(m_step);
    const std::size_t before = out.size();
    Step({m_sum[0] / k, m_sum[1] / k, m_sum[2] / k, m_sum[3] / k}, out);
    m_sum = {};
    m_count = 0;
    // Frames counted in sub-blocks as they came in: a step ends with its last one.
    for (std::size_t i = before; i < out.size(); ++i) out[i].start = out[i].start * k + (k - 1.0);
    return m_v;
}

double ReceiverChain::Step(const std::array<double, 4>& c, std::vector<SyncedFrame>& out) {
    const std::complex<double> y1 = m_filter1.Push(c[0], c[1]), y2 = m_filter2.Push(c[2], c[3]);
    const double r1 = y1.real(), i1 = y1.imag(), r2 = y2.real(), i2 = y2.imag();
    m_m1 = std::sqrt(r1 * r1 + i1 * i1);
    m_m2 = std::sqrt(r2 * r2 + i2 * i2);
    const double v = m_atc.Push(m_m1, m_m2);
    // Each tone's rotation (y times the conjugate of the one before) is
    // measured only while it is keyed on, so the keying never moves the tones.
    if (m_atc.On1(m_m1)) {
        m_turn[0] += r1 * m_last[0] + i1 * m_last[1];
        m_turn[1] += i1 * m_last[0] - r1 * m_last[1];
    }
    if (m_atc.On2(m_m2)) {
        m_turn[0] += r2 * m_last[2] + i2 * m_last[3];
        m_turn[1] += i2 * m_last[2] - r2 * m_last[3];
    }
    m_last = {r1, i1, r2, i2};
    if (!m_sync.empty()) m_sync.front().Push(m_polarity * v, out, m_polarity > 0 ? m_m1 : m_m2, m_polarity > 0 ? m_m2 : m_m1);
    m_v = v;
    return v;
}

std::optional<SyncedFrame> ReceiverChain::ReadBetween(double from, double to) const {
    if (m_sync.empty()) return std::nullopt;
    const double k = static_cast<double>(m_step);
    std::optional<SyncedFrame> f = m_sync.front().ReadBetween((from - (k - 1.0)) / k, (to - (k - 1.0)) / k);
    if (f) f->start = f->start * k + (k - 1.0);
    return f;
}

void ReceiverChain::Resync(double next) {
    const double k = static_cast<double>(m_step);
    if (!m_sync.empty()) m_sync.front().Resync((next - (k - 1.0)) / k);
}

bool ReceiverChain::TakeToneError(double& cyclesPerSubBlock) {
    const bool any = m_turn[0] * m_turn[0] + m_turn[1] * m_turn[1] > 0.0;
    if (any) cyclesPerSubBlock = std::atan2(m_turn[1], m_turn[0]) / (2.0 * std::numbers::pi * m_step);
    m_turn = {};
    return any;
}

}  // namespace morvane
