#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "capture/CSoundCapture.h"
#include "recording/RecordingPace.h"
#include "recording/RecordingProgress.h"
#include "live/SoundPlayer.h"
#include "capture/SoundSystem.h"
#include "live/CaptureTones.h"
#include "dsp/LevelStream.h"

namespace morvane {

/// What the processing loop asks of its owner (the main window, or the
/// command-line tool). Any hook may be left empty.
struct ProcessingHooks {
    /// Posts the Process command to the owner's thread. Called on the device's
    /// thread; must return at once, never block and never call Process itself
    /// (Qt: QMetaObject::invokeMethod(..., Qt::QueuedConnection)).
    std::function<void()> postProcess;
    /// Owner's thread, capture lock not held: a copy of the newest block
    /// (samples) and its size in bytes (65 536), for the spectrum / waterfall.
    std::function<void(const std::vector<std::int16_t>& block, std::int32_t byteCount)> updateSpectrum;
    /// Owner's thread, capture lock not held, only while recording, after the
    /// level stream grew: refresh the raster parameters and redraw the results
    /// view at once.
    std::function<void()> redrawResults;
    /// Device thread: a recording played in place of a sound card (see
    /// UseRecording) has delivered its last block. Must not block. Not called
    /// for the looping sample.
    std::function<void()> inputEnded;
    /// Owner's thread: the demodulator's tones changed (SetTones or Start);
    /// the new ones are Stream().tones.
    std::function<void()> tonesChanged;
};

/// The processing loop and the commands that drive capture: Start, Stop,
/// Start capture, Stop capture, Process and Play. Owns the capture device and
/// the level stream with the tones it is made with; views, readers and Align
/// read the stream through Stream(). Everything but the hooks'
/// postProcess/inputEnded runs on the owner's (window) thread.
///
/// Typical window use:
///   ctor: ProcessingLoop loop(MakeSoundSystem(), hooks);
///   init: status label = loop.Start(arguments, low tone, high tone);
///   Process posted: loop.Process();
///   "Start capture": RefreshRasterParams(); loop.StartCapture();
///   "Stop capture": if (loop.StopCapture()) post Show;
///   tone pick: loop.SetTones(low, high) (tonesChanged tells who shows them);
///   destruction: loop.Stop() (the destructor does it too).
class ProcessingLoop {
public:
    /// system: the sound cards (MakeSoundSystem() for the real ones).
    ProcessingLoop(std::unique_ptr<SoundSystem> system, ProcessingHooks hooks);
    ~ProcessingLoop();
    ProcessingLoop(const ProcessingLoop&) = delete;
    ProcessingLoop& operator=(const ProcessingLoop&) = delete;

    /// Plays the recording `path` (any format the recording reader takes) in
    /// place of a sound card from the next Start on. RecordingPace::RealTime
    /// delivers a block every 0.68 s, AfterProcess the next block as soon as
    /// the previous Process was handled. The owner hears of the end through
    /// the inputEnded hook.
    void UseRecording(std::string path, RecordingPace pace);

    /// The recording played when the machine has no sound input at all
    /// (default: the sample shipped with the program; empty: none).
    void SetFallbackRecording(std::string path) { m_fallbackPath = std::move(path); }

    /// Start: empties the stream, sets the tones (Hz), picks the card from the "/s0" … "/s5" switches among
    /// the program's arguments and, if the device is closed, opens it. Returns the status
    /// text: the card choice, "Cannot open card \"NAME\": REASON" when the
    /// card fails to open, or a note that the sample recording plays instead
    /// when there is no sound input. Once opened (or failed), a later Start
    /// does not reopen: it still updates tones and levels, and gives the card
    /// choice again, or the failure / recording note it gave at first.
    std::string Start(const std::vector<std::string>& arguments, float tone1Hz, float tone2Hz);

    /// Reads the recording `path` in place of the input in use, from its first
    /// sample, with capture on from its first block, so the levels equal those
    /// of RecordingLevels for the same tones: closes the input in use (a
    /// capture running on it stops), empties `levels`, sets the recording
    /// flag and opens the recording at `pace` (the timeline and the soft
    /// stream start afresh with the levels). The owner hears of its end
    /// through the inputEnded hook and then calls FinishReading. Returns false
    /// with the reason in `error` when the recording cannot be opened; the
    /// input in use before is then open again. Either way `path` becomes
    /// LastRecording().
    bool ReadRecording(const std::string& path, RecordingPace pace, std::string& error);
    /// Ends a reading (at its end or early): capture off, the recording closed
    /// and the input in use before it (a card or the looping sample) opened
    /// again. Returns false when no recording was being read.
    bool FinishReading();
    /// Changes each time the input is replaced by ReadRecording or
    /// FinishReading. An owner that tags its posted Process commands with it
    /// can drop those that an input closed since has posted. Any thread.
    std::uint64_t Generation() const { return m_generation.load(); }
    /// Whether a recording opened with ReadRecording is being read.
    bool Reading() const { return m_reading; }
    /// How far the recording being read (or read last) has come; null before any.
    const RecordingProgress* Progress() const { return m_progress.get(); }
    /// The recording opened last with ReadRecording (empty before any), and its file name.
    const std::string& LastRecording() const { return m_lastRecording; }
    const std::string& ReadingName() const { return m_readingName; }
    /// Whether the levels come at the pace of real time: from a card, or
    /// from a recording read at its own pace.
    bool RealTime() const { return !m_reading || m_readingPace == RecordingPace::RealTime; }
    /// Whether a recording is being read as fast as the owner keeps up.
    bool ReadingFast() const { return m_reading && m_readingPace == RecordingPace::AfterProcess; }

