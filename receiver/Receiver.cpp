#include "receiver/Receiver.h"

#include "receiver/FrameBits.h"
#include "receiver/KeyingCheck.h"
#include "receiver/MixKernel.h"
#include "receiver/ToneRefine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace morvane {

namespace {
constexpr double kSubBlockRate = 2400.0;   // sub-blocks a second the mixers aim at
constexpr double kToneWindow = 10.0;       // seconds of sound the tone search looks at
constexpr double kFirstSearch = 2.0;       // seconds before the first tone search
constexpr double kAcquireEvery = 1.0;      // seconds between tries to find rate and frames
constexpr double kTryOn = 4.0;             // seconds of the stretch (its newest) a try reads
constexpr double kAcquireFirst = 2.0;      // seconds of keying before the first try
constexpr double kAcquireLongest = 8.0;    // seconds the acquisition stretch holds
constexpr double kAfcSpan = 50.0;          // Hz the tones may move
constexpr double kAfcGain = 0.03;          // share of the error corrected per bit
constexpr double kEvenTones = 3.0;         // tones above their floors this far apart are weighed in full
constexpr double kMinQuality = 0.4;        // a good frame's least quality
constexpr std::size_t kOpenRun = 4;        // good frames in a row open the squelch …
constexpr double kOpenQuality = 0.65;      // … at this mean quality (noise frames by chance: 0.5 … 0.6)
constexpr double kFrameBelow = 2.0;        // dB a good frame may lie below the squelch level
constexpr double kLoneQuality = 0.75;      // a frame out of step with the one before needs this quality
constexpr int kCloseRun = 4;               // bad frames in a row close it
constexpr double kConfirmShare = 0.8;      // a good frame printed at once needs this share of the typical quality …
constexpr double kClearBelowDb = 6.0;      // … and may lie this far below its typical tone-over-noise
constexpr double kClearSnrDb = 14.0;       // (or reach this, above what noise frames show);
constexpr std::size_t kMostHeld = 8;       // frames held, waiting for one, end the transmission
constexpr double kTypicalGain = 0.1;       // share of each good frame's quality the typical quality takes
constexpr int kBackFrames = 16;            // frames read back in front of an opening run, at most
constexpr double kBackShare = 0.8;         // each needs this share of the run's typical quality
constexpr double kRunFrontShare = 0.7;     // the run's first frames need this share of it
constexpr double kStepEarly = 0.3;         // bits a frame in front may end before the next one starts …
constexpr double kStepLate = 1.0;          // … and the bits of stop element or rest it may have before it
constexpr double kPlaceSpan = 0.3;         // bits a frame read again elsewhere may move to read clearest
constexpr std::size_t kDifferentInRun = 3; // different characters in a run that make text
constexpr double kSilence = 4.0;           // seconds without frames end a transmission
constexpr double kSameRate = 0.015;       // two tries agree on the rate within this share
constexpr std::array<double, 9> kUsualRates{45.45, 50.0, 56.88, 75.0, 100.0, 110.0, 150.0, 200.0, 300.0};
constexpr double kSureScore = 0.55;        // frames this clear lock after two tries agree
constexpr int kAgreeingTries = 4;          // … others after this many
constexpr double kClearEdges = 0.9;        // edges this coherent give the rate …
constexpr double kAboveMeasured = 1.6;     // … above which (times it) no rate is tried
constexpr double kLeastTurn = 0.5;         // Hz: smaller tone errors are left to the tracking
constexpr double kGiveUp = 10.0;           // seconds locked without text before measuring afresh

constexpr double kUnsureQuality = 0.5;     // share of the quality a layout that also holds upside down keeps

constexpr double kLeastKeying = 0.3;        // spread of the tones' contrast a keyed pair shows at least
constexpr double kLeastHeld = 0.05;         // share of the sound (against white noise) the tones' filters hold at least

double Seconds(double sampleRate, double s) { return s * sampleRate; }

}  // namespace

