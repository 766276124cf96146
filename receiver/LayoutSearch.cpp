#include "receiver/LayoutSearch.h"

#include "receiver/FrameBits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace morvane {

namespace {
constexpr std::array<int, 4> kLeads{6, 8, 9, 10};
constexpr double kMinGoodShare = 0.75;
constexpr double kNearBest = 0.06;
constexpr double kNearFit = 0.08;
constexpr int kMinFrames = 8;
constexpr double kMinQuality = 0.6;  // the frames' mean quality a layout needs
constexpr double kRestClear = 0.3;   // the decision that tells the tone at rest …
constexpr double kRestFrom = 0.6;    // … from this many bits after the sound begins …
constexpr double kRestTo = 1.5;      // … to this many
constexpr double kBothHold = 0.97;   // frames that hold this well two ways (up and down, placed or long) leave the reading in doubt
constexpr double kSamePlace = 0.5;   // bits between two frame starts that are the same place
constexpr double kMostMoved = 0.5;   // share of another placing's frames away from the frames read
constexpr double kStartAsData = 0.9;  // share of frames whose first data bit is mark: the start bit read upside down
constexpr double kVaryingBit = 0.75;  // a data bit mark in no more than this share varies
constexpr std::size_t kTextCharacters = 6;  // different characters that make text, not a repeated pattern
constexpr double kPlainText = 0.7;    // share of plain text characters one way up reads at least …
constexpr double kMorePlain = 0.3;    // … and this much more than the other

// The decision values of a stretch through a chain started at its own
// levels, and where a signal is there at all: the tones' magnitudes together
// stand above about half their upper tenth.
struct Decided {
    std::vector<double> v;
    std::vector<bool> present;
};

Decided Decisions(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                  double bitLength) {
    const std::size_t n = std::min(tone1.size(), tone2.size());
    std::vector<double> m1(n), m2(n), sum(n);
    Decided out{std::vector<double>(n), std::vector<bool>(n)};
    std::vector<SyncedFrame> none;
    ReceiverChain pre(bitLength, ToneLevels{});
    for (std::size_t i = 0; i < n; ++i) {
        pre.Push(tone1[i], tone2[i], none);
        m1[i] = pre.Magnitude1();
        m2[i] = pre.Magnitude2();
        sum[i] = m1[i] + m2[i];
    }
    const ToneLevels levels = LevelsOf(m1, m2);
    const ToneLevels together = LevelsOf(sum, sum);
    const double gate = 0.55 * together.envelope1;
    ReceiverChain chain(bitLength, levels);
    for (std::size_t i = 0; i < n; ++i) {
        out.v[i] = chain.Push(tone1[i], tone2[i], none);
        out.present[i] = sum[i] >= gate;
    }
    return out;
}

struct Trial {
    std::vector<SyncedFrame> frames;
    double good = 0.0;
    double fit = 0.0;  // how near bit boundaries the good frames' inner edges lie, 0 … 1
};

double EdgeFit(const std::vector<SyncedFrame>& frames) {
    int edges = 0;
    double miss = 0.0;
    for (const auto& f : frames)
        if (f.stopOk) {
            edges += f.edges;
            miss += f.edgeMiss;
        }
    return edges > 0 ? 1.0 - 2.0 * miss / edges : 1.0;
}

// Frames read with one layout; only those that start where a signal is
// count. The frame timing starts hunting at `from`.
Trial Run(const Decided& d, double bitLength, int lead, int polarity, std::size_t from = 0) {
    Trial t;
    FrameSync sync(bitLength, lead, 1.0);
    std::vector<SyncedFrame> frames;
    for (std::size_t i = from; i < d.v.size(); ++i) sync.Push(polarity * d.v[i], frames);
    int good = 0;
    for (auto& f : frames) {
        f.start += static_cast<double>(from);
        const auto at = static_cast<std::size_t>(std::clamp(f.start + (lead + 1) * 0.5 * bitLength, 0.0,
                                                            static_cast<double>(d.v.size() - 1)));
        if (!d.present[at]) continue;
        good += f.stopOk;
        t.frames.push_back(std::move(f));
    }
    t.good = t.frames.size() >= kMinFrames ? static_cast<double>(good) / static_cast<double>(t.frames.size()) : 0.0;
    t.fit = EdgeFit(t.frames);
    return t;
}

double MarkShare(const std::vector<SyncedFrame>& frames, std::size_t bit) {
    int marks = 0, n = 0;
    for (const auto& f : frames) {
        if (!f.stopOk || bit >= f.bits.size()) continue;
        ++n;
        marks += f.bits[bit] > 0.0;
    }
    return n ? static_cast<double>(marks) / n : 0.0;
}

// Share of good frames whose bits 1 … dataBits + 1 have even parity.
double EvenShare(const std::vector<SyncedFrame>& frames, int dataBits) {
    int even = 0, n = 0;
    for (const auto& f : frames) {
        if (!f.stopOk) continue;
        ++n;
        int ones = 0;
        for (int k = 1; k <= dataBits + 1; ++k) ones += f.bits[static_cast<std::size_t>(k)] > 0.0;
        even += ones % 2 == 0;
    }
    return n ? static_cast<double>(even) / n : 0.0;
}

// Share of the good frames whose first dataBits data bits make a character
// of plain text: a letter, a digit, a space, a full stop, a comma, CR or LF.
double PlainText(const std::vector<SyncedFrame>& frames, int dataBits) {
    int plain = 0, n = 0;
    for (const auto& f : frames) {
        if (!f.stopOk || f.bits.size() < static_cast<std::size_t>(dataBits + 1)) continue;
        ++n;
        const unsigned c = BitsValue(f, 1, dataBits);
        plain += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '.' ||
                 c == ',' || c == '\r' || c == '\n';
    }
    return n ? static_cast<double>(plain) / n : 0.0;
}

double StopBitsOf(const std::vector<SyncedFrame>& frames, double bitLength, int lead) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        if (!frames[i].stopOk || !frames[i - 1].stopOk) continue;
        const double bits = (frames[i].start - frames[i - 1].start) / bitLength - lead;
        if (bits > 0.7 && bits < 2.4) gaps.push_back(bits);
    }
    if (gaps.size() < 3) return 1.0;
    std::sort(gaps.begin(), gaps.end());
    const double shortest = gaps[gaps.size() / 10];
    return std::clamp(std::round(shortest * 2.0) / 2.0, 1.0, 2.0);
}

