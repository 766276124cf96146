#include "scanner/PairSearch.h"

#include <algorithm>
#include <cmath>

namespace morvane {

namespace {
constexpr std::size_t kLeastFrames = 40;
constexpr std::size_t kMostPeaks = 32;
constexpr double kSameTone = 0.4;       // changes this alike (either sign) belong to one sender's tone
constexpr double kNearHz = 40.0;        // a peak this near a tone taken is part of it
constexpr double kMostImbalance = 1e-3; // the weaker tone's mean power over the stronger's, at least

struct Peak {
    double hz = 0.0;
    double mean = 0.0;
    std::vector<double> change;  // frame-to-frame change of the power about the peak, mean removed
    double spread = 0.0;         // root sum of squares of the changes
};

struct Candidate {
    std::size_t a, b;
    double keying, score;
};

std::vector<double> MeanPower(const std::deque<std::vector<float>>& frames) {
    std::vector<double> mean(frames.front().size(), 0.0);
    for (const auto& f : frames)
        for (std::size_t k = 0; k < mean.size(); ++k) mean[k] += f[k];
    for (double& m : mean) m /= static_cast<double>(frames.size());
    return mean;
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The peak's frequency between its bins (parabola through the log powers).
double PeakHz(const std::vector<double>& mean, std::size_t k, const BandPower& power) {
    const double l = std::log(mean[k - 1] + 1e-30), c = std::log(mean[k] + 1e-30), r = std::log(mean[k + 1] + 1e-30);
    const double d = l - 2.0 * c + r;
    const double delta = d < 0.0 ? std::clamp(0.5 * (l - r) / d, -0.5, 0.5) : 0.0;
    return (static_cast<double>(k + power.FirstBin()) + delta) * power.BinHz();
}

// The power about bin k in the newest `count` frames, as changes from frame to frame.
Peak Changes(const BandPower& power, std::size_t k, std::size_t count) {
    Peak p;
    const auto& frames = power.Frames();
    double last = 0.0, sum = 0.0;
    const std::size_t first = frames.size() - std::min(count, frames.size());
    for (std::size_t t = first; t < frames.size(); ++t) {
        const double x = static_cast<double>(frames[t][k - 1]) + frames[t][k] + frames[t][k + 1];
        if (t > first) p.change.push_back(x - last);
        last = x;
    }
    for (double c : p.change) sum += c;
    const double m = sum / static_cast<double>(p.change.size());
    double squares = 0.0;
    for (double& c : p.change) {
        c -= m;
        squares += c * c;
    }
    p.spread = std::sqrt(squares);
    return p;
}

Peak MakePeak(const BandPower& power, const std::vector<double>& mean, std::size_t k) {
    Peak p = Changes(power, k, power.Frames().size());
    p.hz = PeakHz(mean, k, power);
    p.mean = mean[k];
    return p;
}

double Correlation(const Peak& a, const Peak& b) {
    if (a.spread <= 0.0 || b.spread <= 0.0) return 0.0;
    double s = 0.0;
    for (std::size_t t = 0; t < a.change.size(); ++t) s += a.change[t] * b.change[t];
    return s / (a.spread * b.spread);
}

std::vector<Peak> FindPeaks(const BandPower& power, const PairRules& rules) {
    const std::vector<double> mean = MeanPower(power.Frames());
    const double floor = std::max(Median(mean), 1e-30);
    std::vector<std::size_t> at;
    for (std::size_t k = 1; k + 1 < mean.size(); ++k) {
        const double hz = static_cast<double>(k + power.FirstBin()) * power.BinHz();
        if (hz < rules.lowestHz || hz > rules.highestHz) continue;
        if (mean[k] >= mean[k - 1] && mean[k] > mean[k + 1] && mean[k] > rules.peakOverFloor * floor) at.push_back(k);
    }
    std::sort(at.begin(), at.end(), [&](std::size_t x, std::size_t y) { return mean[x] > mean[y]; });
    if (at.size() > kMostPeaks) at.resize(kMostPeaks);
    std::vector<Peak> peaks;
    for (std::size_t k : at) {
        peaks.push_back(MakePeak(power, mean, k));
        peaks.back().mean /= floor;
    }
    return peaks;
}

std::vector<Candidate> Candidates(const std::vector<Peak>& peaks, const PairRules& rules) {
    std::vector<Candidate> out;
    for (std::size_t i = 0; i < peaks.size(); ++i)
        for (std::size_t j = 0; j < peaks.size(); ++j) {
            const Peak &a = peaks[i], &b = peaks[j];
            const double shift = b.hz - a.hz;
            if (shift < rules.minShiftHz || shift > rules.maxShiftHz) continue;
            const double weaker = std::min(a.mean, b.mean), stronger = std::max(a.mean, b.mean);
            if (weaker < kMostImbalance * stronger) continue;
            const double keying = -Correlation(a, b);
            if (keying < rules.minKeying) continue;
            out.push_back({i, j, keying, keying * weaker});
        }
    std::sort(out.begin(), out.end(), [](const Candidate& x, const Candidate& y) { return x.score > y.score; });
    return out;
}

// A peak that belongs to a tone taken: near it, or changing with it.
bool PartOfTaken(const std::vector<Peak>& peaks, std::size_t p, const std::vector<std::size_t>& taken) {
    for (std::size_t t : taken) {
        if (t == p || std::fabs(peaks[t].hz - peaks[p].hz) < kNearHz) return true;
        if (std::fabs(Correlation(peaks[t], peaks[p])) > kSameTone) return true;
    }
    return false;
}
}  // namespace

std::vector<FoundPair> FindKeyedPairs(const BandPower& power, const PairRules& rules) {
    if (power.Frames().size() < kLeastFrames) return {};
    const std::vector<Peak> peaks = FindPeaks(power, rules);
    std::vector<FoundPair> out;
    std::vector<std::size_t> taken;
    for (const Candidate& c : Candidates(peaks, rules)) {
        if (PartOfTaken(peaks, c.a, taken) || PartOfTaken(peaks, c.b, taken)) continue;
        taken.push_back(c.a);
        taken.push_back(c.b);
        const double weaker = std::min(peaks[c.a].mean, peaks[c.b].mean);
        out.push_back({peaks[c.a].hz, peaks[c.b].hz, c.keying, 10.0 * std::log10(weaker)});
    }
    return out;
}

}  // namespace morvane

namespace morvane {

namespace {
std::size_t BinOf(const BandPower& power, double hz) {
    const auto k = static_cast<std::ptrdiff_t>(std::lround(hz / power.BinHz())) - static_cast<std::ptrdiff_t>(power.FirstBin());
    return static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(k, 1, static_cast<std::ptrdiff_t>(power.Frames().front().size()) - 2));
}
}  // namespace

std::size_t OnsetFrame(const BandPower& power, double lowHz, double highHz) {
    const auto& f = power.Frames();
    if (f.empty()) return 0;
    const std::size_t a = BinOf(power, lowHz), b = BinOf(power, highHz);
    std::vector<double> both;
    for (const auto& frame : f)
        both.push_back(static_cast<double>(frame[a - 1]) + frame[a] + frame[a + 1] + frame[b - 1] + frame[b] + frame[b + 1]);
    std::vector<double> sorted = both;
    const auto high = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() * 9 / 10);
    std::nth_element(sorted.begin(), high, sorted.end());
    const double threshold = 0.2 * *high;
    for (std::size_t t = 0; t < both.size(); ++t)
        if (both[t] > threshold) return t;
    return 0;
}

double KeyingOf(const BandPower& power, double lowHz, double highHz, std::size_t frames) {
    const auto& f = power.Frames();
    if (f.empty() || std::min(frames, f.size()) < 8) return 0.0;
    const auto binOf = [&](double hz) { return BinOf(power, hz); };
    return -Correlation(Changes(power, binOf(lowHz), frames), Changes(power, binOf(highHz), frames));
}

}  // namespace morvane
