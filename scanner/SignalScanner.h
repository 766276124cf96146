#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "receiver/Receiver.h"
#include "receiver/ReceiverTypes.h"
#include "scanner/BandPower.h"
#include "scanner/Decimator.h"
#include "scanner/PairSearch.h"
#include "scanner/ToneBand.h"

namespace morvane {

/// How the scanner searches and reads.
struct ScannerOptions {
    double sampleRate = 48000.0;       // input samples per second, 9 600 … 10 000 000
    ReceiverOptions receiver;          // code, squelch and unshift for every signal; its tones are not used
    PairRules rules;                   // where tones may lie and what counts as keyed
    double searchEverySeconds = 1.0;   // between two searches of the band, 0.1 … 60
    double windowSeconds = 5.0;        // sound a search looks at, and a new signal's receiver starts on; 1 … 60
    double closeAfterSeconds = 8.0;    // a signal whose tones are not keyed this long is closed; ≥ 1
    std::size_t mostSignals = 16;      // receivers at most at once (signals found and not yet proven)
};

/// A signal the scanner follows.
struct ScannedSignal {
    int id = 0;                  // 1, 2, … in the order found; never reused
    double lowHz = 0.0;          // the tones as found
    double highHz = 0.0;
    std::int64_t foundSample = 0;  // input sample of the search that found it
    bool received = false;       // its receiver has opened a transmission
    double levelDb = 0.0;        // the weaker tone over the band's median at the last search that found it
};

/// A piece of text of one signal; the transmission's firstSample counts input samples.
struct ScannedPiece {
    int signal = 0;
    double lowHz = 0.0, highHz = 0.0;  // the signal's tones as found
    ReceiverPiece piece;
};

/// Finds every keyed two-tone FSK signal in the band and reads each with a
/// receiver of its own, its tones given, its rate, frames and code found by
/// that receiver. The band is searched from one spectrum over time shared by
/// all, taken from one low-passed copy of the sound at 9 600 per second; out
/// of that copy each receiver reads its own signal's band moved down to 2 400
/// (or 4 800) samples a second. A
/// signal found anew starts its receiver on the last windowSeconds of sound.
/// Its text comes through while its own two tones are keyed against each
/// other (the last three seconds show it at every search); text that comes
/// while they are not is held until they are again, and a signal not keyed
/// for closeAfterSeconds is closed, its held text dropped. The text is the
/// same however the input is split.
class SignalScanner {
public:
    /// Throws std::invalid_argument for options out of range.
    explicit SignalScanner(const ScannerOptions& options);
    ~SignalScanner();
    void Push(const std::int16_t* samples, std::size_t count);
    /// Reads what every receiver still holds; call once at the end.
    void Finish();
    /// The pieces of text that came since the last call, signal by signal.
    std::vector<ScannedPiece> Take();
    /// The signals followed now.
    std::vector<ScannedSignal> Signals() const;
    /// Every signal whose receiver opened a transmission, closed ones too, in the order found.
    const std::vector<ScannedSignal>& Received() const { return m_received; }

private:
    struct Channel;
    void Run(const std::int16_t* samples, std::size_t count);
    void Search();
    Channel* Matching(const FoundPair& pair);
    bool NearATone(const FoundPair& pair) const;
    void Start(const FoundPair& pair);
    void Feed(Channel& channel, const float* samples, std::size_t count);
    void Collect(Channel& channel);
    void Place(const Channel& channel, ReceivedTransmission& t) const;
    void Pass(Channel& channel, ReceiverPiece&& piece);
    void CloseQuiet();

    ScannerOptions m_options;
    Decimator m_decimator;
    BandPower m_band;
    std::int64_t m_samples = 0;      // input samples so far
    std::int64_t m_reduced = 0;      // decimated samples so far
    std::int64_t m_searchEvery;      // input samples between searches
    std::deque<float> m_history;     // the last windowSeconds of decimated sound
    std::size_t m_historySize;
    std::vector<float> m_fresh, m_narrow;
    std::vector<std::unique_ptr<Channel>> m_channels;
    std::vector<ScannedSignal> m_received;
    std::vector<ScannedPiece> m_pieces;
    int m_nextId = 1;
};

}  // namespace morvane