// The code of frames whose longest holding layout has `lead` bits before
// the stop bit: the bits after the data bits are a parity bit (they keep a
// parity), a second stop bit (nearly always mark) or more data.
struct Reading {
    CodeSettings code;
    int leadBits;
};

Parity ParityOf(const Trial& t, int dataBits) {
    const double even = EvenShare(t.frames, dataBits);
    return even >= 0.9 ? Parity::Even : (even <= 0.1 ? Parity::Odd : Parity::None);
}

// Which tone the line at rest keys (+1: tone 1, -1: tone 2, 0: not seen):
// where the sound begins (a signal after a bit of nothing, or the stretch's
// own start when the sound starts there) the line is idle or at rest before
// the first start bit, one tone held well over a bit. Read past the filter's
// first half bit.
int RestSign(const Decided& d, double bitLength, bool soundStarts) {
    const std::size_t n = d.v.size();
    const auto first = static_cast<std::size_t>(std::find(d.present.begin(), d.present.end(), true) - d.present.begin());
    double onset = -1.0;
    if (first < n && static_cast<double>(first) >= bitLength)
        onset = static_cast<double>(first) - 0.5 * bitLength;
    else if (soundStarts)
        onset = 0.0;
    if (onset < 0.0) return 0;
    const auto from = std::max(first, static_cast<std::size_t>(onset + kRestFrom * bitLength));
    const auto to = static_cast<std::size_t>(onset + kRestTo * bitLength);
    if (to >= n || to <= from) return 0;
    int side = 0;
    for (std::size_t i = from; i < to; ++i) {
        const int now = d.v[i] > kRestClear ? 1 : (d.v[i] < -kRestClear ? -1 : 0);
        if (!d.present[i] || now == 0 || (side != 0 && now != side)) return 0;
        side = now;
    }
    return side;
}

