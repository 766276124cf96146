#include "recording/RecordingSystem.h"

#include <filesystem>
#include <stdexcept>

#include "recording/RecordingDevice.h"
#include "dsp/SampleFormat.h"

namespace morvane {

RecordingSystem::RecordingSystem(std::string path, RecordingPace pace, bool loop, std::function<void()> ended,
                                 std::shared_ptr<RecordingProgress> progress)
    : m_path(std::move(path)), m_pace(pace), m_loop(loop), m_ended(std::move(ended)), m_progress(std::move(progress)) {}

std::optional<std::string> RecordingSystem::InputName(int) {
    return std::filesystem::path(m_path).filename().string();
}

std::unique_ptr<SoundDevice> RecordingSystem::OpenInput(int, const CaptureFormat& format) {
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels != 1 || format.samplesPerSec != kSampleRate)
        throw std::runtime_error("a recording plays only as 16-bit mono 48 kHz");
    return std::make_unique<RecordingDevice>(m_path, m_pace, m_loop, m_ended, m_progress);
}

}  // namespace morvane
