#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "capture/CaptureFormat.h"
#include "capture/SoundDevice.h"

namespace morvane {

/// The sound inputs a machine offers, counted the way the card switches
/// "/s0" … "/s5" count them: only input-capable devices, from 0.
class SoundSystem {
public:
    /// The system's default input device.
    static constexpr int kDefaultInput = -1;

    virtual ~SoundSystem() = default;

    /// Number of input-capable devices (0 when there is no sound input at all).
    virtual int InputCount() = 0;

    /// Name of input device (0 … InputCount()-1, or kDefaultInput); no value
    /// when it cannot be queried.
    virtual std::optional<std::string> InputName(int device) = 0;

    /// Opens input device (as for InputName) for the format, not yet started.
    /// Throws std::runtime_error with the reason when it cannot be opened.
    virtual std::unique_ptr<SoundDevice> OpenInput(int device, const CaptureFormat& format) = 0;
};

}  // namespace morvane