    /// What the status line tells of the input while it runs: "Reading NAME:
    /// 43 %" (or the time read, when the length is unknown) while a recording
    /// is read; while capturing, the lost sound (LossText) or "Capturing
    /// 00:42 · 25 200 levels"; otherwise empty.
    std::string ActivityText() const;
    /// The end of the last reading: "NAME: 12:31 read", with " (stopped)"
    /// when `stopped` (ended before the recording's end).
    std::string ReadEndText(bool stopped) const;
    /// Sound lost since the input was opened, as the status line says it
    /// ("9 blocks dropped (6.1 s of sound lost)"), or empty.
    std::string LossText() const;

    /// Stop: closes the device. No Process work happens afterwards.
    void Stop();

    /// Process: hands a copy of the newest block to updateSpectrum and, while
    /// recording, demodulates all pending samples onto the stream, then calls
    /// redrawResults. Returns at once when the device is not open.
    void Process();

    /// Start capture: empties the stream and sets the recording flag. (The
    /// owner refreshes its raster parameters first.) Pending leftovers are kept.
    void StartCapture();

    /// Stop capture: clears the recording flag. Returns true when it was set,
    /// i.e. when the owner must post Show.
    bool StopCapture();

    /// Sets tone 1 and tone 2 of the demodulator (Hz), used from the next
    /// Process on; a change is announced through the tonesChanged hook.
    void SetTones(float tone1Hz, float tone2Hz);

    /// Puts `levels` in place of the stream (no tone energies, levels evenly
    /// spaced in time): levels made elsewhere, shown and read as captured ones.
    void AdoptLevels(std::vector<std::int32_t> levels);

    /// Play: plays "_Sound2.wav" from the executable's folder without waiting,
    /// if it exists. Never fails visibly; returns whether a sound started.
    bool Play();

    /// The level stream since the last Start, Start capture or ReadRecording:
    /// its levels, their tone energies (kept for the soft reading), where they
    /// lie in time, and the tones the demodulator uses.
    const LevelStream& Stream() const { return m_stream; }
    /// The keyed tone pair of the capture so far (everything captured since
    /// the last Start capture or ReadRecording; see CaptureTones).
    ToneEstimate FindTones() const { return m_tones.Find(); }
    /// Whether Process keeps the tone energies (on by default).
    void SetKeepSoft(bool keep) { m_keepSoft = keep; }
    /// The samples the last Process took in while recording, as the device
    /// delivered them (before the block's peak normalisation), for readers
    /// that work on the sound itself; empty when it took none. They continue
    /// the samples of the Process before unless sound was lost.
    const std::vector<std::int16_t>& NewSamples() const { return m_newSamples; }
    /// Sample position of NewSamples()[0] on the level stream's timeline
    /// (counted as LevelTimeline::SampleOf counts).
    std::int64_t NewSamplesStart() const { return m_newSamplesStart; }

    /// Whether recording is on (takes the capture lock).
    bool Recording() const;
    /// Whether a device is open and delivering blocks.
    bool IsOpen() const { return m_capture.IsOpen(); }
    const DemodSettings& Settings() const { return m_stream.tones; }
    /// Sound lost since the input was opened (see CSoundCapture::Loss).
    SoundLoss Loss() const { return m_capture.Loss(); }

private:
    std::string OpenRecording(const std::string& path, RecordingPace pace, bool loop, const std::string& okStatus);
    /// Opens again what was open before a reading; nothing when nothing was.
    void ReopenInput();

    /// What plays when no recording is read: nothing, a card or the looping sample.
    enum class Input { None, Card, Sample };

    std::unique_ptr<SoundSystem> m_system;
    std::unique_ptr<SoundSystem> m_recordingSystem;
    ProcessingHooks m_hooks;
    LevelStream m_stream;
    CaptureTones m_tones;  // fed with every sample captured
    bool m_keepSoft = true;
    std::vector<std::int16_t> m_newSamples;
    std::int64_t m_newSamplesStart = 0;
    CaptureFormat m_format{};
    std::string m_recordingPath;
    RecordingPace m_recordingPace = RecordingPace::RealTime;
    std::string m_fallbackPath;
    bool m_playingRecording = false;  // a recording plays in place of the card
    std::string m_openStatus;         // the status given when the input was opened
    Input m_input = Input::None;      // opened by Start, reopened after a reading
    int m_cardDevice = 0;
    bool m_reading = false;
    RecordingPace m_readingPace = RecordingPace::RealTime;
    std::string m_lastRecording;
    std::string m_readingName;
    std::chrono::steady_clock::time_point m_captureStart{};  // Start capture, or the reading's start
    std::atomic<std::uint64_t> m_generation{0};
    std::shared_ptr<RecordingProgress> m_progress;
    SoundPlayer m_player;
    CSoundCapture m_capture;  // last: closed first, while the rest still exists
};

}  // namespace morvane
