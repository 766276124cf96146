#pragma once
#include <atomic>
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
#include "dsp/SoftWindow.h"
#include "dsp/DemodSettings.h"
#include "dsp/LevelTimeline.h"

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
};

/// The processing loop and the commands that drive capture: Start, Stop,
/// Start capture, Stop capture, Process and Play. Owns the capture device and
/// the demodulator settings; the level stream belongs to the owner (the
/// results view) and is passed in by reference. Everything but the hooks'
/// postProcess/inputEnded runs on the owner's (window) thread.
///
/// Typical window use:
///   ctor: ProcessingLoop loop(MakeSoundSystem(), hooks);
///   init: status label = loop.Start(arguments, low tone, high tone, levels);
///   Process posted: loop.Process(levels);
///   "Start capture": RefreshRasterParams(); loop.StartCapture(levels);
///   "Stop capture": if (loop.StopCapture()) post Show;
///   tone pick: loop.SetTone1(f) / loop.SetTone2(f);
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

    /// Start: empties `levels`, sets the tones (Hz), picks the card from the "/s0" … "/s5" switches among
    /// the program's arguments and, if the device is closed, opens it. Returns the status
    /// text: the card choice, "Cannot open card \"NAME\": REASON" when the
    /// card fails to open, or a note that the sample recording plays instead
    /// when there is no sound input. Once opened (or failed), a later Start
    /// does not reopen: it still updates tones and levels, and gives the card
    /// choice again, or the failure / recording note it gave at first.
    std::string Start(const std::vector<std::string>& arguments, float tone1Hz, float tone2Hz, std::vector<std::int32_t>& levels);

    /// Reads the recording `path` in place of the input in use, from its first
    /// sample, with capture on from its first block, so the levels equal those
    /// of RecordingLevels for the same tones: closes the input in use (a
    /// capture running on it stops), empties `levels`, sets the recording
    /// flag and opens the recording at `pace` (the timeline and the soft
    /// stream start afresh with the levels). The owner hears of its end
    /// through the inputEnded hook and then calls FinishReading. Returns false
    /// with the reason in `error` when the recording cannot be opened; the
    /// input in use before is then open again.
    bool ReadRecording(const std::string& path, RecordingPace pace, std::vector<std::int32_t>& levels,
                       std::string& error);
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

    /// Stop: closes the device. No Process work happens afterwards.
    void Stop();

    /// Process: hands a copy of the newest block to updateSpectrum and, while
    /// recording, demodulates all pending samples onto `levels`, then calls
    /// redrawResults. Returns at once when the device is not open.
    void Process(std::vector<std::int32_t>& levels);

    /// Start capture: empties `levels` and sets the recording flag. (The owner
    /// refreshes its raster parameters first.) Pending leftovers are kept.
    void StartCapture(std::vector<std::int32_t>& levels);

    /// Stop capture: clears the recording flag. Returns true when it was set,
    /// i.e. when the owner must post Show.
    bool StopCapture();

    /// Tone picks: set tone 1 / tone 2 of the demodulator in Hz.
    void SetTone1(float hz) { m_settings.tone1Hz = hz; }
    void SetTone2(float hz) { m_settings.tone2Hz = hz; }

    /// Play: plays "_Sound2.wav" from the executable's folder without waiting,
    /// if it exists. Never fails visibly; returns whether a sound started.
    bool Play();

    /// The tone energies of every level appended since the last Start or Start
    /// capture, one per level, kept beside the owner's level stream for the
    /// soft reading. Emptied together with the levels.
    const std::vector<SoftWindow>& Soft() const { return m_soft; }
    /// Whether Process keeps the soft stream (on by default).
    void SetKeepSoft(bool keep) { m_keepSoft = keep; }

    /// Whether recording is on (takes the capture lock).
    bool Recording() const;
    /// Whether a device is open and delivering blocks.
    bool IsOpen() const { return m_capture.IsOpen(); }
    const DemodSettings& Settings() const { return m_settings; }
    /// Where the captured levels lie in time: emptied with the level stream
    /// by Start and Start capture, extended by every Process.
    const LevelTimeline& Timeline() const { return m_timeline; }
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
    DemodSettings m_settings{};
    std::vector<SoftWindow> m_soft;
    LevelTimeline m_timeline;
    bool m_keepSoft = true;
    CaptureFormat m_format{};
    std::string m_recordingPath;
    RecordingPace m_recordingPace = RecordingPace::RealTime;
    std::string m_fallbackPath;
    bool m_playingRecording = false;  // a recording plays in place of the card
    std::string m_openStatus;         // the status given when the input was opened
    Input m_input = Input::None;      // opened by Start, reopened after a reading
    int m_cardDevice = 0;
    bool m_reading = false;
    std::atomic<std::uint64_t> m_generation{0};
    std::shared_ptr<RecordingProgress> m_progress;
    SoundPlayer m_player;
    CSoundCapture m_capture;  // last: closed first, while the rest still exists
};

}  // namespace morvane
