#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "dsp/DemodSettings.h"
#include "dsp/FskDemodulator.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane::test {

/// The whole stream after a block, as the window holds it.
using BlockHandler = std::function<void(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                        const std::vector<SoftWindow>& soft)>;

/// The sound through the capture path block by block, as the window runs it:
/// after every 65 536-byte block the pending samples are demodulated (about
/// 408 levels at 1500 / 2000 Hz) and `onBlock` gets the stream so far; then
/// `atEnd` gets the whole stream once more.
inline void CaptureBlocks(const std::vector<std::int16_t>& samples, const BlockHandler& onBlock,
                          const BlockHandler& atEnd) {
    DemodSettings demod;
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> windows;
    LevelTimeline timeline(DemodWindow(demod, kCaptureFormat));
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    std::vector<std::int16_t> block;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        block.assign(samples.begin() + static_cast<std::ptrdiff_t>(at),
                     samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), at + kBlock)));
        buffers.HandleBlock(block.data(), static_cast<std::int32_t>(block.size() * 2));
        buffers.DemodulatePending(demod, kCaptureFormat, levels, {.soft = &windows, .timeline = &timeline});
        if (onBlock) onBlock(levels, timeline, windows);
    }
    if (atEnd) atEnd(levels, timeline, windows);
}

}  // namespace morvane::test