Receiver::Receiver(const ReceiverOptions& options) : m_options(options) {
    const double rate = options.sampleRate;
    if (!(rate >= 1000.0 && rate <= 1e7)) throw std::invalid_argument("sample rate must be 1000 … 10000000 per second");
    for (const auto& tone : {options.tone1Hz, options.tone2Hz})
        if (tone && !(*tone > 0.0 && *tone < rate / 2.0))
            throw std::invalid_argument("a tone must lie between 0 Hz and half the sample rate");
    m_decimation = std::max(1, static_cast<int>(std::lround(rate / kSubBlockRate)));
    m_subRate = rate / m_decimation;
    if (options.tone1Hz && options.tone2Hz)
        StartTones(*options.tone1Hz, *options.tone2Hz);
    else
        m_finder = std::make_unique<KeyedToneFinder>(rate, kToneWindow);
}

void Receiver::Push(const std::int16_t* samples, std::size_t count) {
    constexpr std::size_t kChunk = 4096;
    std::array<float, kChunk> x;
    for (std::size_t at = 0; at < count; at += kChunk) {
        const std::size_t n = std::min(kChunk, count - at);
        for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<float>(samples[at + i]) * (1.0F / 32768.0F);
        PushSamples(x.data(), n);
    }
}

void Receiver::Push(const float* samples, std::size_t count) { PushSamples(samples, count); }

// Until the tones are found the samples go to the tone search (tried every
// second) and are kept for the mixers; from then on they are mixed at once.
void Receiver::PushSamples(const float* x, std::size_t count) {
    const auto every = static_cast<std::int64_t>(Seconds(m_options.sampleRate, kAcquireEvery));
    const auto window = static_cast<std::size_t>(Seconds(m_options.sampleRate, kToneWindow));
    while (count > 0 && !m_mixer1) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(count), every - m_samples % every));
        m_finder->Add(x, n);
        m_raw.insert(m_raw.end(), x, x + n);
        m_rawKept = std::min(window, m_rawKept + n);
        if (m_raw.size() > 2 * window + every)
            m_raw.erase(m_raw.begin(), m_raw.end() - static_cast<std::ptrdiff_t>(m_rawKept));
        m_samples += static_cast<std::int64_t>(n);
        x += n;
        count -= n;
        if (m_samples % every == 0 && m_finder->Seconds() >= kFirstSearch) SearchTones();
    }
    m_samples += static_cast<std::int64_t>(count);
    Mix(x, count);
}

void Receiver::Mix(const float* x, std::size_t count) {
    const auto d = static_cast<std::size_t>(m_decimation);
    while (count > 0) {
        if (m_part.empty() && count >= d) {
            MixSubBlock(x);
            x += d;
            count -= d;
            continue;
        }
        const std::size_t n = std::min(count, d - m_part.size());
        m_part.insert(m_part.end(), x, x + n);
        x += n;
        count -= n;
        if (m_part.size() < d) return;
        MixSubBlock(m_part.data());
        m_part.clear();
    }
}

void Receiver::MixSubBlock(const float* x) {
    if (m_mixer1->TakeChanged() | m_mixer2->TakeChanged()) {
        m_taps.resize(4 * static_cast<std::size_t>(m_decimation));
        m_mixer1->WriteTaps(m_taps.data(), 4);
        m_mixer2->WriteTaps(m_taps.data() + 2, 4);
    }
    const MixSums s = MixBlock(x, m_taps.data(), static_cast<std::size_t>(m_decimation));
    const std::complex<double> c1 = m_mixer1->Finish(s[0], s[1]), c2 = m_mixer2->Finish(s[2], s[3]);
    SubBlock(c1, c2);
}

void Receiver::SearchTones() {
    const KeyedPair pair = m_finder->Find(m_options.tone1Hz, m_options.tone2Hz);
    if (!pair.found) {
        m_reason = pair.reason;
        return;
    }
    // The spectrum of fast keying strays from the tones: measured on the samples.
    const std::size_t n = std::min(m_rawKept, m_raw.size());
    const auto [low, high] = RefineKeyedTones(m_raw.data() + (m_raw.size() - n), n, m_options.sampleRate, pair.lowHz,
                                              pair.highHz);
    StartTones(m_options.tone1Hz.value_or(low), m_options.tone2Hz.value_or(high));
}

