#include "align/FrameFinderChecks.h"

#include <algorithm>
#include <cmath>

#include "align/FrameEdges.h"

namespace morvane {

namespace {
constexpr double kRepeats = 0.8;  // keying this alike a few levels on repeats itself …
constexpr double kSwung = 0.0;    // … when it was unlike itself in between
constexpr double kMissesToEndARun = 3.0;  // badly framed frames in a row that end a run of the tracker
}  // namespace

bool RepeatsWithinFewLevels(const std::vector<double>& a, std::int32_t below) {
    double lowest = 1.0;
    for (std::int32_t lag = 1; lag < below && static_cast<std::size_t>(lag) < a.size(); ++lag) {
        const double v = a[static_cast<std::size_t>(lag)];
        if (lowest <= kSwung && v >= kRepeats) return true;
        lowest = std::min(lowest, v);
    }
    return false;
}

std::vector<double> KeyingChanges(const std::vector<std::int8_t>& keying) {
    std::vector<std::int8_t> smooth(keying.size(), 0);
    for (std::size_t i = 2; i + 2 < keying.size(); ++i) {
        const int sum = keying[i - 2] + keying[i - 1] + keying[i] + keying[i + 1] + keying[i + 2];
        smooth[i] = static_cast<std::int8_t>((sum > 0) - (sum < 0));
    }
    std::vector<double> changes(keying.size(), 0.0);
    for (std::size_t i = 1; i < smooth.size(); ++i) changes[i] = std::abs(smooth[i] - smooth[i - 1]) / 2.0;
    return changes;
}

double MidBitChanges(const std::vector<double>& changes, const FrameModel& model,
                     const std::vector<TrackedFrame>& frames) {
    std::vector<double> prefix(changes.size() + 1, 0.0);
    for (std::size_t i = 0; i < changes.size(); ++i) prefix[i + 1] = prefix[i] + changes[i];
    const auto integral = [&](double x) {
        const double n = static_cast<double>(changes.size());
        if (x <= 0.0) return 0.0;
        if (x >= n) return prefix.back();
        const auto i = static_cast<std::size_t>(x);
        return prefix[i] + (x - static_cast<double>(i)) * changes[i];
    };
    const double half = model.bit / 6.0;
    const auto around = [&](double x) { return integral(x + half) - integral(x - half); };
    double edges = 0.0, middles = 0.0;
    for (const TrackedFrame& f : frames)
        for (std::int32_t c = 0; c < model.LeadBits(); ++c) {
            edges += around(f.start + (c + 1) * model.bit);
            middles += around(f.start + (c + 0.5) * model.bit);
        }
    return edges > 0.0 ? middles / edges : (middles > 0.0 ? 1.0 : 0.0);
}

double OtherPhaseFrames(const TimeTrueSignal& signal, const FrameModel& model, const std::vector<TrackedFrame>& frames) {
    const FrameEdges edges(signal, model);
    double most = 0.0;
    for (std::int32_t k = 1 - model.Cells(); k < model.Cells(); ++k) {
        if (k == 0) continue;
        std::size_t framed = 0, fit = 0;
        for (const TrackedFrame& f : frames) {
            const double t = f.start + k * model.bit;
            if (!edges.Fits(t)) continue;
            ++fit;
            framed += edges.Framed(t) ? 1 : 0;
        }
        if (fit > 0) most = std::max(most, static_cast<double>(framed) / static_cast<double>(fit));
    }
    return most;
}

void MoveRunsOntoTheNext(const TimeTrueSignal& signal, const FrameModel& m, std::vector<TrackedFrame>& frames) {
    if (frames.size() < 2) return;
    std::vector<std::size_t> starts{0};  // first frame of every run
    for (std::size_t i = 1; i < frames.size(); ++i)
        if (std::fabs(frames[i].start - frames[i - 1].start - m.frame) >= 0.5 * m.bit) starts.push_back(i);
    if (starts.size() < 2) return;
    const FrameEdges edges(signal, m);
    starts.push_back(frames.size());
    for (std::size_t r = starts.size() - 2; r-- > 0;) {
        const std::size_t a = starts[r], b = starts[r + 1];
        const double gap = frames[b].start - frames[b - 1].start;
        const double whole = std::round(gap / m.frame);
        const double off = gap - whole * m.frame;
        if (whole < 1.0 || whole > kMissesToEndARun + 1.0 || std::fabs(off) < 0.5 * m.bit) continue;
        const double bits = std::round(off / m.bit);
        if (std::fabs(off - bits * m.bit) > 0.35 * m.bit) continue;
        std::size_t framed = 0;
        for (std::size_t i = a; i < b; ++i) framed += edges.Fits(frames[i].start + off) && edges.Framed(frames[i].start + off);
        if (framed + 1 < b - a) continue;
        std::vector<TrackedFrame> moved;
        // A frame moved later may leave room for one before it.
        const double floor = a > 0 ? frames[a - 1].start + m.frame - 0.5 * m.bit : 0.0;
        const double before = frames[a].start + off - m.frame;
        if (before >= floor && edges.Fits(before) && edges.Framed(before)) moved.push_back({before, true});
        for (std::size_t i = a; i < b; ++i) moved.push_back({frames[i].start + off, edges.Framed(frames[i].start + off)});
        for (double k = 1.0; k < whole; ++k) {
            const double t = frames[b - 1].start + off + k * m.frame;
            moved.push_back({t, edges.Framed(t)});
        }
        frames.erase(frames.begin() + static_cast<std::ptrdiff_t>(a), frames.begin() + static_cast<std::ptrdiff_t>(b));
        frames.insert(frames.begin() + static_cast<std::ptrdiff_t>(a), moved.begin(), moved.end());
        // The later runs' indices moved by the frames filled in; the earlier ones did not.
        const std::size_t added = moved.size() - (b - a);
        for (std::size_t q = r + 1; q < starts.size(); ++q) starts[q] += added;
    }
}

}  // namespace morvane
