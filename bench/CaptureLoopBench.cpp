// One captured block through the live path: the device callback (lock,
// peak normalisation, newest copy, pending append, post) and then Process
// (newest copy for the spectrum, demodulation of the pending samples, shift).
#ifdef MORVANE_BENCH_CAPTURE
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "live/CaptureTones.h"
#include "live/ProcessingLoop.h"

namespace {

using namespace morvane;

/// An input whose blocks the benchmark hands over itself.
class ManualDevice : public SoundDevice {
public:
    void Start(std::int32_t, BlockHandler handler) override { m_handler = std::move(handler); }
    void Stop() override {}
    bool Feed(std::vector<std::int16_t>& block) { return m_handler(block.data(), static_cast<std::int32_t>(block.size() * 2)); }

private:
    BlockHandler m_handler;
};

class ManualSystem : public SoundSystem {
public:
    ManualDevice* device = nullptr;
    int InputCount() override { return 1; }
    std::optional<std::string> InputName(int) override { return "bench"; }
    std::unique_ptr<SoundDevice> OpenInput(int, const CaptureFormat&) override {
        auto d = std::make_unique<ManualDevice>();
        device = d.get();
        return d;
    }
};

// Argument 1 keeps the soft stream beside the levels (as the window does), 0 not.
void BM_CapturedBlockToLevels(benchmark::State& state) {
    // Alternating tones with noise-free 50-baud keying, at a modest level so
    // that every block is scaled.
    std::vector<std::int16_t> signal(32768);
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double hz = (i / 960) % 2 ? 2000.0 : 1500.0;
        signal[i] = static_cast<std::int16_t>(std::lround(6000.0 * std::sin(2.0 * std::numbers::pi * hz * i / 48000.0)));
    }
    auto system = std::make_unique<ManualSystem>();
    ManualSystem* manual = system.get();
    std::int64_t spectrumBytes = 0;
    ProcessingHooks hooks;
    hooks.updateSpectrum = [&](const std::vector<std::int16_t>& block, std::int32_t bytes) {
        benchmark::DoNotOptimize(block.data());
        spectrumBytes += bytes;
    };
    ProcessingLoop loop(std::move(system), hooks);
    loop.SetFallbackRecording("");
    loop.SetKeepSoft(state.range(0) != 0);
    const std::vector<std::int32_t>& levels = loop.Stream().levels;
    loop.Start({"/s0"}, 1500.0f, 2000.0f);
    loop.StartCapture();
    std::vector<std::int16_t> block;
    std::int64_t appended = 0;
    for (auto _ : state) {
        block = signal;  // the device hands over fresh samples each time
        manual->device->Feed(block);
        const std::size_t before = levels.size();
        loop.Process();
        appended += static_cast<std::int64_t>(levels.size() - before);
        benchmark::DoNotOptimize(levels.data());
        if (levels.size() > 1'000'000) loop.StartCapture();  // empties the soft stream too
    }
    state.counters["levels_per_block"] = static_cast<double>(appended) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * 65536);
    // One block is 32 768 samples, 0.683 s of sound.
    state.counters["realtime_x"] = benchmark::Counter(state.iterations() * 32768.0 / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CapturedBlockToLevels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Align's tone search on the window's thread: fed one block (32 768
// samples) in the first ten seconds, where every sample is kept (/0), and
// on average over the first hour (/1); and Find with all it keeps (/2),
// what Align waits for.
void BM_CaptureTones(benchmark::State& state) {
    std::vector<std::int16_t> block(32768);
    for (std::size_t i = 0; i < block.size(); ++i) {
        const double hz = (i / 960) % 2 ? 2000.0 : 1500.0;
        block[i] = static_cast<std::int16_t>(std::lround(6000.0 * std::sin(2.0 * std::numbers::pi * hz * i / 48000.0)));
    }
    const std::int64_t blocks = state.range(0) == 0 ? 14 : 3600 * 48000 / 32768;
    CaptureTones tones;
    if (state.range(0) == 2) {
        for (std::int64_t i = 0; i < 8 * 3600 * 48000 / 32768 && tones.Seconds() < 39.9; ++i) tones.Add(block.data(), block.size());
        for (auto _ : state) benchmark::DoNotOptimize(tones.Find().found);
        state.counters["seconds_kept"] = tones.Seconds();
        return;
    }
    std::int64_t added = 0;
    for (auto _ : state) {
        if (added == blocks) {
            state.PauseTiming();
            tones = CaptureTones();
            added = 0;
            state.ResumeTiming();
        }
        tones.Add(block.data(), block.size());
        ++added;
    }
}
BENCHMARK(BM_CaptureTones)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
#endif
