#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "receiver/KeyedToneFinder.h"
#include "sitor/ModeB.h"
#include "sitor/SitorDemodulator.h"
#include "sitor/SitorReader.h"

namespace morvane::sitor {

/// A character read from the sound: the word (-1 for an error), whether it
/// opens a run after a stretch without SITOR-B, and the sample (48 kHz,
/// counted from the stream's first) where its first copy's first bit lies.
struct StreamCharacter {
    int word = -1;
    bool afterGap = false;
    std::int64_t sample = 0;
};

/// A run's header: "100 Bd · 1615/1785 Hz · SITOR-B · mark (B) on the
/// high tone" (the tones to 1 Hz, the polarity of `sync`; UTF-8, no line end).
std::string SitorRunHeading(double lowHz, double highHz, const SyncGuess& sync);

/// How a SitorStream finds its tones and chooses its copies.
struct SitorStreamOptions {
    std::optional<double> lowHz, highHz;  // given tones (50 … 24 000 Hz); a missing one is found
    CopyChoice choice = CopyChoice::Margin;
    /// false: the tones are looked for once, on the first 30 s (or all there
    /// is), as a recording is read whole. true (live sound, a pipe): tried on
    /// the first 5, 10, 20 and 30 s, then every 10 s on the last 30 s, until
    /// found.
    bool keepHunting = false;
};

/// Reads SITOR-B from 16-bit samples at 48 kHz as they come: finds the
/// keyed tone pair (KeyedToneFinder), holding the sound back meanwhile,
/// then demodulates it from the start (SitorDemodulator) and reads the
/// characters (SitorReader). A recording pushed in any pieces gives the
/// characters ReadSitorB gives on its bits whole.
class SitorStream {
public:
    explicit SitorStream(SitorStreamOptions options);

    /// Throws std::invalid_argument when a given tone is out of range.
    void Push(const std::int16_t* samples, std::size_t count);
    /// The sound has ended: reads what is left.
    void Finish();
    /// The characters read since the last Take.
    std::vector<StreamCharacter> Take();

    /// Whether the tones are known, and which (low < high).
    bool TonesKnown() const { return m_demod.has_value(); }
    double LowHz() const { return m_lowHz; }
    double HighHz() const { return m_highHz; }
    /// Why no tones were found (once the hunt gave up without keepHunting).
    const std::string& ToneReason() const { return m_toneReason; }
    /// The reading's counts and its strongest stretch.
    const SitorReader& Reader() const { return m_reader; }

private:
    void TryTones(bool ended);
    void Demodulate(const std::int16_t* samples, std::size_t count);
    void Collect(std::vector<ReadCharacter>& read);

    SitorStreamOptions m_options;
    KeyedToneFinder m_finder;
    std::vector<std::int16_t> m_held;  // sound held while the tones are looked for
    std::int64_t m_heldFrom = 0;       // the stream sample of m_held[0]
    double m_nextTry = 0.0;            // seconds held at the next try
    bool m_gaveUp = false;
    std::string m_toneReason;
    double m_lowHz = 0.0, m_highHz = 0.0;
    std::optional<SitorDemodulator> m_demod;
    std::int64_t m_origin = 0;         // the stream sample the demodulator started with
    SitorReader m_reader;
    std::vector<float> m_bits;
    std::vector<std::int64_t> m_bitSamples;   // of the bits from m_sampleBase on
    std::int64_t m_sampleBase = 0;
    std::vector<StreamCharacter> m_out;
};

}  // namespace morvane::sitor
