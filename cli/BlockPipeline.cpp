#include "cli/BlockPipeline.h"

#include <algorithm>

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
    if (m_keep && m_base > 0) {
        // The front is gone: the block is demodulated on its own and its
        // call moved to its place in the whole stream's timeline.
        m_fresh.clear();
        m_freshSoft.clear();
        LevelTimeline call(m_stream.timeline.Window());
        m_buffers.DemodulatePending(m_stream.tones, kCaptureFormat, m_fresh, {m_soft ? &m_freshSoft : nullptr, &call});
        for (DemodCall c : call.Calls()) {
            c.firstLevel += m_stream.timeline.LevelCount();
            m_stream.timeline.Append(c);
        }
        levels.insert(levels.end(), m_fresh.begin(), m_fresh.end());
        m_stream.soft.insert(m_stream.soft.end(), m_freshSoft.begin(), m_freshSoft.end());
    } else if (m_keep)
        m_buffers.DemodulatePending(m_stream.tones, kCaptureFormat, levels,
                                    {m_soft ? &m_stream.soft : nullptr, &m_stream.timeline});
    else
        m_buffers.DemodulatePending(m_stream.tones, kCaptureFormat, levels);
    return {levels.data() + before, levels.size() - before};
}

void BlockPipeline::DropBefore(std::int64_t level) {
    std::vector<std::int32_t>& levels = m_stream.levels;
    const std::int64_t drop = std::clamp<std::int64_t>(level - m_base, 0, static_cast<std::int64_t>(levels.size()));
    if (drop == 0 || !m_keep) return;
    levels.erase(levels.begin(), levels.begin() + drop);
    if (m_soft) m_stream.soft.erase(m_stream.soft.begin(), m_stream.soft.begin() + drop);
    m_base += drop;
}

}  // namespace morvane::cli
