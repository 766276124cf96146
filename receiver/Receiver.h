#pragma once
#include <complex>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "receiver/CharacterDecoder.h"
#include "receiver/KeyedToneFinder.h"
#include "receiver/LayoutSearch.h"
#include "receiver/ReceiverChain.h"
#include "receiver/ReceiverTypes.h"
#include "receiver/ToneMixer.h"

namespace morvane {

/// Reads two-tone FSK text straight from the samples, as they come: finds
/// the keyed tone pair (unless given), measures the bit rate from the
/// keying's edges and the frame layout from the frames, then follows the
/// transmission with filters matched to the bit, threshold correction for
/// selective fading, a frame flywheel and tone tracking, and lets text
/// through only while the frames show a signal (the squelch). Push the
/// samples in any pieces: the text and its pieces are the same whatever the
/// split; Finish() once at the end reads what is still held.
class Receiver {
public:
    /// Throws std::invalid_argument for a sample rate or tone out of range.
    explicit Receiver(const ReceiverOptions& options);
    void Push(const std::int16_t* samples, std::size_t count);
    void Push(const float* samples, std::size_t count);  // full scale ±1
    void Finish();
    /// The pieces of text that came since the last call.
    std::vector<ReceiverPiece> Take();
    /// Why nothing was received (empty while something was).
    std::string Reason() const;
    bool Received() const { return m_transmissions > 0; }
    /// Values held for what comes next (samples, sub-blocks, frames): a
    /// receiver left running on an endless stream keeps this bounded.
    std::size_t Held() const;

private:
    void PushSamples(const float* x, std::size_t count);
    void Mix(const float* x, std::size_t count);
    void MixSubBlock(const float* x);
    void SearchTones();
    void StartTones(double lowHz, double highHz);
    void SubBlock(std::complex<double> c1, std::complex<double> c2);
    bool StretchKeyed();
    bool TryLock(bool last);
    void CorrectTones();
    void Lock(double baud, const FoundLayout& layout);
    void Locked(std::complex<double> c1, std::complex<double> c2);
    void Unlock();
    void TrackTones();
    void OnFrame(const SyncedFrame& frame);
    bool Good(const SyncedFrame& frame) const;
    bool RunOpens(double level) const;
    void Open();
    void StartNotOnTopBit();
    double RunTypicalQuality() const;
    std::vector<SyncedFrame> FramesBefore() const;
    void Close();
    void Emit(const SyncedFrame& frame);
    std::int64_t SampleOf(double chainIndex) const;

    ReceiverOptions m_options;
    int m_decimation;
    double m_subRate;
    std::int64_t m_samples = 0;
    // Tone search
    std::unique_ptr<KeyedToneFinder> m_finder;
    std::vector<float> m_raw;        // the newest samples (the tone search's window) until the tones are found
    std::size_t m_rawKept = 0;       // how many of them the window holds
    std::string m_reason = "no tones found";
    // Mixers and the acquisition stretch
    std::optional<ToneMixer> m_mixer1, m_mixer2;
    std::vector<float> m_taps;       // both mixers' taps, four floats a sample
    std::vector<float> m_part;       // the samples of a sub-block not yet complete
    double m_baseTone1 = 0.0, m_baseTone2 = 0.0;
    std::int64_t m_mixStart = 0;     // sample where the mixers began
    std::int64_t m_subBlocks = 0;    // sub-blocks mixed so far
    std::vector<std::complex<double>> m_acq1, m_acq2;
    std::int64_t m_acqStart = 0;     // sub-block of m_acq1[0]
    // Following one transmission
    std::unique_ptr<ReceiverChain> m_chain;
    std::int64_t m_chainStart = 0;   // sub-block the chain began at
    std::int64_t m_chainPushed = 0;
    bool m_replaying = false;
    bool m_unlock = false;
    double m_baud = 0.0;
    FoundLayout m_layout;
    struct Candidate {
        double baud;
        FoundLayout layout;
    };
    std::optional<Candidate> m_candidate;  // what the last try found
    int m_agreeing = 0;                    // tries in a row that found it
    std::optional<CharacterDecoder> m_decoder;
    std::vector<SyncedFrame> m_frames;
    // Squelch
    bool m_open = false;
    std::vector<SyncedFrame> m_run, m_held;
    int m_bad = 0;
    double m_typical = 0.0;          // the open transmission's typical frame quality …
    double m_typicalSnr = 0.0;       // … and tone-over-noise (dB)
    double m_emittedEnd = 0.0;       // chain index where the last frame printed ends
    std::int64_t m_lastFrame = 0;    // chain index of the last frame
    int m_transmissions = 0;
    std::vector<ReceiverPiece> m_pieces;
};

}  // namespace morvane
