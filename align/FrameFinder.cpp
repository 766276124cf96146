#include "align/FrameFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "align/BitComb.h"
#include "align/FoldProfile.h"
#include "align/FrameCode.h"
#include "align/FrameFinderChecks.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "dsp/SampleFormat.h"
#include "raster/BitExtraction.h"

namespace morvane {

namespace {

// Frame periods searched, in grid steps: 150 baud with one stop bit (7 bits
// of 4 steps) up to 30 baud with two (8 bits of 20 steps), with room for
// senders half a percent off.
constexpr double kMinFrame = 27.5;
constexpr double kMaxFrame = 162.0;
constexpr std::int32_t kMaxLag = 656;         // four periods of the longest frame
constexpr std::int32_t kIdleRun = 170;        // a steady tone this long is idle, not keying
constexpr std::int64_t kChunk = 16384;        // grid steps per analysed stretch (27 s)
constexpr std::int32_t kMaxChunks = 8;
constexpr double kMinPeriodicity = 0.03;      // weakest frame-periodicity peak taken for a frame
constexpr double kMinFramedShare = 0.6;
constexpr std::int64_t kMinFrames = 8;
constexpr double kCombFrames = 24.0;          // frames folded together to place the bit edges
constexpr double kPeriodRecheck = 0.002;       // a fitted period this far off has the frame lengths placed again
constexpr std::size_t kLengthsTried = 3;       // frame lengths tried at most (the 5-bit ones count once)
constexpr double kTie = 0.02;                  // readings whose confidences differ by less are as good
constexpr double kAmbiguous = 0.97;            // frames a whole number of bits on framed nearly as well …
constexpr double kAmbiguousShare = 0.25;       // … leave this share of the confidence
constexpr std::array<double, 3> kStopBits = {1.0, 1.5, 2.0};
constexpr std::array<double, 7> kUsualBaud = {45.45, 50.0, 56.88, 75.0, 100.0, 110.0, 150.0};

// Keying as +1 / −1 per grid step; silence and idle stretches count 0.
std::vector<std::int8_t> Keying(const std::vector<std::int32_t>& levels) {
    std::vector<std::int8_t> x(levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i) x[i] = levels[i] > 128 ? 1 : (levels[i] < 128 ? -1 : 0);
    for (std::size_t i = 0; i < x.size();) {
        std::size_t j = i;
        while (j < x.size() && x[j] == x[i]) ++j;
        if (x[i] != 0 && j - i > static_cast<std::size_t>(kIdleRun)) std::fill(x.begin() + i, x.begin() + j, 0);
        i = j;
    }
    return x;
}

// The stretches analysed: all of a short stream, or kMaxChunks spread evenly.
std::vector<std::pair<std::int64_t, std::int64_t>> Chunks(std::int64_t n) {
    std::vector<std::pair<std::int64_t, std::int64_t>> out;
    const std::int64_t count = (n + kChunk - 1) / kChunk;
    if (count <= kMaxChunks) {
        for (std::int64_t c = 0; c < count; ++c) out.push_back({c * kChunk, std::min(n, (c + 1) * kChunk)});
        return out;
    }
    for (std::int32_t j = 0; j < kMaxChunks; ++j) {
        const std::int64_t c = (count - 1) * j / (kMaxChunks - 1);
        out.push_back({c * kChunk, std::min(n, (c + 1) * kChunk)});
    }
    return out;
}

// Autocorrelation of the keying, summed over the stretches, for lags 0 … kMaxLag.
std::vector<double> Autocorrelation(const std::vector<std::int8_t>& x,
                                    const std::vector<std::pair<std::int64_t, std::int64_t>>& chunks) {
    std::vector<double> a(kMaxLag + 1, 0.0);
    for (const auto& [begin, end] : chunks) {
        for (std::int32_t lag = 0; lag <= kMaxLag; ++lag) {
            std::int32_t sum = 0;
            const std::int8_t* p = x.data() + begin;
            const std::int64_t len = end - begin - lag;
            for (std::int64_t i = 0; i < len; ++i) sum += p[i] * p[i + lag];
            a[static_cast<std::size_t>(lag)] += sum;
        }
    }
    return a;
}

double Interpolate(const std::vector<double>& a, double at) {
    const auto i = static_cast<std::size_t>(at);
    if (i + 1 >= a.size()) return a.back();
    const double f = at - static_cast<double>(i);
    return a[i] * (1.0 - f) + a[i + 1] * f;
}

// Mean of the autocorrelation at every multiple of the period within reach.
double Periodicity(const std::vector<double>& a, double period) {
    double sum = 0.0;
    int count = 0;
    for (double lag = period; lag <= kMaxLag; lag += period, ++count) sum += Interpolate(a, lag);
    return count ? sum / count : 0.0;
}

// Sharpness of the folded keying at a period: mean square of the profile.
double Sharpness(const std::vector<double>& x, const std::vector<std::pair<std::int64_t, std::int64_t>>& chunks,
                 double period) {
    const auto bins = static_cast<std::int32_t>(std::lround(2.0 * period));
    double total = 0.0;
    for (const auto& [begin, end] : chunks) {
        const std::vector<double> profile = FoldProfile(x, begin, end, period, bins);
        for (double m : profile) total += m * m;
    }
    return total;
}

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0.0;
    const auto k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

// Frame period from the starts of followed frames: least squares over runs
// of frames one period apart. Returns `period` when there are too few.
double FittedPeriod(const std::vector<TrackedFrame>& frames, double period, double bit) {
    double sxy = 0.0, sxx = 0.0;
    std::size_t i = 0;
    while (i < frames.size()) {
        std::size_t j = i + 1;
        std::vector<double> k{0.0};
        while (j < frames.size() && std::fabs(frames[j].start - frames[j - 1].start - period) < 0.5 * bit) {
            k.push_back(k.back() + 1.0);
            ++j;
        }
        if (j - i >= 3) {
            double mk = 0.0, mt = 0.0;
            for (std::size_t r = i; r < j; ++r) mk += k[r - i], mt += frames[r].start;
            mk /= static_cast<double>(j - i);
            mt /= static_cast<double>(j - i);
            for (std::size_t r = i; r < j; ++r) {
                sxy += (k[r - i] - mk) * (frames[r].start - mt);
                sxx += (k[r - i] - mk) * (k[r - i] - mk);
            }
        }
        i = j;
    }
    if (sxx <= 0.0) return period;
    const double fitted = sxy / sxx;
    return std::fabs(fitted / period - 1.0) < 0.02 ? fitted : period;
}

// Frame lengths in bits (of kFrameBitCounts), best first, by how well their
// bit edges explain where the keying changes within the frames of `period`
// grid steps, summed over the stretches (each folded on its own: their frames
// need not line up).
std::vector<double> FrameBitsOfChanges(const std::vector<std::int8_t>& keying,
                          const std::vector<std::pair<std::int64_t, std::int64_t>>& chunks, double period) {
    const std::vector<double> changes = KeyingChanges(keying);
    const auto bins = static_cast<std::int32_t>(std::lround(4.0 * period));
    std::array<double, kFrameBitCounts.size()> score{};
    // Pieces of a few dozen frames: a period a little off would smear the
    // edges of a longer fold (in noise the period is known less exactly).
    const auto piece = static_cast<std::int64_t>(std::ceil(kCombFrames * period));
    for (const auto& [begin, end] : chunks)
        for (std::int64_t from = begin; from < end; from += piece) {
            const std::int64_t to = std::min(end, from + piece);
            const double weight = static_cast<double>(to - from) / static_cast<double>(piece);
            const std::vector<double> fold = FoldProfile(changes, from, to, period, bins);
            for (std::size_t k = 0; k < kFrameBitCounts.size(); ++k)
                score[k] += weight * BitCombScore(fold, kFrameBitCounts[k]);
        }
    std::vector<std::size_t> order(score.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return score[x] > score[y]; });
    std::vector<double> out;
    for (std::size_t k : order) out.push_back(kFrameBitCounts[k]);
    return out;
}

// How clearly start and stop stand apart in the frames, 0 … 1: the mean over
// the frames of the level's side in the middle of the start bit and of the
// first stop bit.
double Contrast(const TimeTrueSignal& signal, const FrameModel& model, const std::vector<TrackedFrame>& frames) {
    if (frames.empty()) return 0.0;
    const auto n = static_cast<std::int64_t>(signal.levels.size());
    double contrast = 0.0;
    for (const TrackedFrame& f : frames) {
        const auto at = [&](double bits) {
            const auto i = std::clamp<std::int64_t>(static_cast<std::int64_t>(f.start + bits * model.bit), 0, n - 1);
            const std::int32_t l = signal.levels[static_cast<std::size_t>(i)];
            return static_cast<double>(model.polarity * ((l > 128) - (l < 128)));
        };
        contrast += std::clamp((at(model.LeadBits() + 0.5) - at(0.5)) / 2.0, 0.0, 1.0);
    }
    return contrast / static_cast<double>(frames.size());
}

// How cleanly the frames' cells hold one tone, 0 … 1: the mean over every
// cell (start, data, parity, first stop bit) of every frame of how far the
// keying over the middle of the cell leans to one side. Cells of a bit a
// little too long or short straddle bit edges towards the frame's end.
double CellPurity(const TimeTrueSignal& signal, const FrameModel& model, const std::vector<TrackedFrame>& frames) {
    const std::size_t n = signal.levels.size();
    if (frames.empty() || n == 0) return 0.0;
    std::vector<double> prefix(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        prefix[i + 1] = prefix[i] + ((signal.levels[i] > 128) - (signal.levels[i] < 128));
    const auto integral = [&](double x) {
        if (x <= 0.0) return 0.0;
        if (x >= static_cast<double>(n)) return prefix[n];
        const auto i = static_cast<std::size_t>(x);
        return prefix[i] + (x - static_cast<double>(i)) * (prefix[i + 1] - prefix[i]);
    };
    const std::int32_t cells = model.Cells();
    double sum = 0.0;
    for (const TrackedFrame& f : frames)
        for (std::int32_t c = 0; c < cells; ++c) {
            const double a = f.start + (c + 0.15) * model.bit, b = f.start + (c + 0.85) * model.bit;
            sum += std::fabs(integral(b) - integral(a)) / (b - a);
        }
    return sum / static_cast<double>(frames.size() * static_cast<std::size_t>(cells));
}

// One reading of the frames: a layout, the frames it follows, its code.
struct Reading {
    FrameModel model;
    std::vector<TrackedFrame> frames;
    CodeSettings code;
    std::string codeReason;
    double framedShare = 0.0;
    double confidence = 0.0;  // framed share × contrast; 0 when too few frames are framed
};

// Frames of `model` followed, then followed again with the period their
// starts give; `model` takes that period.
std::vector<TrackedFrame> Follow(const TimeTrueSignal& signal, FrameModel& model) {
    std::vector<TrackedFrame> frames = TrackFrames(signal, model);
    model.frame = FittedPeriod(frames, model.frame, model.bit);
    model.bit = model.frame / model.FrameBitCount();
    return TrackFrames(signal, model);
}

double FramedShare(const std::vector<TrackedFrame>& frames) {
    const auto framed = std::count_if(frames.begin(), frames.end(), [](const TrackedFrame& f) { return f.framed; });
    return frames.empty() ? 0.0 : static_cast<double>(framed) / static_cast<double>(frames.size());
}

std::string FrameBitsText(double frameBits) {
    char text[16];
    std::snprintf(text, sizeof text, "%g", frameBits);
    return text;
}

FrameAlignment NotFound(std::string reason) {
    FrameAlignment a;
    a.reason = std::move(reason);
    return a;
}

// 5-bit frames of `period` grid steps: the stop element (1, 1.5 or 2 bits)
// and the polarity from the folded keying (the start bit is space, the stop
// element mark), then the frames followed. False when no layout fits.
bool FindFiveBitFrames(const TimeTrueSignal& signal, const std::vector<double>& xd,
                       const std::vector<std::pair<std::int64_t, std::int64_t>>& chunks, double period,
                       FrameModel& model, std::vector<TrackedFrame>& frames) {
    std::array<std::array<double, 2>, 3> gain{};
    const auto bins = static_cast<std::int32_t>(std::lround(4.0 * period));
    for (const auto& [begin, end] : chunks) {
        std::vector<double> profile = FoldProfile(xd, begin, end, period, bins);
        std::vector<double> magnitude(profile.size());
        for (std::size_t b = 0; b < profile.size(); ++b) magnitude[b] = std::fabs(profile[b]);
        const double amplitude = Quantile(magnitude, 0.95);
        if (amplitude <= 0.0) continue;
        for (std::size_t s = 0; s < kStopBits.size(); ++s) {
            gain[s][0] += BestFramePhase(profile, kStopBits[s], amplitude).gain;
            for (double& m : profile) m = -m;
            gain[s][1] += BestFramePhase(profile, kStopBits[s], amplitude).gain;
            for (double& m : profile) m = -m;
        }
    }
    double bestGain = -1e300;
    for (std::size_t s = 0; s < kStopBits.size(); ++s)
        for (int p = 0; p < 2; ++p)
            if (gain[s][static_cast<std::size_t>(p)] > bestGain) {
                bestGain = gain[s][static_cast<std::size_t>(p)];
                model.stopBits = kStopBits[s];
                model.polarity = p == 0 ? 1 : -1;
            }
    if (bestGain <= 0.0) return false;
    model.frame = period;
    model.bit = period / model.FrameBitCount();

    // Follow the frames; their starts give the period exactly.
    frames = Follow(signal, model);
    return true;
}

// ASCII frames of `period` grid steps and `frameBits` bits: followed with
// the layout of the most lead bits, both ways round (in 8-bit frames of text,
// whose top bit is 0, the inverted keying one bit later frames as well: the
// way whose bits look like text wins), then the code and its layout decided
// from the frames' bits and the frames followed with that layout.
void FindAsciiFrames(const TimeTrueSignal& signal, double period, double frameBits, FrameModel& model,
                     std::vector<TrackedFrame>& frames, CodeSettings& code, std::string& codeReason) {
    double bestScore = -1.0;
    std::string rows;
    for (int polarity : {1, -1}) {
        FrameModel m = WidestAsciiLayout(frameBits);
        m.frame = period;
        m.bit = period / frameBits;
        m.polarity = polarity;
        std::vector<TrackedFrame> followed = Follow(signal, m);
        std::string bits = FrameBits(signal, m, followed);
        if (polarity < 0) InvertBits(bits);
        const double score = FramedShare(followed) + TextLikeShare(bits);
        if (score > bestScore) bestScore = score, model = m, frames = std::move(followed), rows = std::move(bits);
    }
    const FrameCode chosen = ChooseAsciiCode(rows, model);
    code = chosen.code;
    codeReason = chosen.reason;
    const bool fewerLeadBits = chosen.layout.LeadBits() != model.LeadBits();
    model.dataBits = chosen.layout.dataBits;
    model.parityBit = chosen.layout.parityBit;
    model.stopBits = chosen.layout.stopBits;
    if (fewerLeadBits) frames = TrackFrames(signal, model);
}

}  // namespace

std::string FrameBits(const TimeTrueSignal& signal, const FrameModel& model, const std::vector<TrackedFrame>& frames) {
    RasterParams p;
    p.count = model.Cells() * kCellLevels;
    p.offset = 0;
    p.slant = 0.0f;
    p.gridWidth = 2 * kCellLevels;
    return ExtractBits(FrameLevelRows(signal, model, frames), p);
}

std::string FrameText(const std::string& frameBits, const FrameAlignment& alignment) {
    std::string text;
    DecodeText(PrepareBits(frameBits, alignment.reverseBits, alignment.reverseDirection, 1), 1, alignment.code, text);
    return text;
}

FrameAlignment FindFrames(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline) {
    // A timeline of some other stream is no guide: the levels count as evenly spaced.
    if (timeline.LevelCount() != static_cast<std::int64_t>(levels.size())) {
        const LevelTimeline none(timeline.Window());
        return FindFrames(MakeTimeTrueSignal(levels, none), none);
    }
    return FindFrames(MakeTimeTrueSignal(levels, timeline), timeline);
}

namespace {

// The period (kMinFrame … `longest` grid steps) at which the keying repeats
// best, and how well.
std::pair<double, double> BestPeriod(const std::vector<double>& a, double longest) {
    double best = kMinFrame, bestScore = -1e300;
    for (double f = kMinFrame; f <= longest; f += 0.05) {
        const double h = Periodicity(a, f);
        if (h > bestScore) best = f, bestScore = h;
    }
    return {best, bestScore};
}

// Frame periods worth reading, from the keying's normalised
// autocorrelation: the period that repeats best, or the shortest of its
// whole parts that repeats nearly as well; half and twice that; and half the
// best period up to twice the longest frame. The tuning pattern RYRY (and
// any text of two characters in turn) repeats every two frames, and R and Y
// differ in every code bit, so its keying repeats best at twice the frame.
// Empty when nothing repeats.
std::vector<double> CandidatePeriods(const std::vector<double>& a) {
    auto [best, bestScore] = BestPeriod(a, kMaxFrame);
    if (bestScore < kMinPeriodicity) return {};
    // A period that is a whole multiple of the frame repeats as well: take the shortest.
    const double longest = best, longestScore = bestScore;
    for (int k = 2; k <= 5; ++k) {
        double sub = 0.0, subScore = -1e300;
        for (double f = longest / k - 0.5; f <= longest / k + 0.5; f += 0.02) {
            if (f < kMinFrame) continue;
            const double h = Periodicity(a, f);
            if (h > subScore) sub = f, subScore = h;
        }
        if (subScore >= 0.75 * longestScore) best = sub, bestScore = subScore;
    }
    std::vector<double> out{best};
    const auto add = [&](double f) {
        if (f < kMinFrame || f > kMaxFrame) return;
        for (double known : out)
            if (std::fabs(f / known - 1.0) < 0.01) return;
        out.push_back(f);
    };
    add(best / 2.0);
    add(2.0 * best);
    add(longest);
    add(longest / 2.0);
    const double twice = BestPeriod(a, 2.0 * kMaxFrame).first;
    add(twice / 2.0);
    return out;
}

// Everything the readings at the candidate periods share.
struct Search {
    const TimeTrueSignal& signal;
    const std::vector<std::int8_t>& keying;
    const std::vector<double>& xd;
    const std::vector<std::pair<std::int64_t, std::int64_t>>& chunks;
    const std::vector<double>& changes;  // KeyingChanges(keying)
};

// 1 while the keying changes half-way between the bit edges at most half
// as often as at them, falling to 0 where it changes as often: frames
// whose bits are not the signal's (noise adds changes everywhere, and
// deep in it a right reading falls below 1 as well).
double BitFit(const Search& s, const Reading& r) {
    const double mid = MidBitChanges(s.changes, r.model, r.frames);
    return std::clamp(2.0 * (1.0 - mid), 0.0, 1.0);
}

// The frames of one layout of `frameBits` bits at `period`; confidence 0
// when too few of them are well framed.
Reading ReadLength(const Search& s, double period, double frameBits) {
    Reading r;
    if (IsFiveBitFrame(frameBits)) {
        if (!FindFiveBitFrames(s.signal, s.xd, s.chunks, period, r.model, r.frames)) return r;
        r.codeReason = FrameBitsText(r.model.FrameBitCount()) +
                       "-bit frames: 5 data bits; Baudot (the US figures cannot be told from the frames)";
    } else {
        FindAsciiFrames(s.signal, period, frameBits, r.model, r.frames, r.code, r.codeReason);
    }
    r.framedShare = FramedShare(r.frames);
    if (static_cast<std::int64_t>(r.frames.size()) >= kMinFrames && r.framedShare >= kMinFramedShare)
        r.confidence = r.framedShare * Contrast(s.signal, r.model, r.frames);
    return r;
}

// The frame length of `lengths` (best placed first) whose frames are
// followed best at `period`.
Reading ChooseLength(const Search& s, double period, const std::vector<double>& lengths) {
    Reading reading = ReadLength(s, period, lengths[0]);
    bool fiveBitTried = IsFiveBitFrame(lengths[0]);
    for (std::size_t k = 1, tried = 1; k < lengths.size() && tried < kLengthsTried && reading.confidence <= 0.0; ++k) {
        // The 5-bit layouts are all tried at once.
        if (IsFiveBitFrame(lengths[k]) && fiveBitTried) continue;
        fiveBitTried |= IsFiveBitFrame(lengths[k]);
        ++tried;
        reading = ReadLength(s, period, lengths[k]);
    }
    // ASCII frames half a bit apart (1 or 1.5 stop bits, …) differ in
    // their edges only towards the frame's end, where text keeps few: of
    // the two, the one whose cells hold their tone more cleanly wins.
    if (reading.confidence > 0.0 && !IsFiveBitFrame(lengths[0]) && !IsFiveBitFrame(lengths[1]) &&
        std::fabs(lengths[0] - lengths[1]) == 0.5 && reading.model.FrameBitCount() == lengths[0]) {
        Reading other = ReadLength(s, period, lengths[1]);
        if (other.confidence > 0.0 &&
            CellPurity(s.signal, other.model, other.frames) > CellPurity(s.signal, reading.model, reading.frames))
            reading = std::move(other);
    }
    return reading;
}

// The frames at about `coarse` grid steps: the period to a fraction of a
// level (the sharpest fold), the frame length whose bit edges gather the
// keying's changes, the frames followed.
Reading ReadPeriod(const Search& s, double coarse) {
    double period = coarse, sharpest = -1.0;
    for (double f = coarse - 0.6; f <= coarse + 0.6; f += 0.01) {
        const double sharpness = Sharpness(s.xd, s.chunks, f);
        if (sharpness > sharpest) period = f, sharpest = sharpness;
    }
    // Within a frame the keying changes only at the bit edges, so the
    // frame's length in bits is the one whose edges gather the changes.
    // 5-bit frames are 7 … 8 bits long, ASCII frames 9 … 12. When no frames
    // of that length can be followed (in noise the best-placed edges may
    // belong to a wrong length), the next lengths are tried.
    Reading reading = ChooseLength(s, period, FrameBitsOfChanges(s.keying, s.chunks, period));
    // The edges need the period more exactly than the folds above give it
    // from a few frames: when the followed ASCII frames' starts give another
    // period, the lengths are placed again on that one.
    if (reading.confidence > 0.0 && IsAscii(reading.code.code) &&
        std::fabs(reading.model.frame / period - 1.0) > kPeriodRecheck) {
        const double fitted = reading.model.frame;
        const std::vector<double> lengths = FrameBitsOfChanges(s.keying, s.chunks, fitted);
        if (lengths[0] != reading.model.FrameBitCount()) {
            Reading again = ChooseLength(s, fitted, lengths);
            if (again.confidence > 0.0) reading = std::move(again);
        }
    }
    return reading;
}

// The best of the readings at the candidate periods, each as sure as its
// bits fit the signal's (frames whose bits are not the signal's are not
// sure, however well framed). Frames of half the period that are as well
// framed explain every frame of the longer reading and the ones between:
// the shorter wins a tie.
Reading BestReading(const Search& s, const std::vector<double>& periods) {
    Reading best;
    double bestPeriod = 0.0;
    for (double period : periods) {
        Reading r = ReadPeriod(s, period);
        if (r.confidence <= 0.0) continue;
        r.confidence *= BitFit(s, r);
        const bool shorter = bestPeriod == 0.0 || r.model.frame < bestPeriod;
        if (r.confidence > best.confidence + kTie || (shorter && r.confidence >= best.confidence - kTie)) {
            bestPeriod = r.model.frame;
            best = std::move(r);
        }
    }
    return best;
}

}  // namespace

FrameAlignment FindFrames(const TimeTrueSignal& signal, const LevelTimeline& timeline,
                          std::vector<TrackedFrame>* framesOut) {
    if (framesOut) framesOut->clear();
    const auto n = static_cast<std::int64_t>(signal.levels.size());
    if (n < static_cast<std::int64_t>(4 * kMaxFrame))
        return NotFound("too short to find frames (" + std::to_string(n) + " levels)");
    if (std::all_of(signal.levels.begin(), signal.levels.end(), [](std::int32_t l) { return l == 128; }))
        return NotFound("no signal: every level is silence");

    // The frame period: the keying repeats itself one frame later.
    const std::vector<std::int8_t> keying = Keying(signal.levels);
    const auto chunks = Chunks(n);
    std::vector<double> a = Autocorrelation(keying, chunks);
    if (a[0] <= 0.0) return NotFound(kNoFrameStructure);
    const double energy = a[0];
    for (double& v : a) v /= energy;
    if (RepeatsWithinFewLevels(a, static_cast<std::int32_t>(kMinFrame))) return NotFound(kNoFrameStructure);
    const double baseline = Quantile(std::vector<double>(a.begin() + 28, a.end()), 0.5);
    for (double& v : a) v -= baseline;
    const std::vector<double> periods = CandidatePeriods(a);
    if (periods.empty()) return NotFound(kNoFrameStructure);
    const std::vector<double> xd(keying.begin(), keying.end());
    const std::vector<double> changes = KeyingChanges(keying);
    Reading reading = BestReading(Search{signal, keying, xd, chunks, changes}, periods);
    if (reading.confidence <= 0.0) return NotFound(kNoFrameStructure);
    MoveRunsOntoTheNext(signal, reading.model, reading.frames);
    reading.framedShare = FramedShare(reading.frames);
    if (OtherPhaseFrames(signal, reading.model, reading.frames) >= kAmbiguous * reading.framedShare) reading.confidence *= kAmbiguousShare;
    if (reading.confidence <= 0.0) return NotFound(kNoFrameStructure);
    const FrameModel& model = reading.model;
    const std::vector<TrackedFrame>& frames = reading.frames;
    const CodeSettings& code = reading.code;

    FrameAlignment out;
    out.found = true;
    out.model = model;
    out.frames = static_cast<std::int64_t>(frames.size());
    out.baud = static_cast<double>(kSampleRate) / (model.bit * signal.window);
    for (double usual : kUsualBaud)
        if (std::fabs(out.baud / usual - 1.0) < 0.02 &&
            (out.nominalBaud == 0.0 || std::fabs(out.baud - usual) < std::fabs(out.baud - out.nominalBaud)))
            out.nominalBaud = usual;
    out.drift = out.nominalBaud > 0.0 ? out.baud / out.nominalBaud - 1.0 : 0.0;
    out.firstFrameSample = signal.SampleOf(frames.front().start);
    out.code = code;
    out.codeReason = reading.codeReason;
    out.confidence = reading.confidence;

    // Polarity and reading direction for the decoder.
    // Both codes go on air least significant bit first. (The figures of a
    // 5-bit text read backwards are no guide: the US figures read where the
    // program's table has none, so a text in them looked "clearer" read the
    // wrong way round.)
    out.reverseBits = model.polarity < 0;
    out.reverseDirection = true;

    // The plain raster (rows of the level stream): level indices advance a little faster than time
    // because every demodulator call drops samples; measure by how much.
    const bool timed = timeline.LevelCount() > 0 && !timeline.Calls().empty();
    const auto indexOf = [&](double grid) {
        const double sample = signal.SampleOf(grid);
        return timed ? static_cast<double>(timeline.LevelAtOrAfter(static_cast<std::int64_t>(std::llround(sample))))
                     : std::ceil(grid);
    };
    const double firstIndex = indexOf(frames.front().start);
    double perStep = 1.0;
    if (frames.size() >= 2 && frames.back().start > frames.front().start)
        perStep = (indexOf(frames.back().start) - firstIndex) / (frames.back().start - frames.front().start);
    const double frameIndex = model.frame * perStep;
    out.raster.count = static_cast<std::int32_t>(std::lround(frameIndex));
    out.raster.slant = static_cast<float>(frameIndex - out.raster.count);
    out.raster.offset = static_cast<std::int32_t>(firstIndex);
    const auto cell = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(model.bit * perStep)));
    out.raster.gridWidth = 2 * cell;
    const std::int32_t cells = (out.raster.count + cell - 1) / cell;
    out.ignore = out.reverseDirection ? std::max(0, cells - model.LeadBits()) : 1;
    if (framesOut) *framesOut = std::move(reading.frames);
    return out;
}

}  // namespace morvane
