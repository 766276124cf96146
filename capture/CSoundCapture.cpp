#include "capture/CSoundCapture.h"

#include <exception>
#include <utility>

#include "capture/BlockHandling.h"

namespace morvane {

CSoundCapture::~CSoundCapture() { Close(); }

bool CSoundCapture::Open(const CaptureFormat& format, SoundSystem& system, int deviceId, Notify notify) {
    if (m_device) {
        // Opening over a running device would leave it delivering into freed
        // buffers: the old one is closed first.
        Close();
    }
    m_closed = false;
    m_format = format;
    m_notify = std::move(notify);
    m_lastError.clear();
    m_refused = 0;

    m_blockAlign = (format.bitsPerSample / 8) * format.channels;
    // The multiplier is the fixed rate 48 000, not the format's.
    m_bufferSize = FloorPowerOfTwo(m_blockAlign * kSampleRate);

    std::unique_ptr<SoundDevice> device;
    try {
        device = system.OpenInput(deviceId, format);
        if (!device) throw std::runtime_error("no such device");
    } catch (const std::exception& e) {
        m_lastError = e.what();
        return false;
    }

    {
        std::lock_guard lock(m_lock);
        m_buffers = std::make_unique<CaptureBuffers>(m_bufferSize);
        m_buffers->SetRecording(m_recording);
        m_stopping = false;
    }
    try {
        device->Start(m_bufferSize, [this](std::int16_t* data, std::int32_t n) { return OnWaveInBlock(data, n); });
    } catch (const std::exception& e) {
        m_lastError = e.what();
        device->Stop();
        std::lock_guard lock(m_lock);
        m_buffers.reset();
        return false;
    }
    m_device = std::move(device);
    return true;
}

bool CSoundCapture::OnWaveInBlock(std::int16_t* data, std::int32_t byteCount) {
    // Tested before the lock, so the last blocks during Close never wait for it.
    if (m_stopping) return false;
    {
        std::lock_guard lock(m_lock);
        // Close may have begun while this block waited for the lock.
        if (m_stopping || !m_buffers) return false;
        if (!m_buffers->HandleBlock(data, byteCount)) {  // dropped: not announced, but counted
            if (byteCount > 0 && data != nullptr) ++m_refused;
            return false;
        }
    }
    // Posted after the lock is released: the window's queue has its own lock.
    if (m_notify) m_notify();
    return true;
}

void CSoundCapture::Close() {
    if (m_closed) return;
    if (!m_device) {
        m_closed = true;
        return;
    }
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    // Stopping waits for a block callback in progress; that callback may need
    // the lock, so the lock is not held here. Afterwards no callback runs.
    m_device->Stop();
    std::unique_ptr<CaptureBuffers> buffers;
    {
        std::lock_guard lock(m_lock);
        buffers = std::move(m_buffers);
    }
    m_device.reset();
    m_closed = true;
}

std::optional<CSoundCapture::Newest> CSoundCapture::CopyNewest() const {
    std::lock_guard lock(m_lock);
    if (!m_buffers) return std::nullopt;
    return Newest{m_buffers->Newest(), m_buffers->NewestSize(), m_recording};
}

std::int32_t CSoundCapture::DemodulatePending(const DemodSettings& settings, std::vector<std::int32_t>& levels,
                                              DemodOutputs outputs) {
    std::lock_guard lock(m_lock);
    return m_buffers ? m_buffers->DemodulatePending(settings, m_format, levels, outputs) : 0;
}

std::int32_t CSoundCapture::PendingFill() const {
    std::lock_guard lock(m_lock);
    return m_buffers ? m_buffers->Fill() : 0;
}

std::int64_t CSoundCapture::SamplesHandedOut() const {
    std::lock_guard lock(m_lock);
    return m_buffers ? m_buffers->SamplesHandedOut() : 0;
}

bool CSoundCapture::Recording() const {
    std::lock_guard lock(m_lock);
    return m_recording;
}

bool CSoundCapture::SetRecording(bool on) {
    std::lock_guard lock(m_lock);
    const bool was = m_recording;
    m_recording = on;
    if (m_buffers) m_buffers->SetRecording(on);
    return was;
}

void CSoundCapture::BlockHandled() {
    if (m_device) m_device->BlockHandled();
}

SoundLoss CSoundCapture::Loss() const {
    SoundLoss loss;
    loss.droppedBlocks = m_refused;
    if (m_device) {
        loss.droppedBlocks += m_device->DroppedBlocks();
        loss.overflows = m_device->Overflows();
    }
    return loss;
}

}  // namespace morvane
