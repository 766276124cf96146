#include "cli/FollowSource.h"

#include <cstdio>
#include <string>

#include "align/ToneFinder.h"
#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "dsp/FskDemodulator.h"
#include "recording/RecordingReader.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif

namespace morvane::cli {

namespace {

constexpr std::size_t kBlockSamples = kDeviceBlockBytes / 2;
constexpr std::int64_t kRate = 48000;
constexpr std::int64_t kEarliestSearch = 1;  // seconds of sound before tones that stand out are taken
constexpr std::int64_t kToneSeconds = 3;     // ... before any tones found are taken
constexpr std::int64_t kLongestSearch = 10;  // ... and the most searched
constexpr double kClearTones = 100.0;        // the weaker tone this far above the band's median stands out

std::string Hz(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string s = text;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    return s;
}

}  // namespace

void FollowStream(const LevelSourceOptions& options, DemodSettings& demod, ToneSearch search, bool soft,
                  const StreamHandler& onStream) {
#ifdef MORVANE_HAVE_LIVE
    CheckLiveWords(options);
    if (options.live) {
        if (search.Any())
            throw CLI::ValidationError("--low/--high", "the tones cannot be searched in live sound yet; give --low "
                                                       "and --high");
        std::vector<SoftWindow> windows;
        LevelTimeline timeline;
        const std::vector<std::int32_t> levels =
            LiveLevels(options, demod, {}, {.soft = soft ? &windows : nullptr, .timeline = &timeline},
                       [&](const std::vector<std::int32_t>& l, const LevelTimeline& t, const std::vector<SoftWindow>& w) {
                           onStream(l, t, w, false);
                       });
        onStream(levels, timeline, windows, true);
        return;
    }
#endif
    if (options.recording.empty()) throw CLI::ValidationError("REC", "a recording (or - for standard input) is required");
    RecordingReader reader(options.recording, options.channel);

    // Blocks as the device would give them; with a tone search the first
    // ones are held back until the tones are known.
    std::vector<std::vector<std::int16_t>> held;
    bool ended = false;
    const auto readBlock = [&](std::vector<std::int16_t>& block) {
        block.resize(kBlockSamples);
        const std::size_t n = ended ? 0 : reader.Read(block.data(), block.size());
        block.resize(n);
        if (n < kBlockSamples) ended = true;
        return n > 0;
    };
    if (search.Any()) {
        ToneFinder finder;
        std::int64_t samples = 0;
        ToneEstimate tones;
        for (;;) {
            std::vector<std::int16_t> block;
            if (!readBlock(block)) {
                tones = finder.Find();
                break;
            }
            finder.Add(block.data(), block.size());
            samples += static_cast<std::int64_t>(block.size());
            held.push_back(std::move(block));
            if (samples < kEarliestSearch * kRate) continue;
            tones = finder.Find();
            if (tones.found && (tones.contrast >= kClearTones || samples >= kToneSeconds * kRate)) break;
            if (samples >= kLongestSearch * kRate) break;
        }
        if (!tones.found)
            throw CliError(kNothingFound, "cannot find the tones in the first " + std::to_string(kLongestSearch) +
                                              " s: " + tones.reason + "; give --low and --high");
        if (search.low) demod.tone1Hz = static_cast<float>(tones.lowHz);
        if (search.high) demod.tone2Hz = static_cast<float>(tones.highHz);
        std::fprintf(stderr, "morvane-cli: tones: low %s Hz (tone 1), high %s Hz (tone 2), found in the first %.1f s\n",
                     Hz(demod.tone1Hz).c_str(), Hz(demod.tone2Hz).c_str(), static_cast<double>(samples) / kRate);
    }

    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> windows;
    const std::int32_t window = DemodWindow(demod, kCaptureFormat);
    LevelTimeline timeline(window > 0 ? window : 1);
    const auto play = [&](std::vector<std::int16_t>& block) {
        buffers.HandleBlock(block.data(), static_cast<std::int32_t>(block.size() * 2));
        buffers.DemodulatePending(demod, kCaptureFormat, levels, {soft ? &windows : nullptr, &timeline});
        onStream(levels, timeline, windows, false);
    };
    for (std::vector<std::int16_t>& block : held) play(block);
    held.clear();
    for (std::vector<std::int16_t> block; readBlock(block);) play(block);
    ReportWarning(reader);
    onStream(levels, timeline, windows, true);
}

}  // namespace morvane::cli
