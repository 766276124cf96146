#pragma once
#include "capture/SoundSystem.h"

/// A machine without sound inputs, for a run that plays a recording in place
/// of the card: the sound library is then not started at all.
class NoSoundInputs : public morvane::SoundSystem {
public:
    int InputCount() override { return 0; }
    std::optional<std::string> InputName(int) override { return std::nullopt; }
    /// Always throws std::runtime_error: there is nothing to open.
    std::unique_ptr<morvane::SoundDevice> OpenInput(int device, const morvane::CaptureFormat& format) override;
};
