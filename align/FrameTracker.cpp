#include "align/FrameTracker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "align/FoldProfile.h"

namespace morvane {

namespace {

constexpr double kFramedMargin = 0.2;     // start cell at most −this, stop cell at least this
constexpr double kHuntFrames = 12.0;      // frames folded to find the phase
constexpr double kHuntStepFrames = 4.0;   // the hunt moves on this many frames when it finds nothing
constexpr double kHuntPlateau = 0.35;     // weakest start/stop contrast the hunt accepts
constexpr int kMissesToUnlock = 3;
constexpr double kEdgeGain = 0.35;        // share of the edge error corrected per frame
constexpr double kClearEdge = 0.6;        // an edge this sharp (of 2) is followed
constexpr double kCellFrom = 0.15;        // the middle of a bit that is read
constexpr double kCellTo = 0.85;

// Mark-positive values of the grid and their running integral: the grid
// value of point i holds on [i, i + 1).
class Grid {
public:
    Grid(const TimeTrueSignal& signal, int polarity) {
        values.resize(signal.levels.size());
        prefix.assign(signal.levels.size() + 1, 0.0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] = polarity * (signal.levels[i] - 128) / 125.0;
            prefix[i + 1] = prefix[i] + values[i];
        }
    }
    double Size() const { return static_cast<double>(values.size()); }
    double Integral(double x) const {
        if (x <= 0.0) return 0.0;
        if (x >= Size()) return prefix.back();
        const auto i = static_cast<std::size_t>(x);
        return prefix[i] + (x - static_cast<double>(i)) * values[i];
    }
    double Mean(double a, double b) const { return b > a ? (Integral(b) - Integral(a)) / (b - a) : 0.0; }

    std::vector<double> values;
    std::vector<double> prefix;
};

struct Tracker {
    const Grid& grid;
    const FrameModel& m;

    bool Framed(double t) const {
        const double b = m.bit;
        return grid.Mean(t + kCellFrom * b, t + kCellTo * b) <= -kFramedMargin &&
               grid.Mean(t + (6.0 + kCellFrom) * b, t + (6.0 + kCellTo) * b) >= kFramedMargin;
    }
    bool Fits(double t) const { return t >= 0.0 && t + (6.0 + kCellTo) * m.bit <= grid.Size(); }

    // The start bit's edge near t: the place where mark before turns into
    // space after most sharply, within 0.4 bit; t itself when none is clear.
    double Edge(double t) const {
        const double half = 0.5 * m.bit;
        double best = t, bestStep = kClearEdge;
        for (double e = t - 0.4 * m.bit; e <= t + 0.4 * m.bit; e += 0.25) {
            const double step = grid.Mean(e - half, e) - grid.Mean(e, e + half);
            if (step > bestStep) best = e, bestStep = step;
        }
        return best;
    }
    double Follow(double t) const { return t + kEdgeGain * (Edge(t) - t); }

    // First well-framed frame start at or after `from` (and the frames
    // before it that are also well framed, back to `floor`), or none.
    bool Hunt(double& from, double floor, std::vector<TrackedFrame>& out) const {
        const double f = m.frame;
        const auto bins = std::max<std::int32_t>(8, static_cast<std::int32_t>(std::lround(4.0 * f)));
        while (from + 3.0 * f <= grid.Size()) {
            const double end = std::min(grid.Size(), from + kHuntFrames * f);
            const auto begin = static_cast<std::int64_t>(std::ceil(from));
            const std::vector<double> profile = FoldProfile(grid.values, begin, static_cast<std::int64_t>(end), f, bins);
            const FramePhase phase = BestFramePhase(profile, m.stopBits, 0.0);
            if (std::getenv("ALIGN_DEBUG")) std::fprintf(stderr, "hunt from %.1f bin %d plateau %.3f\n", from, phase.bin, phase.plateau);
            if (phase.plateau >= kHuntPlateau) {
                for (double t = static_cast<double>(begin) + phase.bin * f / bins; t + f <= end + f; t += f) {
                    if (!Fits(t)) continue;
                    const double at = Edge(t);
                    if (!Fits(at) || !Framed(at)) continue;
                    // Reach back over well-framed frames before this one.
                    std::vector<TrackedFrame> back;
                    for (double b = Follow(at - f); b >= floor && Fits(b) && Framed(b); b = Follow(b - f))
                        back.push_back({b, true});
                    out.insert(out.end(), back.rbegin(), back.rend());
                    out.push_back({at, true});
                    from = at;
                    return true;
                }
            }
            from += kHuntStepFrames * f;
        }
        return false;
    }
};

}  // namespace

std::vector<TrackedFrame> TrackFrames(const TimeTrueSignal& signal, const FrameModel& model) {
    std::vector<TrackedFrame> frames;
    if (!(model.frame >= 4.0) || !(model.bit >= 1.0) || signal.levels.empty()) return frames;
    const Grid grid(signal, model.polarity >= 0 ? 1 : -1);
    const Tracker tracker{grid, model};
    double from = 0.0;
    double floor = 0.0;  // frames reached back to must start here or later
    while (tracker.Hunt(from, floor, frames)) {
        double t = from;
        std::vector<TrackedFrame> doubtful;
        for (;;) {
            const double next = t + model.frame;
            if (!tracker.Fits(next)) break;
            const bool framed = tracker.Framed(tracker.Edge(next));
            if (framed) {
                frames.insert(frames.end(), doubtful.begin(), doubtful.end());
                doubtful.clear();
                t = tracker.Follow(next);
                frames.push_back({t, true});
            } else {
                t = next;
                doubtful.push_back({t, false});
                if (static_cast<int>(doubtful.size()) >= kMissesToUnlock) break;
            }
        }
        // Hunt again from the first frame that was not kept.
        from = doubtful.empty() ? t + model.frame : doubtful.front().start;
        floor = frames.empty() ? 0.0 : frames.back().start + model.frame - 0.5 * model.bit;
        if (!tracker.Fits(from)) break;
    }
    return frames;
}

std::vector<std::int32_t> FrameLevelRows(const TimeTrueSignal& signal, const FrameModel& model,
                                         const std::vector<TrackedFrame>& frames) {
    std::vector<std::int32_t> rows;
    rows.reserve(frames.size() * kFrameCells * kCellLevels);
    const auto n = static_cast<std::int64_t>(signal.levels.size());
    for (const TrackedFrame& frame : frames) {
        for (std::int32_t cell = 0; cell < kFrameCells; ++cell) {
            for (std::int32_t k = 0; k < kCellLevels; ++k) {
                const double at = (kCellTo - kCellFrom) * (k + 0.5) / kCellLevels + kCellFrom;
                const double t = frame.start + (cell + at) * model.bit;
                const auto i = std::clamp<std::int64_t>(static_cast<std::int64_t>(std::floor(t)), 0, n - 1);
                rows.push_back(n > 0 ? signal.levels[static_cast<std::size_t>(i)] : 128);
            }
        }
    }
    return rows;
}

}  // namespace morvane
