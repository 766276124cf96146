#pragma once
#include <memory>
#include <vector>

#include "live/PortAudioSession.h"
#include "capture/SoundSystem.h"

namespace morvane {

/// The machine's sound cards through PortAudio (ALSA, PulseAudio, JACK).
/// Only devices with input channels are counted.
class PortAudioSystem : public SoundSystem {
public:
    PortAudioSystem();

    int InputCount() override;
    std::optional<std::string> InputName(int device) override;
    /// Opens a 16-bit mono 48 kHz input; throws std::runtime_error with
    /// PortAudio's reason on failure.
    std::unique_ptr<SoundDevice> OpenInput(int device, const CaptureFormat& format) override;

private:
    /// PortAudio's device index for an input number or kDefaultInput; -1 if none.
    int PaIndex(int device) const;

    PortAudioSession m_session;
    std::vector<int> m_inputs;  // PortAudio indices of the input-capable devices
};

/// The sound system the program uses: the machine's sound cards.
std::unique_ptr<SoundSystem> MakeSoundSystem();

}  // namespace morvane