void Receiver::StartTones(double lowHz, double highHz) {
    m_baseTone1 = lowHz;
    m_baseTone2 = highHz;
    m_mixer1.emplace(m_options.sampleRate, lowHz, m_decimation);
    m_mixer2.emplace(m_options.sampleRate, highHz, m_decimation);
    m_mixStart = m_samples - static_cast<std::int64_t>(m_rawKept);
    m_finder.reset();
    m_reason = "no steady frame structure found";
    std::vector<float> raw;
    raw.swap(m_raw);
    Mix(raw.data() + (raw.size() - m_rawKept), m_rawKept);
    m_rawKept = 0;
}

void Receiver::SubBlock(std::complex<double> c1, std::complex<double> c2) {
    ++m_subBlocks;
    if (m_chain) {
        Locked(c1, c2);
        if (m_unlock) Unlock();
        return;
    }
    if (m_acq1.empty()) m_acqStart = m_subBlocks - 1;
    m_acq1.push_back(c1);
    m_acq2.push_back(c2);
    if (static_cast<double>(m_acq1.size()) > kAcquireLongest * m_subRate) {
        const auto drop = static_cast<std::ptrdiff_t>(kAcquireEvery * m_subRate);
        m_acq1.erase(m_acq1.begin(), m_acq1.begin() + drop);
        m_acq2.erase(m_acq2.begin(), m_acq2.begin() + drop);
        m_acqStart += drop;
    }
    const auto every = static_cast<std::int64_t>(kAcquireEvery * m_subRate);
    if (m_subBlocks % every == 0 && static_cast<double>(m_acq1.size()) >= kAcquireFirst * m_subRate) {
        if (StretchKeyed())
            TryLock(false);
        else {
            m_candidate.reset();
            m_agreeing = 0;
        }
    }
}

// Whether the newest stretch a try would read swings between the tones over
// the bit of one of the usual rates, as a try asks of the frames it finds: a
// steady tone (the line at rest, a carrier) shows no frames at any rate, and
// the try is not worth its cost.
bool Receiver::StretchKeyed() {
    const std::size_t n = std::min(m_acq1.size(), static_cast<std::size_t>(kTryOn * m_subRate));
    const auto from = static_cast<std::ptrdiff_t>(m_acq1.size() - n);
    const std::vector<std::complex<double>> t1(m_acq1.begin() + from, m_acq1.end()), t2(m_acq2.begin() + from, m_acq2.end());
    for (double baud : kUsualRates)
        if (KeyingSpread(t1, t2, static_cast<std::size_t>(m_subRate / baud)) >= kLeastKeying) return true;
    m_reason = "no keyed tone pair: a steady tone";
    return false;
}