Reading AsciiCode(const std::array<Trial, 4>& trials, std::size_t longest) {
    constexpr double kAlwaysMark = 0.9;
    if (longest == 1) return {{TextCode::Ascii7, Parity::None}, 8};
    if (longest == 2) {
        const Trial& nine = trials[2];
        if (const Parity p = ParityOf(nine, 7); p != Parity::None) return {{TextCode::Ascii7, p}, 9};
        if (MarkShare(nine.frames, 8) >= kAlwaysMark) return {{TextCode::Ascii7, Parity::None}, 8};
        return {{TextCode::Ascii8, Parity::None}, 9};
    }
    // Ten bits hold: the tenth is a second stop bit after 7 data bits and
    // parity, after 8 data bits (or after 7 and a first stop bit, idle
    // between characters), or a parity bit after 8 data bits.
    const Trial& ten = trials[3];
    if (MarkShare(ten.frames, 9) >= kAlwaysMark) {
        if (const Parity p = ParityOf(ten, 7); p != Parity::None) return {{TextCode::Ascii7, p}, 9};
        if (MarkShare(ten.frames, 8) >= kAlwaysMark) return {{TextCode::Ascii7, Parity::None}, 8};
        return {{TextCode::Ascii8, Parity::None}, 9};
    }
    return {{TextCode::Ascii8, ParityOf(ten, 8)}, 10};
}
// The starts of the frames whose stop bit held, in time order.
std::vector<double> GoodStarts(const Trial& t) {
    std::vector<double> starts;
    for (const auto& f : t.frames)
        if (f.stopOk) starts.push_back(f.start);
    return starts;
}

// Whether most of the good frames of `other` start away from every start in
// `starts` (they tile the bits another way).
bool MostlyElsewhere(const std::vector<double>& starts, const Trial& other, double bitLength) {
    if (starts.empty()) return false;
    int good = 0, moved = 0;
    for (const auto& f : other.frames) {
        if (!f.stopOk) continue;
        ++good;
        const auto at = std::lower_bound(starts.begin(), starts.end(), f.start);
        double nearest = 1e300;
        if (at != starts.end()) nearest = *at - f.start;
        if (at != starts.begin()) nearest = std::min(nearest, f.start - *(at - 1));
        moved += nearest > kSamePlace * bitLength;
    }
    return good >= kMinFrames && moved >= kMostMoved * good;
}

// Whether the frames also hold placed elsewhere: the frame timing started
// a bit, two bits … on from the first frame falls into another run of
// frames, none of them where the frames read are, that holds as well (a
// repeated pattern such as RYRY, whose frames may tile its bits two ways).
bool OtherPlacingHolds(const Decided& d, const Trial& read, double bitLength, int lead, int polarity, double holds) {
    const std::vector<double> starts = GoodStarts(read);
    if (starts.empty()) return false;
    for (int k = 1; k <= lead; ++k) {
        const double from = starts.front() + (k - 0.5) * bitLength;
        if (from >= static_cast<double>(d.v.size())) break;
        const Trial t = Run(d, bitLength, lead, polarity, static_cast<std::size_t>(from));
        if (t.good >= holds && MostlyElsewhere(starts, t, bitLength)) return true;
    }
    return false;
}

}  // namespace

