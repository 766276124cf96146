// The live text's work after every 0.68 s block (about 408 new levels) with
// an hour of stream behind it: while a transmission is followed, and while
// the reader hunts through noise. The stream is a minute of capture (a
// 50-baud transmission, or noise) repeated for an hour with its timeline
// and tone correlations, as the window keeps them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "capture/CaptureFormat.h"
#include "dsp/FskDemodulator.h"
#include "livetext/LiveTextReader.h"
#include "synth/RttySynth.h"

namespace {

using namespace morvane;

constexpr int kMinutes = 60;

struct Stream {
    std::vector<std::int32_t> levels;
    LevelTimeline timeline{80};
    std::vector<SoftWindow> soft;
};

// A minute of sound through the capture path, then repeated for an hour:
// every repetition's demodulator calls recorded a minute of samples later.
Stream HourOf(bool text) {
    std::vector<std::int16_t> samples;
    if (text) {
        std::string words;
        while (words.size() < 440) words += "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ";
        RttySynthSettings s;
        s.snrDb = 10.0;
        samples = SynthesizeRtty(words, s);
    } else {
        std::mt19937 random(11);
        std::normal_distribution<double> gauss(0.0, 3000.0);
        samples.resize(48000 * 60);
        for (std::int16_t& v : samples) v = static_cast<std::int16_t>(std::clamp(gauss(random), -32768.0, 32767.0));
    }
    samples.resize(48000 * 60);
    Stream minute;
    const DemodSettings demod;
    minute.timeline = LevelTimeline(DemodWindow(demod, kCaptureFormat));
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    for (std::size_t at = 0; at + kBlock <= samples.size(); at += kBlock) {
        buffers.HandleBlock(samples.data() + at, kDeviceBlockBytes);
        buffers.DemodulatePending(demod, kCaptureFormat, minute.levels, {&minute.soft, &minute.timeline});
    }
    Stream hour;
    hour.timeline = LevelTimeline(minute.timeline.Window());
    const std::int64_t span = static_cast<std::int64_t>(samples.size() / kBlock * kBlock);
    for (int r = 0; r < kMinutes; ++r) {
        hour.levels.insert(hour.levels.end(), minute.levels.begin(), minute.levels.end());
        hour.soft.insert(hour.soft.end(), minute.soft.begin(), minute.soft.end());
        for (const DemodCall& c : minute.timeline.Calls())
            hour.timeline.Record(c.firstSample - c.dropped + r * span, hour.timeline.LevelCount(), c.levelCount,
                                 2 * (c.dropped + c.levelCount * hour.timeline.Window()));
    }
    return hour;
}

// Per iteration: one more demodulator call's levels (one block) reach the
// reader, with all but the last minute of the hour read before.
void BM_LiveTextBlock(benchmark::State& state) {
    const bool text = state.range(0) == 0;
    const bool soft = state.range(1) != 0;
    static const Stream texts = HourOf(true);
    static const Stream noise = HourOf(false);
    const Stream& hour = text ? texts : noise;
    const auto& calls = hour.timeline.Calls();
    const std::size_t lastMinute = calls.size() - calls.size() / kMinutes;

    Stream now;
    now.timeline = LevelTimeline(hour.timeline.Window());
    for (std::size_t c = 0; c < lastMinute; ++c) {
        const DemodCall& call = calls[c];
        now.timeline.Record(call.firstSample - call.dropped, call.firstLevel, call.levelCount,
                            2 * (call.dropped + call.levelCount * now.timeline.Window()));
    }
    const auto before = static_cast<std::ptrdiff_t>(calls[lastMinute].firstLevel);
    now.levels.assign(hour.levels.begin(), hour.levels.begin() + before);
    now.soft.assign(hour.soft.begin(), hour.soft.begin() + before);
    LiveTextOptions options;
    options.decider = LiveTextDeciderFor(soft);
    LiveTextReader start(options);
    std::vector<LiveTextPiece> pieces;
    start.Extend(now.levels, now.timeline, now.soft, pieces);
    const Stream snapshot = now;

    LiveTextReader reader = start;
    std::size_t next = lastMinute;
    std::int64_t found = 0;
    for (auto _ : state) {
        if (next == calls.size()) {
            state.PauseTiming();
            now = snapshot;
            reader = start;
            next = lastMinute;
            state.ResumeTiming();
        }
        const DemodCall& call = calls[next++];
        const auto from = hour.levels.begin() + static_cast<std::ptrdiff_t>(call.firstLevel);
        now.levels.insert(now.levels.end(), from, from + call.levelCount);
        const auto softFrom = hour.soft.begin() + static_cast<std::ptrdiff_t>(call.firstLevel);
        now.soft.insert(now.soft.end(), softFrom, softFrom + call.levelCount);
        now.timeline.Record(call.firstSample - call.dropped, call.firstLevel, call.levelCount,
                            2 * (call.dropped + call.levelCount * now.timeline.Window()));
        pieces.clear();
        reader.Extend(now.levels, now.timeline, now.soft, pieces);
        found += static_cast<std::int64_t>(pieces.size());
        benchmark::DoNotOptimize(pieces.data());
    }
    state.counters["pieces"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LiveTextBlock)
    ->ArgNames({"noise", "soft"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
