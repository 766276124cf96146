#include "scanner/SignalScanner.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace morvane {

namespace {
constexpr double kTrackingHz = 100.0;    // room above the band for the receivers' tone tracking
constexpr double kTransitionHz = 1400.0; // the decimating filter's transition band
constexpr double kSameToneHz = 30.0;     // a pair this near a signal's tones is that signal
constexpr double kBesideHz = 40.0;       // a new pair's tone this near a followed tone is none of its own
constexpr double kRecentSeconds = 2.0;   // sound that shows whether a signal is still keyed
constexpr double kStillKeyed = 0.25;     // its keying there, at least
constexpr double kBeforeOnset = 0.25;    // seconds of sound a new receiver reads before its signal began

int FactorFor(const ScannerOptions& o) {
    const double least = 2.0 * (o.rules.highestHz + kTrackingHz) + kTransitionHz;
    return std::clamp(static_cast<int>(o.sampleRate / least), 1, 64);
}

const ScannerOptions& Checked(const ScannerOptions& o) {
    if (!(o.sampleRate >= 9600.0 && o.sampleRate <= 1e7)) throw std::invalid_argument("sample rate must be 9600 … 10000000 per second");
    if (!(o.searchEverySeconds >= 0.1 && o.searchEverySeconds <= 60.0)) throw std::invalid_argument("searches must come 0.1 … 60 s apart");
    if (!(o.windowSeconds >= 1.0 && o.windowSeconds <= 60.0)) throw std::invalid_argument("the search window must be 1 … 60 s");
    if (!(o.closeAfterSeconds >= 1.0)) throw std::invalid_argument("a signal must be kept a second at least");
    if (o.mostSignals == 0) throw std::invalid_argument("at least one signal must be allowed");
    return o;
}
}  // namespace

struct SignalScanner::Channel {
    ScannedSignal info;
    std::unique_ptr<ToneBand> band;
    std::unique_ptr<Receiver> receiver;
    std::int64_t start = 0;      // decimated sample of the receiver's first sample
    std::int64_t lastKeyed = 0;  // input sample of the last search that found its tones keyed
    bool keyed = true;           // the last search found them keyed
    std::vector<ReceiverPiece> held;  // text that came while they were not
};

SignalScanner::SignalScanner(const ScannerOptions& options)
    : m_options(Checked(options)),
      m_decimator(options.sampleRate, FactorFor(options), options.rules.highestHz + kTrackingHz),
      m_band(m_decimator.OutputRate(), options.rules.lowestHz, options.rules.highestHz, options.windowSeconds) {
    m_searchEvery = std::max<std::int64_t>(1, std::llround(options.searchEverySeconds * options.sampleRate));
    m_historySize = static_cast<std::size_t>(options.windowSeconds * m_decimator.OutputRate());
}

SignalScanner::~SignalScanner() = default;

void SignalScanner::Push(const std::int16_t* samples, std::size_t count) {
    // Searches fall on the same samples however the input is split.
    while (count > 0) {
        const std::int64_t due = m_searchEvery - m_samples % m_searchEvery;
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(due, static_cast<std::int64_t>(count)));
        Run(samples, n);
        samples += n;
        count -= n;
        if (m_samples % m_searchEvery == 0) Search();
    }
}

void SignalScanner::Run(const std::int16_t* samples, std::size_t count) {
    m_fresh.clear();
    m_decimator.Push(samples, count, m_fresh);
    m_samples += static_cast<std::int64_t>(count);
    if (m_fresh.empty()) return;
    m_band.Push(m_fresh.data(), m_fresh.size());
    for (auto& c : m_channels) {
        Feed(*c, m_fresh.data(), m_fresh.size());
        Collect(*c);
    }
    m_reduced += static_cast<std::int64_t>(m_fresh.size());
    m_history.insert(m_history.end(), m_fresh.begin(), m_fresh.end());
    if (m_history.size() > m_historySize)
        m_history.erase(m_history.begin(), m_history.begin() + static_cast<std::ptrdiff_t>(m_history.size() - m_historySize));
}

// Text comes through while a signal's own tones are keyed; what comes while
// they are not (the tail of a transmission, a neighbour heard through one
// tone) is held until they are keyed again, and dropped if the signal closes.
void SignalScanner::Search() {
    const auto recent = static_cast<std::size_t>(kRecentSeconds / m_band.FrameSeconds());
    for (auto& c : m_channels) {
        c->keyed = KeyingOf(m_band, c->info.lowHz, c->info.highHz, recent) >= kStillKeyed;
        if (!c->keyed) continue;
        c->lastKeyed = m_samples;
        std::vector<ReceiverPiece> held;
        held.swap(c->held);
        for (ReceiverPiece& p : held) Pass(*c, std::move(p));
    }
    for (const FoundPair& pair : FindKeyedPairs(m_band, m_options.rules)) {
        if (Channel* c = Matching(pair)) {
            c->info.levelDb = pair.levelDb;
            continue;
        }
        if (!NearATone(pair) && m_channels.size() < m_options.mostSignals) Start(pair);
    }
    CloseQuiet();
}

