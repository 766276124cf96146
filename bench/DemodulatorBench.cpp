#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsp/FskDemodulator.h"

namespace {

std::vector<std::int16_t> Block() {
    std::vector<std::int16_t> s(32768);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(20000 * std::sin(i * 0.19635));
    return s;
}

void BM_Demodulate(benchmark::State& state) {
    const auto block = Block();
    std::vector<std::int32_t> levels;
    for (auto _ : state) {
        levels.clear();
        benchmark::DoNotOptimize(morvane::Demodulate({}, morvane::kCaptureFormat, block.data(), 65536, levels));
    }
    const double samples = static_cast<double>(state.iterations()) * 32768;
    state.counters["samples/s"] = benchmark::Counter(samples, benchmark::Counter::kIsRate);
    state.counters["x realtime"] = benchmark::Counter(samples / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Demodulate);

// One block appended to an hour-long stream (2 160 000 levels), as at the end
// of an hour of recording: the append must not copy the stream.
void BM_DemodulateOntoAnHour(benchmark::State& state) {
    const auto block = Block();
    std::vector<std::int32_t> levels(2160000, 128);
    for (auto _ : state) {
        benchmark::DoNotOptimize(morvane::Demodulate({}, morvane::kCaptureFormat, block.data(), 65536, levels));
        if (levels.size() > 2160000 + 407 * 1000) {  // back to an hour, outside the timing
            state.PauseTiming();
            levels.resize(2160000);
            levels.shrink_to_fit();
            state.ResumeTiming();
        }
    }
    const double samples = static_cast<double>(state.iterations()) * 32768;
    state.counters["x realtime"] = benchmark::Counter(samples / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemodulateOntoAnHour);

}  // namespace
