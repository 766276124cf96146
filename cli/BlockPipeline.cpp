#include "cli/BlockPipeline.h"

#include "capture/CaptureFormat.h"
#include "dsp/FskDemodulator.h"

namespace morvane::cli {

BlockPipeline::BlockPipeline(const DemodSettings& demod, bool keep, bool soft)
    : m_keep(keep || soft), m_soft(soft) {
    m_buffers.SetRecording(true);
    const std::int32_t window = DemodWindow(demod, kCaptureFormat);
    m_stream.timeline = LevelTimeline(window > 0 ? window : 1);
    m_stream.tones = demod;
}

std::span<const std::int32_t> BlockPipeline::Play(std::int16_t* samples, std::size_t count) {
    // Demodulating after every block keeps fewer than three windows pending,
    // so a block is never refused for want of room.
    m_buffers.HandleBlock(samples, static_cast<std::int32_t>(count * 2));
    std::vector<std::int32_t>& levels = m_stream.levels;
    if (!m_keep) levels.clear();
    const std::size_t before = levels.size();
    if (m_keep)
        m_buffers.DemodulatePending(m_stream.tones, kCaptureFormat, levels,
                                    {m_soft ? &m_stream.soft : nullptr, &m_stream.timeline});
    else
        m_buffers.DemodulatePending(m_stream.tones, kCaptureFormat, levels);
    return {levels.data() + before, levels.size() - before};
}

}  // namespace morvane::cli