SignalScanner::Channel* SignalScanner::Matching(const FoundPair& pair) {
    for (auto& c : m_channels)
        if (std::fabs(c->info.lowHz - pair.lowHz) <= kSameToneHz && std::fabs(c->info.highHz - pair.highHz) <= kSameToneHz)
            return c.get();
    return nullptr;
}

bool SignalScanner::NearATone(const FoundPair& pair) const {
    for (const auto& c : m_channels)
        for (double tone : {c->info.lowHz, c->info.highHz})
            if (std::fabs(tone - pair.lowHz) < kBesideHz || std::fabs(tone - pair.highHz) < kBesideHz) return true;
    return false;
}

void SignalScanner::Start(const FoundPair& pair) {
    auto c = std::make_unique<Channel>();
    c->info.id = m_nextId++;
    c->info.lowHz = pair.lowHz;
    c->info.highHz = pair.highHz;
    c->info.foundSample = m_samples;
    c->info.levelDb = pair.levelDb;
    c->band = std::make_unique<ToneBand>(m_decimator.OutputRate(), pair.lowHz, pair.highHz);
    ReceiverOptions o = m_options.receiver;
    o.sampleRate = c->band->OutputRate();
    o.tone1Hz = pair.lowHz - c->band->MovedHz();
    o.tone2Hz = pair.highHz - c->band->MovedHz();
    c->receiver = std::make_unique<Receiver>(o);
    // The receiver reads the sound held from just before the signal began (noise before it could open the squelch).
    const std::int64_t held = m_reduced - static_cast<std::int64_t>(m_history.size());
    const std::int64_t onset = m_band.FrameStart(OnsetFrame(m_band, pair.lowHz, pair.highHz)) -
                               static_cast<std::int64_t>(kBeforeOnset * m_decimator.OutputRate());
    c->start = std::max(held, onset);
    c->lastKeyed = m_samples;
    const std::vector<float> from(m_history.begin() + (c->start - held), m_history.end());
    Feed(*c, from.data(), from.size());
    Collect(*c);
    m_channels.push_back(std::move(c));
}

void SignalScanner::Feed(Channel& c, const float* samples, std::size_t count) {
    m_narrow.clear();
    c.band->Push(samples, count, m_narrow);
    c.receiver->Push(m_narrow.data(), m_narrow.size());
}

void SignalScanner::Collect(Channel& c) {
    for (ReceiverPiece& p : c.receiver->Take()) {
        if (p.opens) Place(c, p.transmission);
        if (c.keyed)
            Pass(c, std::move(p));
        else
            c.held.push_back(std::move(p));
    }
}

// The receiver's time and tones as the input's: its samples counted from the
// channel's start through the band's rate, the filters' delays taken off.
void SignalScanner::Place(const Channel& c, ReceivedTransmission& t) const {
    const double reduced = static_cast<double>(c.start) + static_cast<double>(t.firstSample) * c.band->Factor() -
                           c.band->DelaySamples();
    const double input = reduced * m_decimator.Factor() - static_cast<double>(m_decimator.Taps() - 1) / 2.0;
    t.firstSample = std::max<std::int64_t>(0, std::llround(input));
    t.tone1Hz += c.band->MovedHz();
    t.tone2Hz += c.band->MovedHz();
}

void SignalScanner::Pass(Channel& c, ReceiverPiece&& p) {
    if (p.opens && !c.info.received) {
        c.info.received = true;
        m_received.push_back(c.info);
    }
    m_pieces.push_back({c.info.id, c.info.lowHz, c.info.highHz, std::move(p)});
}

void SignalScanner::CloseQuiet() {
    const auto quiet = static_cast<std::int64_t>(m_options.closeAfterSeconds * m_options.sampleRate);
    for (auto it = m_channels.begin(); it != m_channels.end();) {
        Channel& c = **it;
        if (m_samples - c.lastKeyed <= quiet) {
            ++it;
            continue;
        }
        c.receiver->Finish();
        Collect(c);
        it = m_channels.erase(it);
    }
}

void SignalScanner::Finish() {
    for (auto& c : m_channels) {
        c->receiver->Finish();
        Collect(*c);
    }
    m_channels.clear();
}

std::vector<ScannedPiece> SignalScanner::Take() {
    std::vector<ScannedPiece> out;
    out.swap(m_pieces);
    return out;
}

std::vector<ScannedSignal> SignalScanner::Signals() const {
    std::vector<ScannedSignal> out;
    for (const auto& c : m_channels) out.push_back(c->info);
    return out;
}

}  // namespace morvane
