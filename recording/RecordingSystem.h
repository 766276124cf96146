#pragma once
#include <functional>
#include <memory>
#include <string>

#include "recording/RecordingPace.h"
#include "recording/RecordingProgress.h"
#include "capture/SoundSystem.h"

namespace morvane {

/// A single "sound card" that plays a recording (see RecordingDevice).
class RecordingSystem : public SoundSystem {
public:
    /// progress (may be null) follows the samples the device delivers.
    RecordingSystem(std::string path, RecordingPace pace, bool loop, std::function<void()> ended = {},
                    std::shared_ptr<RecordingProgress> progress = {});

    int InputCount() override { return 1; }
    /// The recording's file name, for any device number.
    std::optional<std::string> InputName(int device) override;
    std::unique_ptr<SoundDevice> OpenInput(int device, const CaptureFormat& format) override;

private:
    std::string m_path;
    RecordingPace m_pace;
    bool m_loop;
    std::function<void()> m_ended;
    std::shared_ptr<RecordingProgress> m_progress;
};

}  // namespace morvane
