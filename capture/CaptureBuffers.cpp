#include "capture/CaptureBuffers.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "capture/BlockHandling.h"
#include "dsp/FskDemodulator.h"
#include "dsp/VectorState.h"

namespace morvane {

CaptureBuffers::CaptureBuffers(std::int32_t newestSize)
    : m_pending(kPendingCapacity / 2), m_work(kPendingCapacity / 2), m_newestSize(newestSize) {
    if (newestSize < 2) throw std::invalid_argument("newest block size must be at least 2 bytes");
    // Rounded up so that an odd size still has room for all its bytes.
    m_newest.assign((static_cast<std::size_t>(newestSize) + 1) / 2, 0);
}

bool CaptureBuffers::HandleBlock(std::int16_t* data, std::int32_t byteCount) {
    // The fill test is strict: a block that would fill the pending buffer to
    // exactly its capacity is dropped too, recording or not.
    if (byteCount <= 0 || data == nullptr || static_cast<std::int64_t>(m_fill) + byteCount >= kPendingCapacity)
        return false;
    const std::int32_t gain = NormalizePeak(data, byteCount);
    std::memcpy(m_newest.data(), data, static_cast<std::size_t>(std::min(byteCount, m_newestSize)));
    if (m_recording) {
        std::memcpy(reinterpret_cast<unsigned char*>(m_pending.data()) + m_fill, data,
                    static_cast<std::size_t>(byteCount));
        m_fill += byteCount;
        m_gains.push_back({m_pendingStart + m_fill / 2, gain});
    }
    return true;
}

std::int32_t CaptureBuffers::DemodulatePending(const DemodSettings& settings, const CaptureFormat& format,
                                               std::vector<std::int32_t>& levels, DemodOutputs outputs) {
    // Runs on the window thread after the toolkit's code: no mixed-encoding penalty.
    ClearUpperVectorState();
    const std::int32_t n = m_fill;
    if (outputs.samples != nullptr) HandOut(n, *outputs.samples);
    std::memcpy(m_work.data(), m_pending.data(), static_cast<std::size_t>(n));
    const std::size_t before = levels.size();
    // The correlations of every call share the phase reference of the first
    // sample demodulated by these buffers.
    const std::int32_t consumed =
        outputs.soft != nullptr
            ? DemodulateInStream(settings, format, m_work.data(), n, levels, *outputs.soft, m_pendingStart)
            : Demodulate(settings, format, m_work.data(), n, levels);
    if (outputs.timeline != nullptr)
        outputs.timeline->Record(m_pendingStart, static_cast<std::int64_t>(before),
                                 static_cast<std::int32_t>(levels.size() - before), consumed);
    m_pendingStart += consumed / 2;
    if (consumed > 0) {
        auto* bytes = reinterpret_cast<unsigned char*>(m_pending.data());
        std::memmove(bytes, bytes + consumed, static_cast<std::size_t>(n - consumed));
        m_fill = n - consumed;
    }
    // The gains of consumed samples are no longer needed.
    const auto kept = std::find_if(m_gains.begin(), m_gains.end(),
                                   [this](const BlockGain& g) { return g.end > m_pendingStart; });
    m_gains.erase(m_gains.begin(), kept);
    return consumed;
}

void CaptureBuffers::HandOut(std::int32_t fillBytes, std::vector<std::int16_t>& out) {
    const std::int64_t end = m_pendingStart + fillBytes / 2;
    std::int64_t at = std::max(m_handedOut, m_pendingStart);
    for (const BlockGain& g : m_gains) {
        const std::int64_t stop = std::min(end, g.end);
        if (stop <= at) continue;
        const std::int16_t* from = m_pending.data() + (at - m_pendingStart);
        const std::size_t count = static_cast<std::size_t>(stop - at);
        const std::size_t first = out.size();
        out.resize(first + count);
        // Every sample is a whole multiple of the gain: times the reciprocal
        // it lies within 1e-11 of the original, which rounding restores.
        const double inverse = 1.0 / g.gain;
        for (std::size_t i = 0; i < count; ++i) {
            const double x = from[i] * inverse;
            out[first + i] = static_cast<std::int16_t>(x + (x < 0.0 ? -0.5 : 0.5));
        }
        at = stop;
    }
    m_handedOut = std::max(m_handedOut, end);
}

}  // namespace morvane
