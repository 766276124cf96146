#include "capture/PortAudioInput.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace morvane {

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
    params.suggestedLatency = info->defaultHighInputLatency;
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
    m_handler = std::move(handler);
    m_blockSamples = static_cast<std::size_t>(blockBytes) / 2;
    m_gather.assign(m_blockSamples, 0);
    for (auto& slot : m_slots) slot.assign(m_blockSamples, 0);
    m_quit = false;
    m_delivery = std::thread(&PortAudioInput::Deliver, this);
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
    // Returns once PortAudio's callback has finished for good.
    if (Pa_IsStreamStopped(static_cast<PaStream*>(m_stream)) == 0) Pa_AbortStream(static_cast<PaStream*>(m_stream));
    m_quit = true;
    m_ready.release();
    m_delivery.join();
}

int PortAudioInput::OnAudio(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                            unsigned long, void* self) {
    if (input != nullptr) static_cast<PortAudioInput*>(self)->Gather(static_cast<const std::int16_t*>(input), frames);
    return paContinue;
}

void PortAudioInput::Gather(const std::int16_t* samples, std::size_t count) {
    while (count > 0) {
        const std::size_t take = std::min(count, m_blockSamples - m_gathered);
        std::memcpy(m_gather.data() + m_gathered, samples, take * sizeof(std::int16_t));
        m_gathered += take;
        samples += take;
        count -= take;
        if (m_gathered < m_blockSamples) break;
        m_gathered = 0;
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail - m_head.load(std::memory_order_acquire) >= kSlots) {
            ++m_dropped;  // the delivery thread is behind: never wait here
            continue;
        }
        std::copy(m_gather.begin(), m_gather.end(), m_slots[tail % kSlots].begin());
        m_tail.store(tail + 1, std::memory_order_release);
        m_ready.release();
    }
}

void PortAudioInput::Deliver() {
    for (;;) {
        m_ready.acquire();
        if (m_quit) return;
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire)) continue;
        auto& slot = m_slots[head % kSlots];
        m_handler(slot.data(), static_cast<std::int32_t>(m_blockSamples * 2));
        m_head.store(head + 1, std::memory_order_release);
    }
}

}  // namespace morvane
