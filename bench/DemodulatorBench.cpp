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

// Each kernel the processor can run (0 SSE2, 1 AVX2, 2 AVX-512), and the
// plain arithmetic they must equal, on the same block.
void BM_DemodulateKernel(benchmark::State& state) {
    const auto kernel = static_cast<morvane::DemodKernel>(state.range(0));
    bool supported = false;
    for (morvane::DemodKernel k : morvane::SupportedDemodKernels()) supported |= k == kernel;
    if (!supported) {
        state.SkipWithError("this processor cannot run the kernel");
        return;
    }
    state.SetLabel(morvane::DemodKernelName(kernel));
    const auto block = Block();
    std::vector<std::int32_t> levels;
    for (auto _ : state) {
        levels.clear();
        benchmark::DoNotOptimize(
            morvane::DemodulateWithKernel(kernel, {}, morvane::kCaptureFormat, block.data(), 65536, levels));
    }
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 32768, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemodulateKernel)->DenseRange(0, 2);

void BM_DemodulateReference(benchmark::State& state) {
    const auto block = Block();
    std::vector<std::int32_t> levels;
    for (auto _ : state) {
        levels.clear();
        benchmark::DoNotOptimize(morvane::DemodulateReference({}, morvane::kCaptureFormat, block.data(), 65536, levels));
    }
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 32768, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemodulateReference);

// The soft stream kept beside the levels, as the processing loop keeps it.
void BM_DemodulateWithSoft(benchmark::State& state) {
    const auto block = Block();
    std::vector<std::int32_t> levels;
    std::vector<morvane::SoftWindow> soft;
    for (auto _ : state) {
        levels.clear();
        soft.clear();
        benchmark::DoNotOptimize(morvane::Demodulate({}, morvane::kCaptureFormat, block.data(), 65536, levels, &soft));
    }
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 32768, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemodulateWithSoft);

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
