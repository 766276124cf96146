#include "cli/FollowSource.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "align/ToneFinder.h"
#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "dsp/FskDemodulator.h"
#include "recording/RecordingReader.h"
#include "text/TextNumbers.h"
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


// The tones of the first seconds of sound: taken from 1 s on when they
// stand out clearly, from 3 s on whatever was found, at most 10 s searched.
// Live sound is searched until a transmission comes: every 10 s without
// tones the search starts afresh on the newest sound.
class EarlyTones {
public:
    explicit EarlyTones(bool untilFound = false) : m_untilFound(untilFound) {}

    /// Adds samples; true once the search is over (see Apply).
    bool Add(const std::int16_t* samples, std::size_t count) {
        m_finder.Add(samples, count);
        m_samples += static_cast<std::int64_t>(count);
        if (m_samples < kEarliestSearch * kRate) return false;
        m_tones = m_finder.Find();
        if (m_tones.found && (m_tones.contrast >= kClearTones || m_samples >= kToneSeconds * kRate)) return true;
        if (m_samples < kLongestSearch * kRate) return false;
        if (!m_untilFound) return true;
        m_finder = ToneFinder();
        m_samples = 0;
        return false;
    }
    /// The sound has ended before the search was over.
    void End() { m_tones = m_finder.Find(); }
    /// Sets the tones searched for in `demod` and says so on standard error;
    /// throws CliError (status 3) when none were found.
    void Apply(ToneSearch search, DemodSettings& demod) const {
        if (!m_tones.found)
            throw CliError(kNothingFound, "cannot find the tones in the first " + std::to_string(kLongestSearch) +
                                              " s: " + m_tones.reason + "; give --low and --high");
        if (search.low) demod.tone1Hz = static_cast<float>(m_tones.lowHz);
        if (search.high) demod.tone2Hz = static_cast<float>(m_tones.highHz);
        std::fprintf(stderr, "morvane-cli: tones: low %s Hz (tone 1), high %s Hz (tone 2), found in the first %.1f s\n",
                     ShortDecimal(demod.tone1Hz, 1).c_str(), ShortDecimal(demod.tone2Hz, 1).c_str(), static_cast<double>(m_samples) / kRate);
    }

private:
    bool m_untilFound;
    ToneFinder m_finder;
    ToneEstimate m_tones;
    std::int64_t m_samples = 0;
};

}  // namespace

void FollowStream(const LevelSourceOptions& options, DemodSettings& demod, ToneSearch search, bool soft,
                  const StreamHandler& onStream) {
    FollowStreamEnd(
        options, demod, search, soft,
        [&](const std::vector<std::int32_t>& levels, std::int64_t, const LevelTimeline& timeline,
            const std::vector<SoftWindow>& windows, bool ended) { onStream(levels, timeline, windows, ended); },
        [] { return std::int64_t{0}; });
}

void FollowStreamEnd(const LevelSourceOptions& options, DemodSettings& demod, ToneSearch search, bool soft,
                     const StreamEndHandler& onStream, const StreamReach& reach) {
#ifdef MORVANE_HAVE_LIVE
    CheckLiveWords(options);
    if (options.live) {
        // The tones of live sound are searched on the first seconds, and
        // capture starts with them from the block after.
        EarlyTones early(true);
        bool tonesKnown = false;
        LiveRunOptions::ToneSearch findTones;
        if (search.Any())
            findTones = [&](const std::vector<std::int16_t>& block, DemodSettings& tones) {
                if (!early.Add(block.data(), block.size())) return false;
                early.Apply(search, tones);
                demod = tones;
                return tonesKnown = true;
            };
        std::vector<SoftWindow> windows;
        LevelTimeline timeline;
        const std::vector<std::int32_t> levels =
            LiveLevels(options, demod, {}, {.soft = soft ? &windows : nullptr, .timeline = &timeline},
                       [&](const std::vector<std::int32_t>& l, const LevelTimeline& t, const std::vector<SoftWindow>& w) {
                           onStream(l, 0, t, w, false);
                       },
                       findTones);
        if (search.Any() && !tonesKnown) {  // the capture ended while the search went on
            early.End();
            early.Apply(search, demod);
        }
        onStream(levels, 0, timeline, windows, true);
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
        EarlyTones early;
        for (;;) {
            std::vector<std::int16_t> block;
            if (!readBlock(block)) {
                early.End();
                break;
            }
            const bool over = early.Add(block.data(), block.size());
            held.push_back(std::move(block));
            if (over) break;
        }
        early.Apply(search, demod);
    }

    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int32_t> levels;  // the stream from level `base` on
    std::vector<SoftWindow> windows;
    std::int64_t base = 0;
    const std::int32_t window = DemodWindow(demod, kCaptureFormat);
    LevelTimeline timeline(window > 0 ? window : 1);
    // Each block is demodulated on its own and its call added to the
    // timeline of the whole stream, so that the stream's front can go.
    std::vector<std::int32_t> fresh;
    std::vector<SoftWindow> freshWindows;
    const auto play = [&](std::vector<std::int16_t>& block) {
        buffers.HandleBlock(block.data(), static_cast<std::int32_t>(block.size() * 2));
        fresh.clear();
        freshWindows.clear();
        LevelTimeline call(timeline.Window());
        buffers.DemodulatePending(demod, kCaptureFormat, fresh, {soft ? &freshWindows : nullptr, &call});
        for (DemodCall c : call.Calls()) {
            c.firstLevel += timeline.LevelCount();
            timeline.Append(c);
        }
        levels.insert(levels.end(), fresh.begin(), fresh.end());
        windows.insert(windows.end(), freshWindows.begin(), freshWindows.end());
        onStream(levels, base, timeline, windows, false);
        const std::int64_t keep = std::clamp<std::int64_t>(reach(), base, base + static_cast<std::int64_t>(levels.size()));
        if (keep > base) {
            levels.erase(levels.begin(), levels.begin() + (keep - base));
            if (soft) windows.erase(windows.begin(), windows.begin() + (keep - base));
            base = keep;
        }
    };
    for (std::vector<std::int16_t>& block : held) play(block);
    held.clear();
    for (std::vector<std::int16_t> block; readBlock(block);) play(block);
    ReportWarning(reader);
    onStream(levels, base, timeline, windows, true);
}

}  // namespace morvane::cli
