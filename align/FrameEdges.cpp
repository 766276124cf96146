#include "align/FrameEdges.h"

namespace morvane {

namespace {
constexpr double kFramedMargin = 0.2;  // start cell at most −this, stop cell at least this
constexpr double kEdgeGain = 0.35;     // share of the edge error corrected per frame
constexpr double kClearEdge = 0.6;     // an edge this sharp (of 2) is followed
constexpr double kCellFrom = 0.15;     // the middle of a bit that is read
constexpr double kCellTo = 0.85;
constexpr double kEdgeReach = 0.4;     // bits searched on each side for the edge
constexpr double kEdgeStep = 0.25;     // grid steps between edge candidates
}  // namespace

FrameEdges::FrameEdges(const TimeTrueSignal& signal, const FrameModel& model) : m_model(model) {
    const int polarity = model.polarity >= 0 ? 1 : -1;
    m_values.resize(signal.levels.size());
    m_prefix.assign(signal.levels.size() + 1, 0.0);
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        const std::int32_t l = signal.levels[i];
        m_values[i] = polarity * ((l > 128) - (l < 128));
        m_prefix[i + 1] = m_prefix[i] + m_values[i];
    }
}

double FrameEdges::Integral(double x) const {
    if (x <= 0.0) return 0.0;
    const auto size = static_cast<double>(m_values.size());
    if (x >= size) return m_prefix.back();
    const auto i = static_cast<std::size_t>(x);
    return m_prefix[i] + (x - static_cast<double>(i)) * m_values[i];
}

double FrameEdges::Mean(double a, double b) const { return b > a ? (Integral(b) - Integral(a)) / (b - a) : 0.0; }

bool FrameEdges::Framed(double t) const {
    const double b = m_model.bit;
    const double stop = m_model.LeadBits();
    return Mean(t + kCellFrom * b, t + kCellTo * b) <= -kFramedMargin &&
           Mean(t + (stop + kCellFrom) * b, t + (stop + kCellTo) * b) >= kFramedMargin;
}

double FrameEdges::Edge(double t) const {
    const double half = 0.5 * m_model.bit;
    double best = t, bestStep = kClearEdge;
    for (double e = t - kEdgeReach * m_model.bit; e <= t + kEdgeReach * m_model.bit; e += kEdgeStep) {
        const double step = Mean(e - half, e) - Mean(e, e + half);
        if (step > bestStep) best = e, bestStep = step;
    }
    return best;
}

double FrameEdges::Follow(double t) const { return t + kEdgeGain * (Edge(t) - t); }

bool FrameEdges::Fits(double t) const { return t >= 0.0 && t + (m_model.LeadBits() + kCellTo) * m_model.bit <= Size(); }

}  // namespace morvane