FoundLayout SearchLayout(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                         double bitLength, std::optional<CodeSettings> given, bool soundStarts) {
    FoundLayout out;
    const Decided v = Decisions(tone1, tone2, bitLength);
    std::array<std::array<Trial, 4>, 2> trials;
    double best = 0.0;
    for (int p = 0; p < 2; ++p)
        for (std::size_t l = 0; l < kLeads.size(); ++l) {
            trials[p][l] = Run(v, bitLength, kLeads[l], p == 0 ? 1 : -1);
            best = std::max(best, trials[p][l].good);
        }
    if (best < kMinGoodShare) {
        out.reason = "no steady frame structure found";
        return out;
    }
    // The polarity whose frames hold best (idle and stop are mark), then the
    // longest layout that holds about as well as the best one: a shorter
    // frame reads a second stop bit, a parity or data bit that happens to
    // be mark, as its stop bit only now and then.
    const auto score = [&](int p) {
        double s = 0.0;
        for (const Trial& t : trials[p]) s = std::max(s, t.good);
        return s;
    };
    // A repeated pattern (RYRY) frames as well read upside down; then the
    // tone at rest, where the sound begins, tells mark, and without it the
    // reading is not sure.
    int p = score(0) >= score(1) ? 0 : 1;
    const bool bothHold = std::fabs(score(0) - score(1)) <= kNearBest && std::min(score(0), score(1)) >= kBothHold;
    const int rest = RestSign(v, bitLength, soundStarts);
    if (bothHold && rest != 0) p = rest > 0 ? 0 : 1;
    // Nothing tells the tone at rest: where only one way up reads as plain
    // ASCII text, that way is taken (still in doubt: a pattern may read so
    // both ways).
    if (bothHold && rest == 0 && (!given || IsAscii(given->code))) {
        const auto text = [&](int q) {
            const auto& t = trials[static_cast<std::size_t>(q)];
            return std::max(PlainText(t[1].frames, 7), PlainText(t[2].frames, 8));
        };
        const double up = text(0), down = text(1);
        if (up >= kPlainText && up - down >= kMorePlain) p = 0;
        if (down >= kPlainText && down - up >= kMorePlain) p = 1;
    }
    // 8-bit frames of 7-bit text (the top bit always space) hold about as
    // well upside down, the stop bit read as the start: their first data bit
    // is then the real start bit, mark every time, and their stop bit the
    // real top bit. Where the frames hold text, not a repeated pattern, only
    // the way up whose first bit varies reads as text, whatever the noise
    // before the sound made of the tone at rest.
    if (!bothHold && (!given || IsAscii(given->code))) {
        const int other = 1 - p;
        const auto& mine = trials[static_cast<std::size_t>(p)][2].frames;
        const auto& theirs = trials[static_cast<std::size_t>(other)][2].frames;
        if (score(other) >= score(p) - kNearBest && DifferentCharacters(theirs, 8) >= kTextCharacters && MarkShare(mine, 1) >= kStartAsData &&
            MarkShare(theirs, 1) <= kVaryingBit && 1.0 - MarkShare(theirs, 8) >= kStartAsData) {
            p = other;
        }
    }
    out.polarity = p == 0 ? 1 : -1;
    const auto& t = trials[p];
    // A frame longer than the real one reads into the next frame, whose
    // edges fall between its bit boundaries: of the layouts that hold, only
    // those whose edges sit about as well as the best one's count (a
    // repeated pattern such as RYRY holds at every length).
    const double holds = std::max(kMinGoodShare, score(p) - kNearBest);
    double bestFit = 0.0;
    for (const Trial& trial : t)
        if (trial.good >= holds) bestFit = std::max(bestFit, trial.fit);
    std::size_t longest = 0;
    for (std::size_t l = 0; l < kLeads.size(); ++l)
        if (t[l].good >= holds && t[l].fit >= bestFit - kNearFit) longest = l;
    // Baudot at rest between characters also holds as 7-bit frames whose
    // last two bits are mark.
    const bool restingBaudot = longest == 1 && t[0].good >= holds && MarkShare(t[1].frames, 6) >= 0.95 &&
                               MarkShare(t[1].frames, 7) >= 0.95;
    const bool ascii = given ? IsAscii(given->code) : longest > 0 && !restingBaudot;
    if (given) {
        out.code = *given;
        out.leadBits = IsAscii(given->code) ? 1 + DataBits(given->code) + (given->parity != Parity::None ? 1 : 0) : 6;
    } else if (ascii) {
        const Reading r = AsciiCode(t, longest);
        out.code = r.code;
        out.leadBits = r.leadBits;
    } else {
        if (t[0].good < holds) {
            out.reason = "no steady frame structure found";
            return out;
        }
        out.code = CodeSettings{};
        out.leadBits = 6;
    }
    const std::size_t l = static_cast<std::size_t>(std::find(kLeads.begin(), kLeads.end(), out.leadBits) - kLeads.begin());
    out.goodShare = t[std::min<std::size_t>(l, 3)].good;
    out.stopBits = StopBitsOf(t[std::min<std::size_t>(l, 3)].frames, bitLength, out.leadBits);
    double quality = 0.0;
    int good = 0;
    for (const auto& f : t[std::min<std::size_t>(l, 3)].frames)
        if (f.stopOk) {
            quality += f.quality;
            ++good;
        }
    out.edgeFit = t[std::min<std::size_t>(l, 3)].fit;
    out.quality = good > 0 ? quality / good : 0.0;
    const double present = static_cast<double>(std::count(v.present.begin(), v.present.end(), true));
    out.coverage = present > 0.0 ? std::min(1.0, good * (out.leadBits + out.stopBits) * bitLength / present) : 0.0;
    if (good == 0 || quality / good < kMinQuality) {
        out.reason = "no steady frame structure found";
        return out;
    }
    // Sure unless the frames hold as well upside down or placed elsewhere,
    // and the start of the sound does not tell.
    // A frame of another length that holds as well, its frames tiling the
    // bits another way (7-bit "UUUU" read as 8 bits and parity, 11 bits a
    // frame), leaves the layout itself in doubt, whatever the start tells.
    const Trial& read = t[std::min<std::size_t>(l, 3)];
    bool otherLength = false;
    if (!given)
        for (std::size_t k = 0; k < kLeads.size(); ++k)
            if (kLeads[k] != out.leadBits && t[k].good >= std::max(holds, kBothHold) && t[k].fit >= bestFit - kNearFit &&
                MostlyElsewhere(GoodStarts(read), t[k], bitLength))
                otherLength = true;
    out.sure = !otherLength &&
               (rest != 0 || (!bothHold && !OtherPlacingHolds(v, read, bitLength, out.leadBits, out.polarity,
                                                               std::max(holds, kBothHold))));
    out.found = true;
    return out;
}

}  // namespace morvane