// Rate and frames are taken once two tries in a row (half a second apart)
// find the same, or at the end of the input what one try finds.
bool Receiver::TryLock(bool last) {
    if (m_acq1.size() < static_cast<std::size_t>((last ? 0.5 : kAcquireFirst) * m_subRate)) return false;
    // The rate the edges show, and the usual rates (deep in noise the edges
    // scatter): the one whose frames hold best wins.
    CorrectTones();
    const auto from = static_cast<std::ptrdiff_t>(
        m_acq1.size() - std::min(m_acq1.size(), static_cast<std::size_t>(kTryOn * m_subRate)));
    const std::vector<std::complex<double>> t1(m_acq1.begin() + from, m_acq1.end()), t2(m_acq2.begin() + from, m_acq2.end());
    const bool soundStarts = m_mixStart == 0 && m_acqStart == 0 && from == 0;
    std::vector<double> rates{kUsualRates.begin(), kUsualRates.end()};
    const RateEstimate measured = MeasureRate(t1, t2, m_subRate);
    if (measured.found) rates.insert(rates.begin(), measured.baud);
    double baud = 0.0, best = 0.0;
    FoundLayout layout;
    for (double r : rates) {
        if (r == measured.baud && UsualBaud(r) > 0.0 && r != UsualBaud(r)) continue;  // the usual rate is tried
        // Every edge of a signal also falls on the grid of twice its rate,
        // and a repeated pattern frames there too; clear edges rule it out.
        if (measured.found && measured.coherence >= kClearEdges && r > kAboveMeasured * measured.baud) continue;
        const FoundLayout l = SearchLayout(t1, t2, m_subRate / r, m_options.code, soundStarts);
        const double score = l.found ? l.goodShare * l.quality * l.quality * l.coverage * l.edgeFit * l.edgeFit : 0.0;
        if (score > best) {
            best = score;
            baud = r;
            layout = l;
        }
    }
    // A steady tone or carrier frames nothing, however regular its beats
    // look, nor does what is left in the filters of a sound beside the tones.
    if (layout.found && KeyingSpread(t1, t2, static_cast<std::size_t>(m_subRate / baud)) < kLeastKeying) {
        layout.found = false;
        m_reason = "no keyed tone pair: a steady tone";
    }
    if (layout.found && HeldAtTones(t1, t2, m_subRate / baud) < kLeastHeld) {
        layout.found = false;
        m_reason = "no keyed tone pair: the sound lies beside the tones";
    }
    if (!layout.found) {
        m_candidate.reset();
        m_agreeing = 0;
        return false;
    }
    const bool same = m_candidate && std::fabs(m_candidate->baud / baud - 1.0) < kSameRate &&
                      m_candidate->layout.leadBits == layout.leadBits &&
                      m_candidate->layout.polarity == layout.polarity;
    m_agreeing = same ? m_agreeing + 1 : 1;
    m_candidate = Candidate{baud, layout};
    const bool sure = (m_agreeing >= 2 && best >= kSureScore) || m_agreeing >= kAgreeingTries;
    if (!sure && !last) return false;
    m_candidate.reset();
    m_agreeing = 0;
    Lock(baud, layout);
    return true;
}

// The tones as the stretch shows them (within the tracking span): the
// stretch is turned by the difference and the mixers moved by it.
void Receiver::CorrectTones() {
    const double hz = ToneOffsetHz(m_acq1, m_acq2, m_subRate);
    const double moved = std::clamp(m_mixer1->Frequency() + hz - m_baseTone1, -kAfcSpan, kAfcSpan);
    const double turn = m_baseTone1 + moved - m_mixer1->Frequency();
    if (std::fabs(turn) < kLeastTurn) return;
    // Turned so that the stretch's end joins what the moved mixers give next.
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi * turn / m_subRate);
    std::complex<double> phasor = std::polar(1.0, 2.0 * std::numbers::pi * turn * static_cast<double>(m_acq1.size()) / m_subRate);
    for (std::size_t i = 0; i < m_acq1.size(); ++i) {
        m_acq1[i] *= phasor;
        m_acq2[i] *= phasor;
        phasor *= step;
    }
    m_mixer1->SetFrequency(m_baseTone1 + moved);
    m_mixer2->SetFrequency(m_baseTone2 + moved);
}

