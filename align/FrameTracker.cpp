#include "align/FrameTracker.h"

#include <algorithm>
#include <cmath>

#include "align/FoldProfile.h"
#include "align/FrameEdges.h"
#include "align/LevelMeans.h"

namespace morvane {

namespace {

constexpr double kHuntFrames = 12.0;      // frames folded to find the phase
constexpr double kHuntStepFrames = 4.0;   // the hunt moves on this many frames when it finds nothing
constexpr double kHuntPlateau = 0.35;     // weakest start/stop contrast the hunt accepts
constexpr int kMissesToUnlock = 3;

struct Tracker {
    const FrameEdges& edges;
    const FrameModel& m;

    // First well-framed frame start at or after `from` (and the frames
    // before it that are also well framed, back to `floor`), or none.
    bool Hunt(double& from, double floor, std::vector<TrackedFrame>& out) const {
        const double f = m.frame;
        const auto bins = std::max<std::int32_t>(8, static_cast<std::int32_t>(std::lround(4.0 * f)));
        while (from + 3.0 * f <= edges.Size()) {
            const double end = std::min(edges.Size(), from + kHuntFrames * f);
            const auto begin = static_cast<std::int64_t>(std::ceil(from));
            const std::vector<double> profile =
                FoldProfile(edges.Keying(), begin, static_cast<std::int64_t>(end), f, bins);
            const FramePhase phase = BestFramePhase(profile, m.stopBits, 0.0, m.LeadBits());
            if (phase.plateau >= kHuntPlateau) {
                for (double t = static_cast<double>(begin) + phase.bin * f / bins; t + f <= end + f; t += f) {
                    if (!edges.Fits(t)) continue;
                    const double at = edges.Edge(t);
                    if (!edges.Fits(at) || !edges.Framed(at)) continue;
                    // Reach back over well-framed frames before this one.
                    std::vector<TrackedFrame> back;
                    for (double b = edges.Follow(at - f); b >= floor && edges.Fits(b) && edges.Framed(b);
                         b = edges.Follow(b - f))
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
    if (!(model.frame >= 4.0) || !(model.bit >= 1.0) || signal.levels.empty() || !HasUsableCells(model)) return frames;
    const FrameEdges edges(signal, model);
    const Tracker tracker{edges, model};
    double from = 0.0;
    double floor = 0.0;  // frames reached back to must start here or later
    while (tracker.Hunt(from, floor, frames)) {
        double t = from;
        std::vector<TrackedFrame> doubtful;
        for (;;) {
            const double next = t + model.frame;
            if (!edges.Fits(next)) break;
            const bool framed = edges.Framed(edges.Edge(next));
            if (framed) {
                frames.insert(frames.end(), doubtful.begin(), doubtful.end());
                doubtful.clear();
                t = edges.Follow(next);
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
        if (!edges.Fits(from)) break;
    }
    return frames;
}

std::vector<std::int32_t> FrameLevelRows(const TimeTrueSignal& signal, const FrameModel& model,
                                         const std::vector<TrackedFrame>& frames) {
    std::vector<std::int32_t> rows;
    if (!HasUsableCells(model)) return rows;
    const std::int32_t cells = model.Cells();
    rows.reserve(frames.size() * static_cast<std::size_t>(cells * kCellLevels));
    const LevelMeans means(signal);
    for (const TrackedFrame& frame : frames)
        for (std::int32_t cell = 0; cell < cells; ++cell)
            rows.insert(rows.end(), kCellLevels, means.BitLevel({frame.start, cell, model.bit}));
    return rows;
}

}  // namespace morvane
