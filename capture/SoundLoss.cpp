#include "capture/SoundLoss.h"
#include "dsp/SampleFormat.h"

#include <cstdio>

namespace morvane {

std::string SoundLossText(const SoundLoss& loss, std::int64_t blockSamples) {
    if (!loss.Any()) return {};
    const double seconds = static_cast<double>(loss.droppedBlocks) * static_cast<double>(blockSamples) / kSampleRate;
    char text[160];
    std::snprintf(text, sizeof text, "%llu %s dropped (%.1f s of sound lost)",
                  static_cast<unsigned long long>(loss.droppedBlocks), loss.droppedBlocks == 1 ? "block" : "blocks",
                  seconds);
    std::string result = text;
    if (loss.overflows > 0) {
        std::snprintf(text, sizeof text, "; the sound card overran %llu %s",
                      static_cast<unsigned long long>(loss.overflows), loss.overflows == 1 ? "time" : "times");
        result += text;
    }
    return result;
}

}  // namespace morvane
