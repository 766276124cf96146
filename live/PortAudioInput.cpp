#include "live/PortAudioInput.h"

#include <portaudio.h>

#include <algorithm>
#include <stdexcept>

namespace morvane {
namespace {

constexpr double kMinLatencySeconds = 0.25;

}  // namespace

PortAudioInput::PortAudioInput(int paIndex, const CaptureFormat& format) {
    if (!m_session.Ok()) throw std::runtime_error(m_session.Error());
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels != 1)
        throw std::runtime_error("only 16-bit mono PCM input is supported");
    const PaDeviceInfo* info = Pa_GetDeviceInfo(paIndex);
    if (info == nullptr) throw std::runtime_error("no such input device");
    if (info->maxInputChannels < 1) throw std::runtime_error("the device has no input channels");

    PaStreamParameters params{};
    params.device = paIndex;
    params.channelCount = 1;
    params.sampleFormat = paInt16;
    // Blocks last 0.68 s, so a generous buffer costs nothing and rides out a
    // busy machine (a sound server's client buffer overruns otherwise).
    params.suggestedLatency = std::max(info->defaultHighInputLatency, kMinLatencySeconds);
    PaStream* stream = nullptr;
    const PaError err = Pa_OpenStream(&stream, &params, nullptr, static_cast<double>(format.samplesPerSec),
                                      paFramesPerBufferUnspecified, paClipOff, &PortAudioInput::OnAudio, this);
    if (err != paNoError) throw std::runtime_error(PortAudioErrorText(err));
    m_stream = stream;
}

PortAudioInput::~PortAudioInput() {
    Stop();
    if (m_stream != nullptr) Pa_CloseStream(static_cast<PaStream*>(m_stream));
}

void PortAudioInput::Start(std::int32_t blockBytes, BlockHandler handler) {
    if (m_started) throw std::logic_error("input already started");
    if (blockBytes < 2 || blockBytes % 2 != 0) throw std::invalid_argument("block size must be even and at least 2 bytes");
    m_relay = std::make_unique<BlockRelay>(static_cast<std::size_t>(blockBytes) / 2, std::move(handler));
    m_started = true;
    const PaError err = Pa_StartStream(static_cast<PaStream*>(m_stream));
    if (err != paNoError) {
        Stop();
        throw std::runtime_error(PortAudioErrorText(err));
    }
}

void PortAudioInput::Stop() {
    if (!m_started) return;
    m_started = false;
    // Returns once PortAudio's callback has finished for good; then the relay
    // can stop, since nothing pushes any more.
    if (Pa_IsStreamStopped(static_cast<PaStream*>(m_stream)) == 0) Pa_AbortStream(static_cast<PaStream*>(m_stream));
    m_relay->Stop();
}

int PortAudioInput::OnAudio(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                            unsigned long statusFlags, void* self) {
    auto* me = static_cast<PortAudioInput*>(self);
    if ((statusFlags & paInputOverflow) != 0) me->m_overflows.fetch_add(1, std::memory_order_relaxed);
    if (input != nullptr && me->m_relay) me->m_relay->Push(static_cast<const std::int16_t*>(input), frames);
    return paContinue;
}

}  // namespace morvane
