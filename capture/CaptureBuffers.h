#pragma once
#include <cstdint>
#include <vector>

#include "capture/CaptureFormat.h"
#include "dsp/DemodSettings.h"
#include "dsp/DemodOutputs.h"

namespace morvane {

/// The buffers the sound device fills and the processing loop drains: the
/// newest block (for the spectrum), the pending buffer (for the demodulator)
/// and the work buffer (the demodulator's private copy). Not thread-safe on
/// its own: the live device and the processing loop call it under the
/// capture lock; a recording read from a file calls it from one thread.
class CaptureBuffers {
public:
    /// newestSize: bytes kept of the newest block (the device buffer size, ≥ 2).
    explicit CaptureBuffers(std::int32_t newestSize = kDeviceBlockBytes);

    /// One completed device block of byteCount bytes. Unless it would fill the
    /// pending buffer to its capacity or beyond (dropped: not scaled, not copied),
    /// it is peak-normalised in place, copied as the newest block and, while
    /// recording, appended to the pending buffer. Returns true when it was
    /// taken, i.e. when the processing loop should be told.
    bool HandleBlock(std::int16_t* data, std::int32_t byteCount);

    /// Copies the pending bytes to the work buffer, demodulates them into
    /// `levels` and drops the consumed bytes from the front. Returns the
    /// number of bytes consumed. With `outputs.soft`, the windows' tone
    /// correlations go there, one per level; with `outputs.timeline`, the call
    /// is recorded in it (which level it appended first, how many samples it
    /// dropped in front), so that every level's sample position stays known.
    /// With `outputs.samples`, the pending samples not handed out before are
    /// appended there as the device delivered them (each divided by its
    /// block's normalisation gain again, which restores it exactly), the
    /// first of them at sample SamplesHandedOut() - count.
    std::int32_t DemodulatePending(const DemodSettings& settings, const CaptureFormat& format,
                                   std::vector<std::int32_t>& levels, DemodOutputs outputs = {});

    /// Sample position of the first pending sample, counted over every sample
    /// that entered the pending buffer since construction.
    std::int64_t PendingStart() const { return m_pendingStart; }
    /// Sample position (as PendingStart) up to which DemodulatePending has
    /// handed out the samples; samples consumed while nobody asked are skipped.
    std::int64_t SamplesHandedOut() const { return m_handedOut; }

    /// The newest block as samples ((newestSize + 1) / 2 of them; zero before any block).
    const std::vector<std::int16_t>& Newest() const { return m_newest; }
    std::int32_t NewestSize() const { return m_newestSize; }

    bool Recording() const { return m_recording; }
    void SetRecording(bool on) { m_recording = on; }

    /// Bytes waiting in the pending buffer, counted from its first byte.
    std::int32_t Fill() const { return m_fill; }

    /// The pending bytes, Fill() of them, oldest first.
    const std::uint8_t* PendingBytes() const { return reinterpret_cast<const std::uint8_t*>(m_pending.data()); }

private:
    void HandOut(std::int32_t fillBytes, std::vector<std::int16_t>& out);

    /// The normalisation gain of the pending samples before sample `end`
    /// (and after the previous entry's end).
    struct BlockGain {
        std::int64_t end;
        std::int32_t gain;
    };

    std::vector<std::int16_t> m_pending;
    std::vector<std::int16_t> m_work;
    std::vector<std::int16_t> m_newest;
    std::int32_t m_newestSize;
    std::int32_t m_fill = 0;
    std::int64_t m_pendingStart = 0;  // samples consumed by the demodulator so far
    std::int64_t m_handedOut = 0;     // samples handed out as they came (see DemodulatePending)
    std::vector<BlockGain> m_gains;   // of the blocks in the pending buffer, oldest first
    bool m_recording = false;
};

}  // namespace morvane
