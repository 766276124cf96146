#include "live/PortAudioSystem.h"

#include <portaudio.h>

#include <stdexcept>

#include "live/PortAudioInput.h"

namespace morvane {

PortAudioSystem::PortAudioSystem() {
    if (!m_session.Ok()) return;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info != nullptr && info->maxInputChannels > 0) m_inputs.push_back(i);
    }
}

int PortAudioSystem::InputCount() { return static_cast<int>(m_inputs.size()); }

int PortAudioSystem::PaIndex(int device) const {
    if (!m_session.Ok()) return -1;
    if (device == kDefaultInput) {
        const PaDeviceIndex index = Pa_GetDefaultInputDevice();
        return index == paNoDevice ? -1 : index;
    }
    if (device < 0 || device >= static_cast<int>(m_inputs.size())) return -1;
    return m_inputs[static_cast<std::size_t>(device)];
}

std::optional<std::string> PortAudioSystem::InputName(int device) {
    const int index = PaIndex(device);
    if (index < 0) return std::nullopt;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    if (info == nullptr || info->name == nullptr) return std::nullopt;
    return std::string(info->name);
}

std::unique_ptr<SoundDevice> PortAudioSystem::OpenInput(int device, const CaptureFormat& format) {
    if (!m_session.Ok()) throw std::runtime_error(m_session.Error());
    const int index = PaIndex(device);
    if (index < 0) throw std::runtime_error(device == kDefaultInput ? "no default input device" : "no such input device");
    return std::make_unique<PortAudioInput>(index, format);
}

std::unique_ptr<SoundSystem> MakeSoundSystem() { return std::make_unique<PortAudioSystem>(); }

}  // namespace morvane
