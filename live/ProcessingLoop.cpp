#include "live/ProcessingLoop.h"

#include <algorithm>
#include <filesystem>

#include "capture/CaptureFormat.h"
#include "capture/ChooseDevice.h"
#include "capture/SoundLoss.h"
#include "live/StatusTexts.h"
#include "live/ProgramFiles.h"
#include "recording/RecordingSystem.h"

namespace morvane {
namespace {

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

/// Tells the device a Process was handled, however Process ends.
class HandledOnExit {
public:
    explicit HandledOnExit(CSoundCapture& capture) : m_capture(capture) {}
    ~HandledOnExit() { m_capture.BlockHandled(); }
    HandledOnExit(const HandledOnExit&) = delete;
    HandledOnExit& operator=(const HandledOnExit&) = delete;

private:
    CSoundCapture& m_capture;
};

}  // namespace

ProcessingLoop::ProcessingLoop(std::unique_ptr<SoundSystem> system, ProcessingHooks hooks)
    : m_system(std::move(system)), m_hooks(std::move(hooks)), m_fallbackPath(FindSampleRecording()) {}

ProcessingLoop::~ProcessingLoop() { Stop(); }

void ProcessingLoop::UseRecording(std::string path, RecordingPace pace) {
    m_recordingPath = std::move(path);
    m_recordingPace = pace;
}

std::string ProcessingLoop::OpenRecording(const std::string& path, RecordingPace pace, bool loop,
                                          const std::string& okStatus) {
    m_recordingSystem = std::make_unique<RecordingSystem>(path, pace, loop,
                                                          loop ? std::function<void()>{} : m_hooks.inputEnded);
    m_playingRecording = true;
    if (!m_capture.Open(m_format, *m_recordingSystem, 0, m_hooks.postProcess))
        return m_openStatus = "Cannot open recording \"" + FileName(path) + "\": " + m_capture.LastError();
    return m_openStatus = okStatus;
}

std::string ProcessingLoop::Start(const std::vector<std::string>& arguments, float tone1Hz, float tone2Hz) {
    m_format = kCaptureFormat;
    m_stream.Clear();
    SetTones(tone1Hz, tone2Hz);

    // Already opened once: not reopened. A card that failed to open, or a
    // recording playing in its place, keeps saying so.
    const bool opened = !m_capture.Closed();
    if (opened && (!m_capture.IsOpen() || m_playingRecording)) return m_openStatus;

    if (!m_recordingPath.empty())
        return OpenRecording(m_recordingPath, m_recordingPace, false, "Playing \"" + FileName(m_recordingPath) + "\"");

    const DeviceChoice choice = ChooseDevice(arguments, *m_system);
    if (opened) return choice.status;

    m_playingRecording = false;
    if (m_system->InputCount() == 0) {
        if (m_fallbackPath.empty()) return m_openStatus = "No sound input found";
        m_input = Input::Sample;
        return OpenRecording(m_fallbackPath, RecordingPace::RealTime, true,
                             "No sound input found: playing the sample recording");
    }
    if (m_capture.Open(m_format, *m_system, choice.device, m_hooks.postProcess)) {
        m_input = Input::Card;
        m_cardDevice = choice.device;
        return m_openStatus = choice.status;
    }
    // Reported instead of the card choice: the card is not running.
    if (auto name = m_system->InputName(choice.device))
        return m_openStatus = "Cannot open card \"" + *name + "\": " + m_capture.LastError();
    return m_openStatus =
               "Cannot open sound card '" + std::to_string(choice.device) + "': " + m_capture.LastError();
}

void ProcessingLoop::Stop() {
    m_capture.Close();
    m_playingRecording = false;
    m_reading = false;
}

bool ProcessingLoop::ReadRecording(const std::string& path, RecordingPace pace, std::string& error) {
    m_lastRecording = path;
    m_readingName = FileName(path);
    m_readingPace = pace;
    // The input in use stops first: a live capture ends with it, and nothing
    // it still had pending joins the recording's levels.
    m_capture.Close();
    ++m_generation;
    m_capture.SetRecording(false);
    m_format = kCaptureFormat;
    // A stream of its own: the timeline and soft stream go with the levels.
    m_stream.Clear();
    m_tones = CaptureTones();
    m_progress = std::make_shared<RecordingProgress>();
    m_recordingSystem = std::make_unique<RecordingSystem>(path, pace, false, m_hooks.inputEnded, m_progress);
    // Capture on before the device opens: its first block is captured.
    m_capture.SetRecording(true);
    if (!m_capture.Open(m_format, *m_recordingSystem, 0, m_hooks.postProcess)) {
        error = m_capture.LastError();
        m_capture.SetRecording(false);
        m_reading = false;
        ReopenInput();
        return false;
    }
    m_playingRecording = true;
    m_reading = true;
    m_captureStart = std::chrono::steady_clock::now();
    return true;
}

bool ProcessingLoop::FinishReading() {
    if (!m_reading) return false;
    m_reading = false;
    m_capture.SetRecording(false);
    m_capture.Close();
    ++m_generation;
    ReopenInput();
    return true;
}

void ProcessingLoop::ReopenInput() {
    m_playingRecording = false;
    switch (m_input) {
    case Input::None:
        break;
    case Input::Card:
        m_capture.Open(m_format, *m_system, m_cardDevice, m_hooks.postProcess);
        break;
    case Input::Sample:
        OpenRecording(m_fallbackPath, RecordingPace::RealTime, true, m_openStatus);
        break;
    }
}

void ProcessingLoop::Process() {
    m_newSamples.clear();
    if (!m_capture.IsOpen()) return;
    HandledOnExit handled(m_capture);

    const std::optional<CSoundCapture::Newest> newest = m_capture.CopyNewest();
    if (!newest) return;
    if (m_hooks.updateSpectrum) m_hooks.updateSpectrum(newest->samples, newest->byteCount);
    if (!newest->recording) return;

    m_capture.DemodulatePending(m_stream.tones, m_stream.levels,
                                {m_keepSoft ? &m_stream.soft : nullptr, &m_stream.timeline, &m_newSamples});
    m_newSamplesStart = m_capture.SamplesHandedOut() - static_cast<std::int64_t>(m_newSamples.size());
    m_tones.Add(m_newSamples.data(), m_newSamples.size());
    if (m_hooks.redrawResults) m_hooks.redrawResults();
}

void ProcessingLoop::StartCapture() {
    m_stream.Clear();
    m_tones = CaptureTones();
    m_capture.SetRecording(true);
    m_captureStart = std::chrono::steady_clock::now();
}

void ProcessingLoop::SetTones(float tone1Hz, float tone2Hz) {
    if (tone1Hz == m_stream.tones.tone1Hz && tone2Hz == m_stream.tones.tone2Hz) return;
    m_stream.tones.tone1Hz = tone1Hz;
    m_stream.tones.tone2Hz = tone2Hz;
    if (m_hooks.tonesChanged) m_hooks.tonesChanged();
}

void ProcessingLoop::AdoptLevels(std::vector<std::int32_t> levels) {
    m_stream.Clear();
    m_stream.levels = std::move(levels);
}

std::string ProcessingLoop::LossText() const {
    return SoundLossText(m_capture.Loss(), kDeviceBlockBytes / 2);
}

std::string ProcessingLoop::ActivityText() const {
    if (m_reading) {
        const std::int64_t delivered = m_progress->delivered.load();
        const std::int64_t expected = m_progress->expected.load();
        if (expected > 0)
            return "Reading " + m_readingName + ": " +
                   std::to_string(std::min<std::int64_t>(100, delivered * 100 / expected)) + " %";
        return "Reading " + m_readingName + ": " + Duration(delivered);
    }
    if (!Recording()) return {};
    // Lost sound shifts every later character: while it is counted, it is
    // what the status line says.
    std::string lost = LossText();
    if (!lost.empty()) return lost;
    const auto seconds =
        m_captureStart == std::chrono::steady_clock::time_point{}
            ? 0
            : std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_captureStart).count();
    return "Capturing " + Duration(static_cast<std::int64_t>(seconds) * kSampleRate) + " \u00B7 " +
           GroupDigits(static_cast<std::int64_t>(m_stream.levels.size())) + " levels";
}

std::string ProcessingLoop::ReadEndText(bool stopped) const {
    const std::int64_t delivered = m_progress ? m_progress->delivered.load() : 0;
    return m_readingName + ": " + Duration(delivered) + " read" + (stopped ? " (stopped)" : "");
}

bool ProcessingLoop::StopCapture() { return m_capture.SetRecording(false); }

bool ProcessingLoop::Recording() const { return m_capture.Recording(); }

bool ProcessingLoop::Play() {
    const std::string folder = ExecutableFolder();
    return !folder.empty() && m_player.Play((std::filesystem::path(folder) / "_Sound2.wav").string());
}

}  // namespace morvane
