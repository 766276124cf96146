#include "recording/RecordingPipeline.h"

#include <algorithm>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "dsp/FskDemodulator.h"

namespace morvane {

namespace {

constexpr std::size_t kBlockSamples = kDeviceBlockBytes / 2;

// Feeds the recording into capture buffers (capture on from the first sample)
// one device block at a time and calls `demodulate` after each block.
template <typename Demodulate>
void PlayBlocks(RecordingReader& reader, Demodulate demodulate) {
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int16_t> block(kBlockSamples);
    for (;;) {
        const std::size_t n = reader.Read(block.data(), block.size());
        if (n == 0) break;
        // Demodulating after every block keeps fewer than three windows
        // pending, so a block is never refused for want of room.
        buffers.HandleBlock(block.data(), static_cast<std::int32_t>(n * 2));
        demodulate(buffers);
        if (n < block.size()) break;
    }
}

}  // namespace

void StreamRecordingLevels(RecordingReader& reader, const DemodSettings& settings,
                           const std::function<void(const std::vector<std::int32_t>& newLevels)>& onLevels) {
    std::vector<std::int32_t> levels;
    PlayBlocks(reader, [&](CaptureBuffers& buffers) {
        levels.clear();
        buffers.DemodulatePending(settings, kCaptureFormat, levels);
        onLevels(levels);
    });
}

std::vector<std::int32_t> RecordingLevels(RecordingReader& reader, const DemodSettings& settings,
                                          DemodOutputs outputs) {
    if (outputs.timeline != nullptr) {
        const std::int32_t window = DemodWindow(settings, kCaptureFormat);
        *outputs.timeline = LevelTimeline(window > 0 ? window : 1);
    }
    std::vector<std::int32_t> levels;
    PlayBlocks(reader, [&](CaptureBuffers& buffers) {
        buffers.DemodulatePending(settings, kCaptureFormat, levels, outputs);
    });
    return levels;
}

std::optional<std::vector<std::int16_t>> RecordingBlock(RecordingReader& reader, std::int64_t block,
                                                        std::int64_t* blocksSeen) {
    CaptureBuffers buffers;
    std::vector<std::int16_t> samples(kBlockSamples);
    std::int64_t seen = 0;
    for (;;) {
        const std::size_t n = reader.Read(samples.data(), samples.size());
        if (n == 0) break;
        std::fill(samples.begin() + static_cast<std::ptrdiff_t>(n), samples.end(), std::int16_t{0});
        buffers.HandleBlock(samples.data(), kDeviceBlockBytes);
        if (seen++ == block) {
            if (blocksSeen) *blocksSeen = seen;
            return buffers.Newest();
        }
        if (n < samples.size()) break;
    }
    if (blocksSeen) *blocksSeen = seen;
    return std::nullopt;
}

}  // namespace morvane
