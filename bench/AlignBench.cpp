#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "align/FrameFinder.h"
#include "align/ToneFinder.h"
#include "capture/CaptureBuffers.h"
#include "synth/RttySynth.h"

namespace {

using namespace morvane;

struct Captured {
    std::vector<std::int16_t> samples;
    std::vector<std::int32_t> levels;
    LevelTimeline timeline;
};

/// Random five-letter groups at 50 baud, 0.3 % fast, `characters` of them
/// with their spaces, as live capture demodulates them (levels and timeline).
Captured Groups(std::size_t characters, CodeSettings code = {}) {
    std::mt19937 random(3);
    std::string text;
    while (text.size() < characters) {
        for (int i = 0; i < 5; ++i) text += static_cast<char>('A' + random() % 26);
        text += ' ';
    }
    RttySynthSettings synth;
    synth.baud = 50.0 * 1.003;
    synth.snrDb = 10.0;
    synth.code = code;
    Captured out;
    out.samples = SynthesizeRtty(text, synth);
    std::vector<std::int16_t> copy = out.samples;
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    for (std::size_t at = 0; at < copy.size(); at += kBlock) {
        const std::size_t n = std::min(kBlock, copy.size() - at);
        buffers.HandleBlock(copy.data() + at, static_cast<std::int32_t>(n * 2));
        buffers.DemodulatePending({}, kCaptureFormat, out.levels, {.timeline = &out.timeline});
    }
    return out;
}

/// Ten minutes of Baudot.
const Captured& TenMinutes() {
    static const Captured c = Groups(4000);
    return c;
}

// Finding the frames of ten minutes from the level stream and its timeline
// (what `align` and `decode --auto` add to demodulation).
void BM_FindFramesTenMinutes(benchmark::State& state) {
    const Captured& c = TenMinutes();
    for (auto _ : state) {
        const FrameAlignment a = FindFrames(c.levels, c.timeline);
        if (!a.found) state.SkipWithError("no frames found");
        benchmark::DoNotOptimize(a.confidence);
    }
    state.counters["levels"] = static_cast<double>(c.levels.size());
}
BENCHMARK(BM_FindFramesTenMinutes)->Unit(benchmark::kMillisecond);

// Finding the frames of one minute, as the window's Align does on what was
// captured: Baudot (7.5-bit frames) and ASCII 7 bits with even parity.
void BM_FindFramesOneMinute(benchmark::State& state) {
    static const Captured baudot = Groups(400);
    static const Captured ascii = Groups(330, {TextCode::Ascii7, Parity::Even});
    const Captured& c = state.range(0) == 0 ? baudot : ascii;
    for (auto _ : state) {
        const FrameAlignment a = FindFrames(c.levels, c.timeline);
        if (!a.found) state.SkipWithError("no frames found");
        benchmark::DoNotOptimize(a.confidence);
    }
    state.counters["levels"] = static_cast<double>(c.levels.size());
}
BENCHMARK(BM_FindFramesOneMinute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The tones of ten minutes from the spectrum.
void BM_FindTonesTenMinutes(benchmark::State& state) {
    const Captured& c = TenMinutes();
    for (auto _ : state) {
        ToneFinder finder;
        finder.Add(c.samples.data(), c.samples.size());
        benchmark::DoNotOptimize(finder.Find().lowHz);
    }
}
BENCHMARK(BM_FindTonesTenMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
