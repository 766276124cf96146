#include "receiver/FrameSync.h"

#include <algorithm>
#include <cmath>

namespace morvane {

namespace {
constexpr double kBlendWindow = 0.4;   // bits: an edge this near the flywheel's place is the same start
constexpr double kFlywheelSpace = -0.25;  // a start bit placed by the flywheel must read at least this much space
constexpr double kMaxShift = 0.3;      // bits a frame may move from its edge
constexpr int kShiftSteps = 6;         // places tried each way
constexpr double kEdgeHysteresis = 0.3; // an edge is where the decision goes fully over to the other side
constexpr int kHeldFrames = 24;        // frames' worth of values held for reading back
}  // namespace

FrameSync::FrameSync(double bitLength, int leadBits, double stopBits)
    : m_bit(std::max(2.0, bitLength)), m_lead(std::max(2, leadBits)), m_stop(std::clamp(stopBits, 1.0, 2.0)) {}

double FrameSync::At(double index) const {
    const double rel = index - static_cast<double>(m_base);
    if (rel <= 0.0) return m_v.empty() ? 0.0 : m_v.front();
    const auto i = static_cast<std::size_t>(rel);
    if (i + 1 >= m_v.size()) return m_v.empty() ? 0.0 : m_v.back();
    const double f = rel - static_cast<double>(i);
    return m_v[i] * (1.0 - f) + m_v[i + 1] * f;
}

double FrameSync::Magnitude(const std::deque<double>& m, double index) const {
    const auto i = std::clamp<std::int64_t>(std::llround(index) - m_base, 0, static_cast<std::int64_t>(m.size()) - 1);
    return m.empty() ? 0.0 : m[static_cast<std::size_t>(i)];
}

// For each tone its mean level on the bits that read it over its mean level
// on the others; the better tone counts (the other may have faded).
double FrameSync::SnrDb(const SyncedFrame& f) const {
    double on1 = 0.0, off1 = 0.0, on2 = 0.0, off2 = 0.0;
    int ones = 0, zeros = 0;
    for (std::size_t k = 0; k < f.bits.size(); ++k) {
        const double at = f.start + (static_cast<double>(k) + 0.5) * m_bit;
        const double a = Magnitude(m_m1, at), b = Magnitude(m_m2, at);
        if (f.bits[k] > 0.0) {
            on1 += a, off2 += b, ++ones;
        } else {
            on2 += b, off1 += a, ++zeros;
        }
    }
    if (ones == 0 || zeros == 0) return 0.0;
    const double r1 = off1 > 0.0 ? (on1 / ones) / (off1 / zeros) : 1e3, r2 = off2 > 0.0 ? (on2 / zeros) / (off2 / ones) : 1e3;
    return 20.0 * std::log10(std::max({r1, r2, 1e-3}));
}

// The frame's bits read with their signs: start space, stop mark, data either.
double FrameSync::Margin(const SyncedFrame& f) const {
    double margin = 0.0;
    for (std::size_t k = 0; k < f.bits.size(); ++k) {
        const double b = f.bits[k];
        margin += k == 0 ? -b : (k + 1 == f.bits.size() ? b : std::fabs(b));
    }
    return margin;
}

// The edges between the start bit's middle and the stop bit's middle and how
// far each lies from a bit boundary: at the right rate and place they sit
// on the boundaries, at a wrong rate they fall anywhere.
void FrameSync::Edges(SyncedFrame& f) const {
    const double from = f.start + 0.5 * m_bit, to = f.start + (m_lead + 0.5) * m_bit;
    auto i = std::max<std::int64_t>(m_base + 1, static_cast<std::int64_t>(std::ceil(from)));
    const auto last = std::min<std::int64_t>(m_base + static_cast<std::int64_t>(m_v.size()) - 1,
                                             static_cast<std::int64_t>(std::floor(to)));
    int side = -1;  // the start bit is space
    double crossing = 0.0;
    for (; i <= last; ++i) {
        const double a = m_v[static_cast<std::size_t>(i - 1 - m_base)], b = m_v[static_cast<std::size_t>(i - m_base)];
        if ((a < 0.0) != (b < 0.0)) crossing = static_cast<double>(i - 1) + a / (a - b);
        const int now = b > kEdgeHysteresis ? 1 : (b < -kEdgeHysteresis ? -1 : side);
        if (now == side) continue;
        side = now;
        const double bits = (crossing - f.start) / m_bit;
        ++f.edges;
        f.edgeMiss += std::fabs(bits - std::round(bits));
    }
}

SyncedFrame FrameSync::Read(double start) const {
    SyncedFrame f;
    f.start = start;
    for (int k = 0; k <= m_lead; ++k) f.bits.push_back(At(start + (k + 0.5) * m_bit));
    double margin = 0.0;
    for (int k = 0; k <= m_lead; ++k) {
        const double b = f.bits[static_cast<std::size_t>(k)];
        const double sign = k == 0 ? -1.0 : (k == m_lead ? 1.0 : (b < 0.0 ? -1.0 : 1.0));
        margin += std::clamp(sign * b, -1.0, 1.0);
    }
    f.quality = std::clamp(margin / (m_lead + 1), 0.0, 1.0);
    f.stopOk = f.bits.back() > 0.0;
    f.markBefore = At(start - 0.5 * m_bit) > 0.0;
    f.snrDb = SnrDb(f);
    return f;
}

// The frame read at `at` replaces `best` where its bits read clearer.
void FrameSync::KeepClearer(SyncedFrame& best, double& bestMargin, double at) const {
    SyncedFrame g = Read(at);
    const double margin = Margin(g);
    if (margin > bestMargin) {
        bestMargin = margin;
        best = std::move(g);
    }
}

void FrameSync::ReadFrame(std::vector<SyncedFrame>& out) {
    // The frame is placed where its bits, start and stop read clearest
    // together: every place within kMaxShift of the edge is tried.
    SyncedFrame f = Read(m_start);
    double best = Margin(f);
    for (int step = -kShiftSteps; step <= kShiftSteps; ++step)
        if (step != 0) KeepClearer(f, best, m_start + step * kMaxShift / kShiftSteps * m_bit);
    Edges(f);
    f.flywheel = m_flywheelStart;
    f.inStep = m_flywheelStart || m_nearPrediction;
    m_inFrame = false;
    if (f.bits.front() >= 0.0) {  // no start bit after all: a glitch
        m_scanFrom = m_start + 0.25 * m_bit;
        m_predicted = -1.0;
        return;
    }
    if (f.stopOk) {
        m_predicted = f.start + (m_lead + m_stop) * m_bit;
        m_flywheelTried = false;
        m_scanFrom = f.start + (m_lead + 0.5) * m_bit;
        m_sawMark = true;
    } else {
        m_predicted = -1.0;
        m_scanFrom = f.start + m_bit;
        m_sawMark = false;
    }
    out.push_back(std::move(f));
}

void FrameSync::Hunt() {
    auto i = std::max<std::int64_t>(m_base, static_cast<std::int64_t>(std::ceil(m_scanFrom)));
    for (; i + 1 <= m_newest && !m_inFrame; ++i) {
        const double a = m_v[static_cast<std::size_t>(i - m_base)], b = m_v[static_cast<std::size_t>(i + 1 - m_base)];
        if (a >= 0.0) m_sawMark = true;
        if (m_sawMark && a >= 0.0 && b < 0.0) {
            const double c = static_cast<double>(i) + a / (a - b);
            const bool near = m_predicted >= 0.0 && std::fabs(c - m_predicted) <= kBlendWindow * m_bit;
            m_start = near ? 0.5 * (c + m_predicted) : c;
            m_inFrame = true;
            m_flywheelStart = false;
            // Back to back: where the stop element of the frame before ends
            // (it may be up to a bit longer than the layout's shortest).
            m_nearPrediction = m_predicted >= 0.0 && c >= m_predicted - kBlendWindow * m_bit &&
                               c <= m_predicted + (1.0 + kBlendWindow) * m_bit;
        } else if (m_predicted >= 0.0 && !m_flywheelTried && static_cast<double>(i + 1) >= m_predicted + 0.6 * m_bit) {
            m_flywheelTried = true;
            if (At(m_predicted + 0.5 * m_bit) < kFlywheelSpace) {
                m_start = m_predicted;
                m_inFrame = true;
                m_flywheelStart = true;
            }
        }
        if (m_predicted >= 0.0 && static_cast<double>(i + 1) > m_predicted + (1.0 + kBlendWindow) * m_bit)
            m_predicted = -1.0;
    }
    m_scanFrom = static_cast<double>(i);
}

std::optional<SyncedFrame> FrameSync::ReadBetween(double from, double to) const {
    const double first = static_cast<double>(m_base) + m_bit, last = static_cast<double>(m_newest) - (m_lead + 1) * m_bit;
    if (from < first || to > last || to < from) return std::nullopt;
    const double step = kMaxShift / kShiftSteps * m_bit;
    SyncedFrame f = Read(from);
    double best = Margin(f);
    for (double at = from + step; at <= to; at += step) KeepClearer(f, best, at);
    Edges(f);
    f.inStep = true;
    return f;
}

void FrameSync::Resync(double next) {
    m_inFrame = false;
    m_predicted = next;
    m_flywheelTried = false;
    m_sawMark = true;
    m_scanFrom = std::max(static_cast<double>(m_base), next - kBlendWindow * m_bit);
}

void FrameSync::Push(double v, std::vector<SyncedFrame>& out, double m1, double m2) {
    m_v.push_back(v);
    m_m1.push_back(m1);
    m_m2.push_back(m2);
    ++m_newest;
    if (!m_inFrame) Hunt();
    if (m_inFrame && static_cast<double>(m_newest) >= m_start + (m_lead + 0.5 + kMaxShift) * m_bit + 2.0) {
        ReadFrame(out);
        Hunt();  // the next start may already be in
    }
    const auto keep = static_cast<std::int64_t>((kHeldFrames * (m_lead + m_stop) + 4) * m_bit) + 4;
    while (static_cast<std::int64_t>(m_v.size()) > keep) {
        m_v.pop_front();
        m_m1.pop_front();
        m_m2.pop_front();
        ++m_base;
    }
}

}  // namespace morvane
