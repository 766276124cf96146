#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "capture/SoundDevice.h"
#include "capture/SoundLoss.h"
#include "capture/SoundSystem.h"

namespace morvane {

/// The sound capture device: an open sound input whose completed blocks are
/// peak-normalised, kept as the newest block and, while recording, appended
/// to the pending buffer, each announced to the window through `notify`.
///
/// Threads: Open, Close and the other operations run on the window thread;
/// the block callback OnWaveInBlock runs on the device's own thread. The
/// capture lock, private to this object, guards the buffers and the
/// recording flag: every operation below that touches them takes it for its
/// own duration, never inside another lock and never while drawing.
class CSoundCapture {
public:
    /// Posts the Process command to the window. Must never block or wait.
    using Notify = std::function<void()>;

    CSoundCapture() = default;
    ~CSoundCapture();
    CSoundCapture(const CSoundCapture&) = delete;
    CSoundCapture& operator=(const CSoundCapture&) = delete;

    /// Opens input `deviceId` of `system` (or SoundSystem::kDefaultInput) with
    /// the format, allocates the buffers and starts capture. Clears the closed
    /// state first, even on failure. Returns true when the device runs; on
    /// failure nothing stays allocated and LastError() tells why. A device
    /// still open is closed first.
    bool Open(const CaptureFormat& format, SoundSystem& system, int deviceId, Notify notify);

    /// Stops the device (no block callback runs afterwards and late blocks are
    /// ignored) and frees the buffers. Does nothing when already closed. The
    /// recording flag and the closed-state rules are kept as they were.
    void Close();

    /// The block callback: normalises and stores one completed block and posts
    /// Process. Returns at once, without the lock, while stopping. Returns
    /// true when the block was taken and announced.
    bool OnWaveInBlock(std::int16_t* data, std::int32_t byteCount);

    /// True when a device is open and running (Process has work to do).
    bool IsOpen() const { return m_device != nullptr; }
    /// True initially and after Close; a failed Open leaves it false.
    bool Closed() const { return m_closed; }
    /// Reason the last Open failed (empty after a successful one).
    const std::string& LastError() const { return m_lastError; }

    /// A copy of the newest block and the recording flag, taken together.
    struct Newest {
        std::vector<std::int16_t> samples;  // (size + 1) / 2 samples, zero before any block
        std::int32_t byteCount = 0;         // the device buffer size
        bool recording = false;
    };
    /// The newest block while open; nothing when closed.
    std::optional<Newest> CopyNewest() const;

    /// Demodulates every pending sample onto `levels`, with the outputs asked
    /// for (see CaptureBuffers::DemodulatePending). Returns the bytes
    /// consumed; 0 when closed.
    std::int32_t DemodulatePending(const DemodSettings& settings, std::vector<std::int32_t>& levels,
                                   DemodOutputs outputs = {});

    /// Bytes waiting in the pending buffer; 0 when closed.
    std::int32_t PendingFill() const;
    /// Sample position up to which the samples were handed out (see
    /// CaptureBuffers::SamplesHandedOut); counted from the device's opening, 0 when closed.
    std::int64_t SamplesHandedOut() const;

    /// The recording flag (kept while closed and carried into the next Open).
    bool Recording() const;
    /// Sets the recording flag; returns the value it had.
    bool SetRecording(bool on);

    /// Device buffer size in bytes (65 536 for the capture format).
    std::int32_t BufferSize() const { return m_bufferSize; }
    const CaptureFormat& Format() const { return m_format; }

    /// Forwards "a Process command was handled" to the device (see SoundDevice).
    void BlockHandled();

    /// Sound lost since Open: blocks the device dropped, blocks refused for a
    /// full pending buffer, the card's overflows. Window thread.
    SoundLoss Loss() const;

private:
    mutable std::mutex m_lock;  // the capture lock
    bool m_closed = true;
    bool m_recording = false;
    std::atomic<bool> m_stopping{false};
    std::unique_ptr<SoundDevice> m_device;
    std::unique_ptr<CaptureBuffers> m_buffers;
    std::int32_t m_bufferSize = 0;
    std::int32_t m_blockAlign = 0;
    CaptureFormat m_format{};
    Notify m_notify;
    std::string m_lastError;
    std::atomic<std::uint64_t> m_refused{0};  // blocks dropped for a full pending buffer
};

}  // namespace morvane
