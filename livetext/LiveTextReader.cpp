#include "livetext/LiveTextReader.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "align/FrameFinder.h"
#include "align/FrameSoftBits.h"
#include "align/SoftTimeTrueSignal.h"
#include "align/FrameEdges.h"
#include "livetext/StreamGrid.h"

namespace morvane {

namespace {
constexpr std::int64_t kFirstHunt = 720;    // levels of the first hunt window (1.2 s)
constexpr std::int64_t kShortestHunt = 648;  // the frame finder needs four of the longest frames
constexpr std::int64_t kHuntStep = 300;     // the hunt window grows (then slides) by this many levels (0.5 s)
constexpr std::int64_t kHuntLevels = 3000;  // longest hunt window (5 s)
constexpr double kMinConfidence = 0.3;      // weaker alignments are taken for chance structure in noise
constexpr double kMinSoftConfidence = 0.5;  // the keying summed over a few windows makes chance structure in noise clearer
constexpr double kMinUnusualConfidence = 0.8;  // a rate far from the usual ones needs a clearer structure
constexpr double kClearConfidence = 0.95;  // an alignment this clear needs no second window
constexpr double kSameFrame = 0.01;         // frame periods this close (relative) are the same structure
constexpr double kHuntSum = 4.0;            // soft hunting: grid steps summed around every point
constexpr int kMissesToEnd = 3;             // badly framed frames in a row that end a transmission
constexpr std::int64_t kMargin = 2;         // grid points kept beyond what a frame reads
constexpr std::int64_t kReachMargin = 64;   // levels kept before the first one a reading reaches
}  // namespace

/// The grid around one frame: g0 is the grid position of the stretch's point
/// 0; with soft decisions, the keying made from the correlations and the
/// correlations themselves.
struct LiveTextReader::Stretch {
    std::int64_t g0 = 0;
    std::int64_t g1 = 0;
    TimeTrueSignal levels;
    TimeTrueSignal keying;  // soft: the bit-summed correlations on the same points
    LevelTimeline timeline;
    std::vector<SoftWindow> soft;
};

LiveTextReader::LiveTextReader(LiveTextOptions options) { Reset(options); }

void LiveTextReader::Reset(LiveTextOptions options) {
    m_options = options;
    m_seen = 0;
    m_reach = 0;
    m_following = false;
    m_alignment = {};
    m_doubtful.clear();
    m_rows.clear();
    m_text.reset();
    HuntFrom(0);
}

void LiveTextReader::HuntFrom(std::int64_t level) {
    m_huntFrom = level;
    m_huntEnd = level + kFirstHunt;
    m_lastFound.reset();
}

void LiveTextReader::Check(const std::vector<std::int32_t>& levels, const std::vector<SoftWindow>* soft,
                           std::int64_t base) const {
    if (m_options.soft && (soft == nullptr || soft->size() != levels.size()))
        throw std::invalid_argument("live text: soft decisions need one tone correlation per level (" +
                                    std::to_string(soft ? soft->size() : 0) + " for " +
                                    std::to_string(levels.size()) + " levels)");
    if (base < 0 || base > m_reach)
        throw std::invalid_argument("live text: levels from " + std::to_string(base) +
                                    " on given, but the reading still needs them from " + std::to_string(Reach()));
}

void LiveTextReader::Extend(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                            const std::vector<SoftWindow>* soft, std::vector<LiveTextPiece>& out, std::int64_t base) {
    const std::int64_t n = base + static_cast<std::int64_t>(levels.size());
    if (n < m_seen) Reset(m_options);
    Check(levels, soft, base);
    m_seen = n;
    const StreamGrid grid(levels, timeline, base);
    Run(grid, m_options.soft ? soft : nullptr, false, out);
}

void LiveTextReader::Finish(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                            const std::vector<SoftWindow>* soft, std::vector<LiveTextPiece>& out, std::int64_t base) {
    Extend(levels, timeline, soft, out, base);
    const StreamGrid grid(levels, timeline, base);
    Run(grid, m_options.soft ? soft : nullptr, true, out);
    Reset(m_options);
}

std::int64_t LiveTextReader::Reach() const { return m_reach; }

void LiveTextReader::NoteReach(const StreamGrid& grid) {
    // The hunt reads its window (at the end once more the last kHuntLevels
    // levels); a followed frame reaches a bit and the margins back from its
    // start, and a transmission that ends hunts again from its first badly
    // framed frame.
    std::int64_t reach = std::max(m_huntFrom, m_huntEnd - kHuntLevels - kHuntStep);
    if (m_following) {
        const FrameModel& m = m_alignment.model;
        double back = m_last + m.frame - m.bit;
        if (!m_doubtful.empty()) back = std::min(back, m_firstDoubtful);
        const std::int64_t point = static_cast<std::int64_t>(std::floor(back)) - kMargin -
                                   static_cast<std::int64_t>(std::ceil(m.bit)) - 2;
        reach = grid.FirstAtOrAfter(m_origin + point * grid.Window()) - 1;
    }
    m_reach = std::clamp<std::int64_t>(reach - kReachMargin, m_reach, grid.Levels());
}

void LiveTextReader::Run(const StreamGrid& grid, const std::vector<SoftWindow>* soft, bool ended,
                         std::vector<LiveTextPiece>& out) {
    const std::int64_t n = grid.Levels();
    for (;;) {
        if (m_following) {
            while (m_following && Step(grid, soft, ended)) {
            }
            if (m_following) break;  // waiting for more levels
            continue;                // the transmission ended: hunt behind it
        }
        if (m_huntEnd <= n) {
            if (!Hunt(grid, soft, m_huntEnd, out)) m_huntEnd += kHuntStep;
            continue;
        }
        // At the end the last, shorter window is tried once more.
        const std::int64_t tried = m_huntEnd == m_huntFrom + kFirstHunt ? m_huntFrom : m_huntEnd - kHuntStep;
        if (ended && tried < n && n - std::max(m_huntFrom, n - kHuntLevels) >= kShortestHunt) {
            m_huntEnd = n;
            if (Hunt(grid, soft, n, out)) continue;
            m_huntEnd = n + 1;
        }
        break;
    }
    Flush(out);
    NoteReach(grid);
}

bool LiveTextReader::Hunt(const StreamGrid& grid, const std::vector<SoftWindow>* soft, std::int64_t end,
                          std::vector<LiveTextPiece>& out) {
    const std::int64_t first = std::max(m_huntFrom, end - kHuntLevels);
    const std::int64_t origin = grid.StartOf(first);
    TimeTrueSignal signal = grid.Lay(origin, 0, grid.SettledPoints(origin, end), first, end);
    if (soft) {
        // The keying summed over a few windows: noise that flips single
        // levels flips far fewer sums, and edges stay in place.
        LevelTimeline timeline;
        std::vector<SoftWindow> windows;
        grid.Cut(*soft, grid.StartOf(first), grid.StartOf(end), timeline, windows);
        signal = MakeSoftTimeTrueSignal(signal, timeline, windows, kHuntSum);
    }
    std::vector<TrackedFrame> frames;
    const FrameAlignment found = FindFrames(signal, LevelTimeline(grid.Window()), &frames);
    // A frame structure counts as steady when two hunt windows in a row find
    // it with their frames in the same places, or one finds a usual rate very clearly.
    const double least = found.nominalBaud <= 0.0 ? kMinUnusualConfidence : (soft ? kMinSoftConfidence : kMinConfidence);
    const bool steady = found.found && !frames.empty() && found.confidence >= least;
    std::vector<double> starts;
    if (steady)
        for (const TrackedFrame& f : frames) starts.push_back(signal.SampleOf(f.start));
    bool agrees = steady && found.nominalBaud > 0.0 && found.confidence >= kClearConfidence;
    if (steady && m_lastFound && m_lastFound->stopBits == found.model.stopBits &&
        m_lastFound->polarity == found.model.polarity &&
        std::fabs(found.model.frame / m_lastFound->frame - 1.0) < kSameFrame) {
        const double tolerance = 0.5 * found.model.bit * grid.Window();
        const auto near = std::lower_bound(m_lastStarts.begin(), m_lastStarts.end(), starts.front() - tolerance);
        agrees = agrees || (near != m_lastStarts.end() && std::fabs(*near - starts.front()) < tolerance);
    }
    m_lastFound.reset();
    m_lastStarts = std::move(starts);
    if (steady) m_lastFound = found.model;
    if (!agrees) return false;

    // The first run of frames, as far as the window holds all that they read.
    const FrameModel& m = found.model;
    const double reach = (m.Cells() + 0.5) * m.bit + static_cast<double>(kMargin) + (soft ? m.bit + 2.0 : 0.0);
    std::size_t count = 0;
    while (count < frames.size() && frames[count].start + reach <= static_cast<double>(signal.levels.size()) &&
           (count == 0 || std::fabs(frames[count].start - frames[count - 1].start - m.frame) < 0.5 * m.bit))
        ++count;
    while (count > 0 && !frames[count - 1].framed) --count;
    if (count == 0) return false;

    Flush(out);
    m_alignment = found;
    if (m_options.code) m_alignment.code = *m_options.code;
    m_origin = origin;
    m_following = true;
    m_lastFound.reset();
    m_doubtful.clear();
    m_text.emplace(m_alignment.code, m_alignment.reverseBits, m_alignment.reverseDirection, 1);

    LiveTextPiece piece;
    piece.kind = LiveTextPiece::Kind::Transmission;
    TransmissionInfo& info = piece.transmission;
    info.firstSample = std::llround(signal.SampleOf(frames.front().start));
    info.baud = found.baud;
    info.nominalBaud = found.nominalBaud;
    info.stopBits = m.stopBits;
    info.tone1Hz = m_options.tone1Hz;
    info.tone2Hz = m_options.tone2Hz;
    info.code = m_alignment.code;
    out.push_back(std::move(piece));

    for (std::size_t i = 0; i < count; ++i) {
        const Stretch stretch = Around(grid, soft, frames[i].start);
        m_rows += Row(stretch, frames[i].start, frames[i].framed);
    }
    m_last = frames[count - 1].start;
    return true;
}

LiveTextReader::Stretch LiveTextReader::Around(const StreamGrid& grid, const std::vector<SoftWindow>* soft,
                                               double at) const {
    const FrameModel& m = m_alignment.model;
    const auto pad = soft ? static_cast<std::int64_t>(std::ceil(0.5 * m.bit)) + 1 : 0;
    Stretch s;
    s.g0 = static_cast<std::int64_t>(std::floor(at - m.bit)) - kMargin - pad;
    s.g1 = static_cast<std::int64_t>(std::ceil(at + (m.Cells() + 0.5) * m.bit)) + kMargin + pad;
    const std::int64_t w = grid.Window();
    const std::int64_t from = std::max<std::int64_t>(0, grid.FirstAtOrAfter(m_origin + s.g0 * w) - 1);
    s.levels = grid.Lay(m_origin, s.g0, s.g1, from, grid.Levels());
    if (soft) {
        grid.Cut(*soft, m_origin + (s.g0 - pad) * w, m_origin + (s.g1 + pad) * w, s.timeline, s.soft);
        s.keying = MakeSoftTimeTrueSignal(s.levels, s.timeline, s.soft, m.bit);
    }
    return s;
}

std::string LiveTextReader::Row(const Stretch& stretch, double start, bool framed) const {
    const std::vector<TrackedFrame> frame{{start - static_cast<double>(stretch.g0), framed}};
    if (!stretch.keying.levels.empty())
        return FrameSoftBits(stretch.keying, stretch.timeline, stretch.soft, m_alignment.model, frame);
    return FrameBits(stretch.levels, m_alignment.model, frame);
}

bool LiveTextReader::Step(const StreamGrid& grid, const std::vector<SoftWindow>* soft, bool ended) {
    const FrameModel& m = m_alignment.model;
    const double next = m_last + m.frame;
    const std::int64_t settled = grid.SettledPoints(m_origin, grid.Levels());
    Stretch stretch = Around(grid, soft, next);
    if (stretch.g1 > settled) {
        if (!ended) return false;
        // The stream has ended: a frame it does not hold whole ends the transmission.
        if (next + (m.LeadBits() + 0.85) * m.bit + (soft ? 0.5 * m.bit : 0.0) > static_cast<double>(settled)) {
            m_following = false;
            m_doubtful.clear();
            HuntFrom(grid.Levels());
            return false;
        }
    }
    const FrameEdges edges(soft ? stretch.keying : stretch.levels, m);
    const double x = next - static_cast<double>(stretch.g0);
    if (edges.Framed(edges.Edge(x))) {
        const double start = edges.Follow(x) + static_cast<double>(stretch.g0);
        for (const std::string& row : m_doubtful) m_rows += row;
        m_doubtful.clear();
        m_rows += Row(stretch, start, true);
        m_last = start;
        return true;
    }
    if (m_doubtful.empty()) m_firstDoubtful = next;
    m_doubtful.push_back(Row(stretch, next, false));
    m_last = next;
    if (static_cast<int>(m_doubtful.size()) >= kMissesToEnd) {
        // Framing lost: the transmission ends before its first badly framed frame.
        m_following = false;
        m_doubtful.clear();
        HuntFrom(grid.FirstAtOrAfter(m_origin + static_cast<std::int64_t>(std::floor(m_firstDoubtful)) * grid.Window()));
    }
    return true;
}

void LiveTextReader::Flush(std::vector<LiveTextPiece>& out) {
    if (m_rows.empty() || !m_text) return;
    LiveTextPiece piece;
    piece.kind = LiveTextPiece::Kind::Text;
    m_text->Rows(m_rows, piece.text);
    m_rows.clear();
    if (!piece.text.empty()) out.push_back(std::move(piece));
}

}  // namespace morvane