void Receiver::Lock(double baud, const FoundLayout& found) {
    FoundLayout layout = found;
    if (!m_options.code && m_options.parity && IsAscii(layout.code.code)) {
        layout.code.parity = *m_options.parity;
        layout.leadBits = 1 + DataBits(layout.code.code) + (layout.code.parity != Parity::None ? 1 : 0);
    }
    m_baud = baud;
    m_layout = layout;
    const double bit = m_subRate / baud;
    std::vector<double> m1, m2;
    {
        ReceiverChain pre(bit, ToneLevels{});
        std::vector<SyncedFrame> none;
        for (std::size_t i = 0; i < m_acq1.size(); ++i) {
            pre.Push(m_acq1[i], m_acq2[i], none);
            m1.push_back(pre.Magnitude1());
            m2.push_back(pre.Magnitude2());
        }
    }
    m_chain = std::make_unique<ReceiverChain>(bit, LevelsOf(m1, m2), ChainStep(bit), kEvenTones);
    m_chain->SetLayout(layout.leadBits, layout.stopBits, layout.polarity);
    m_chainStart = m_acqStart;
    m_chainPushed = 0;
    m_lastFrame = 0;
    m_emittedEnd = std::numeric_limits<double>::lowest();
    m_decoder.emplace(layout.code, m_options.unshiftOnSpace);
    std::vector<std::complex<double>> a, b;
    a.swap(m_acq1);
    b.swap(m_acq2);
    m_replaying = true;
    for (std::size_t i = 0; i < a.size(); ++i) Locked(a[i], b[i]);
    m_replaying = false;
}

void Receiver::Locked(std::complex<double> c1, std::complex<double> c2) {
    m_frames.clear();
    m_chain->Push(c1, c2, m_frames);
    ++m_chainPushed;
    for (const auto& f : m_frames) OnFrame(f);
    const auto bit = std::max<std::int64_t>(1, std::lround(m_subRate / m_baud));
    if (m_chainPushed % bit == 0) TrackTones();
    const double quiet = static_cast<double>(m_chainPushed - m_lastFrame) / m_subRate;
    if (m_open && quiet > kSilence) Close();
    if (!m_open && quiet > kGiveUp) m_unlock = true;
}

// Rate and frames are measured afresh on what comes next.
void Receiver::Unlock() {
    m_unlock = false;
    m_chain.reset();
    m_run.clear();
    m_held.clear();
    m_acq1.clear();
    m_acq2.clear();
}

void Receiver::TrackTones() {
    double cycles = 0.0;
    if (!m_chain->TakeToneError(cycles) || m_replaying) return;
    const double step = kAfcGain * cycles * m_subRate;
    const double moved = std::clamp(m_mixer1->Frequency() + step - m_baseTone1, -kAfcSpan, kAfcSpan);
    m_mixer1->SetFrequency(m_baseTone1 + moved);
    m_mixer2->SetFrequency(m_baseTone2 + moved);
}

std::int64_t Receiver::SampleOf(double chainIndex) const {
    const double sub = static_cast<double>(m_chainStart) + chainIndex - m_chain->Delay();
    return m_mixStart + static_cast<std::int64_t>(std::floor(sub * m_decimation));
}

// The squelch: text only while the frames show a signal. Frames are good
// when start, stop and the element before the start hold with a margin and
// the tones stand above their noise; a run of good frames mostly back to
// back, clearly above the squelch level together, opens a transmission; bad
// frames are held until a good one follows, and a run of them closes it.
bool Receiver::Good(const SyncedFrame& frame) const {
    if (!m_options.squelchDb) return true;
    return frame.stopOk && frame.markBefore && frame.quality >= kMinQuality &&
           frame.snrDb >= *m_options.squelchDb - kFrameBelow && (frame.inStep || frame.quality >= kLoneQuality);
}

void Receiver::OnFrame(const SyncedFrame& frame) {
    const bool squelch = m_options.squelchDb.has_value();
    const double level = squelch ? *m_options.squelchDb : 0.0;
    const bool good = Good(frame);
    if (good) m_lastFrame = m_chainPushed;
    if (!m_open) {
        if (!good) {
            m_run.clear();
            return;
        }
        m_run.push_back(frame);
        if (m_run.size() > kOpenRun) m_run.erase(m_run.begin());
        if (!squelch || RunOpens(level)) Open();
        return;
    }
    if (!good) {
        m_held.push_back(frame);
        if (++m_bad >= kCloseRun) Close();
        return;
    }
    m_bad = 0;
    // A good frame well below the transmission's typical quality may be
    // noise past its end that framed by chance: held with the bad ones until
    // a clear frame follows; held too long, they end the transmission.
    if (squelch && (frame.quality < kConfirmShare * m_typical || frame.snrDb < std::min(m_typicalSnr - kClearBelowDb, kClearSnrDb))) {
        m_held.push_back(frame);
        if (m_held.size() >= kMostHeld) Close();
        return;
    }
    for (const auto& f : m_held) Emit(f);
    m_held.clear();
    m_typical += kTypicalGain * (frame.quality - m_typical);
    m_typicalSnr += kTypicalGain * (frame.snrDb - m_typicalSnr);
    Emit(frame);
}

