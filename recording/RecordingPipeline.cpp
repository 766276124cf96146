#include "recording/RecordingPipeline.h"

#include <algorithm>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"

namespace morvane {

namespace {
constexpr std::size_t kBlockSamples = kDeviceBlockBytes / 2;
}

std::vector<std::int32_t> RecordingLevels(RecordingReader& reader, const DemodSettings& settings) {
    return RecordingLevels(reader, settings, {});
}

std::vector<std::int32_t> RecordingLevels(RecordingReader& reader, const DemodSettings& settings,
                                          const std::function<void(const std::vector<std::int32_t>&)>& afterBlock) {
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int16_t> block(kBlockSamples);
    std::vector<std::int32_t> levels;
    for (;;) {
        const std::size_t n = reader.Read(block.data(), block.size());
        if (n == 0) break;
        // Demodulating after every block keeps fewer than three windows
        // pending, so a block is never refused for want of room.
        buffers.HandleBlock(block.data(), static_cast<std::int32_t>(n * 2));
        buffers.DemodulatePending(settings, kCaptureFormat, levels);
        if (afterBlock) afterBlock(levels);
        if (n < block.size()) break;
    }
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