namespace morvane {

namespace {
constexpr double kHysteresis = 0.3;

// Zero crossings (seconds) where the decision goes fully over to the other side.
std::vector<double> Edges(const Decided& d, double subRate) {
    const std::vector<double>& v = d.v;
    std::vector<double> edges;
    int side = 0;
    double crossing = 0.0;
    for (std::size_t i = 1; i < v.size(); ++i) {
        if ((v[i - 1] < 0.0) != (v[i] < 0.0)) crossing = static_cast<double>(i - 1) + v[i - 1] / (v[i - 1] - v[i]);
        const int now = v[i] > kHysteresis ? 1 : (v[i] < -kHysteresis ? -1 : side);
        if (now != side && side != 0 && d.present[i]) edges.push_back(crossing / subRate);
        side = now;
    }
    return edges;
}
}  // namespace

RateEstimate MeasureRate(const std::vector<std::complex<double>>& tone1,
                         const std::vector<std::complex<double>>& tone2, double subRate) {
    constexpr std::array<std::array<double, 2>, 3> kBands{{{28.0, 80.0}, {70.0, 165.0}, {140.0, 330.0}}};
    RateEstimate best;
    const auto consider = [&](double filterBaud, double low, double high) {
        const Decided v = Decisions(tone1, tone2, subRate / filterBaud);
        const RateEstimate r = EstimateRate(Edges(v, subRate), low, high);
        if (r.found && r.coherence > best.coherence) best = r;
    };
    for (const auto& band : kBands) consider(band[1], band[0], band[1]);
    return best;
}

}  // namespace morvane

namespace morvane {

double ToneOffsetHz(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                    double subRate) {
    constexpr double kWideBaud = 80.0;
    const double bit = subRate / kWideBaud;
    const std::size_t n = std::min(tone1.size(), tone2.size());
    std::vector<double> m1(n), m2(n);
    std::vector<SyncedFrame> none;
    ReceiverChain pre(bit, ToneLevels{});
    for (std::size_t i = 0; i < n; ++i) {
        pre.Push(tone1[i], tone2[i], none);
        m1[i] = pre.Magnitude1();
        m2[i] = pre.Magnitude2();
    }
    ReceiverChain chain(bit, LevelsOf(m1, m2));
    double cycles = 0.0;
    for (std::size_t i = 0; i < n; ++i) chain.Push(tone1[i], tone2[i], none);
    return chain.TakeToneError(cycles) ? cycles * subRate : 0.0;
}

}  // namespace morvane