bool Receiver::RunOpens(double level) const {
    if (m_run.size() < kOpenRun) return false;
    double snr = 0.0, quality = 0.0;
    int inStep = 0;
    for (std::size_t i = 0; i < m_run.size(); ++i) {
        snr += m_run[i].snrDb;
        quality += m_run[i].quality;
        inStep += i > 0 && m_run[i].inStep;
    }
    const double n = static_cast<double>(m_run.size());
    return snr / n >= level && quality / n >= kOpenQuality && inStep + 1 >= static_cast<int>(kOpenRun);
}

void Receiver::Open() {
    // The run's first frames, where far weaker than the rest, are noise in
    // front of the transmission that happened to frame.
    // (After a fade that closed it, weak first frames are the signal coming back.)
    const double typical = RunTypicalQuality();
    const bool afterFade = m_emittedEnd > std::numeric_limits<double>::lowest() &&
                           m_run.front().start - m_emittedEnd < kSilence * m_subRate;
    while (!afterFade && m_run.size() > 1 && m_run.front().quality < kRunFrontShare * typical) m_run.erase(m_run.begin());
    StartNotOnTopBit();
    ReceiverPiece piece;
    piece.opens = true;
    ReceivedTransmission& t = piece.transmission;
    t.firstSample = SampleOf(m_run.front().start);
    t.baud = m_baud;
    t.stopBits = m_layout.stopBits;
    t.tone1Hz = m_mixer1->Frequency();
    t.tone2Hz = m_mixer2->Frequency();
    t.markIsTone1 = m_layout.polarity > 0;
    t.code = m_layout.code;
    double q = 0.0;
    for (const auto& f : m_run) q += f.quality;
    t.quality = q / static_cast<double>(m_run.size());
    if (!m_layout.sure) t.quality *= kUnsureQuality;
    double snr = 0.0;
    for (const auto& f : m_run) snr += f.snrDb;
    t.snrDb = snr / static_cast<double>(m_run.size());
    m_pieces.push_back(std::move(piece));
    m_open = true;
    m_bad = 0;
    ++m_transmissions;
    m_typical = t.quality;
    m_typicalSnr = t.snrDb;
    m_decoder->Reset();
    const std::vector<SyncedFrame> before = FramesBefore();
    if (!before.empty()) t.firstSample = SampleOf(before.front().start);
    for (const auto& f : before) Emit(f);
    for (const auto& f : m_run) Emit(f);
    m_run.clear();
}

// ASCII text of upper-case letters holds as well framed two bits early: the
// start read on the top data bit (always space) after a mark, the stop on
// the next character's mark. Then every frame's first two data bits are
// the real stop and start bits, mark and space; read two bits later the
// frames hold too (where the run is right, the element before such a start
// is space and they do not). The run is read there, the timing follows.
// A pattern of one or two characters tells nothing and is left alone.
void Receiver::StartNotOnTopBit() {
    if (!IsAscii(m_layout.code.code) || m_run.size() < kOpenRun) return;
    for (const auto& f : m_run)
        if (f.bits.size() < 3 || !(f.bits[1] > 0.0) || !(f.bits[2] < 0.0)) return;
    // A repeated character (UUUU) frames every way alike: left as it is.
    if (DifferentCharacters(m_run, m_layout.leadBits - 1) < kDifferentInRun) return;
    const double bit = m_subRate / m_baud, frame = (m_layout.leadBits + m_layout.stopBits) * bit;
    std::vector<SyncedFrame> moved;
    for (std::size_t i = 0; i + 1 < m_run.size(); ++i) {
        const double at = m_run[i].start + 2.0 * bit;
        const std::optional<SyncedFrame> g = m_chain->ReadBetween(at - kPlaceSpan * bit, at + kPlaceSpan * bit);
        if (!g || g->bits.front() >= 0.0 || !Good(*g)) return;
        moved.push_back(*g);
    }
    m_run = std::move(moved);
    m_chain->Resync(m_run.back().start + frame);
}

// The median quality of the opening run's frames.
double Receiver::RunTypicalQuality() const {
    std::vector<double> q;
    for (const auto& f : m_run) q.push_back(f.quality);
    if (q.empty()) return 0.0;
    std::nth_element(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(q.size() / 2), q.end());
    return q[q.size() / 2];
}

// The squelch opens on a run of good frames; in front of it the frames that
// keep step with it, read back from the values the timing still holds, are
// the transmission's first characters (or those since a fade closed it),
// where the timing's own hunt had not yet found the frames' places. The
// walk back ends at a frame that is not good or far weaker than the run
// (noise in front of the transmission, its first mark), at what was already
// printed, and where the values held end.
std::vector<SyncedFrame> Receiver::FramesBefore() const {
    std::vector<SyncedFrame> out;
    if (m_run.empty() || !m_options.squelchDb) return out;
    const double typical = RunTypicalQuality();
    const double bit = m_subRate / m_baud, frame = (m_layout.leadBits + m_layout.stopBits) * bit;
    double next = m_run.front().start;
    for (int n = 0; n < kBackFrames; ++n) {
        const double from = next - frame - kStepLate * bit, to = next - frame + kStepEarly * bit;
        if (from - 0.5 * bit < m_emittedEnd) break;
        const std::optional<SyncedFrame> f = m_chain->ReadBetween(from, to);
        if (!f || f->bits.front() >= 0.0 || !Good(*f) || f->quality < kBackShare * typical) break;
        out.push_back(*f);
        next = f->start;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

void Receiver::Close() {
    m_open = false;
    m_held.clear();
    m_run.clear();
    m_bad = 0;
}

void Receiver::Emit(const SyncedFrame& frame) {
    m_emittedEnd = frame.start + (m_layout.leadBits + 1) * (m_subRate / m_baud);
    const int data = DataBits(m_layout.code.code);
    const unsigned value = BitsValue(frame, 1, data);
    int ones = std::popcount(value);
    bool parityOk = true;
    if (IsAscii(m_layout.code.code) && m_layout.code.parity != Parity::None) {
        ones += frame.bits[static_cast<std::size_t>(1 + data)] > 0.0;
        parityOk = (ones % 2 == 0) == (m_layout.code.parity == Parity::Even);
    }
    std::string text;
    m_decoder->Decode(value, parityOk, text);
    if (text.empty()) return;
    if (m_pieces.empty()) m_pieces.emplace_back();
    m_pieces.back().text += text;
}

void Receiver::Finish() {
    if (!m_mixer1 && m_finder) {
        if (m_finder->Seconds() > 0.2) SearchTones();
        if (!m_mixer1) return;
    }
    if (!m_chain && m_transmissions == 0) TryLock(true);
    // A transmission still open ends here: frames held as bad are dropped.
    m_held.clear();
    m_open = false;
}

std::vector<ReceiverPiece> Receiver::Take() {
    std::vector<ReceiverPiece> out;
    out.swap(m_pieces);
    return out;
}

std::size_t Receiver::Held() const {
    return m_raw.size() + m_part.size() + m_acq1.size() + m_acq2.size() + m_run.size() + m_held.size() + m_frames.size() +
           m_pieces.size() + (m_chain ? m_chain->Held() : 0);
}

std::string Receiver::Reason() const { return m_transmissions > 0 ? std::string() : m_reason; }

}  // namespace morvane
