#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "dsp/Spectrum.h"

namespace {

// One capture block: 32 768 samples of a 1500 Hz tone; only the first 4096 are read.
void BM_ComputeSpectrum(benchmark::State& state) {
    std::vector<std::int16_t> block(32768);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::int16_t>(25000 * std::sin(2 * M_PI * 1500.0 * static_cast<double>(i) / 48000.0));
    std::unique_ptr<float[]> spectrum;
    for (auto _ : state) {
        morvane::ComputeSpectrum(block.data(), spectrum, morvane::kFftSize);
        benchmark::DoNotOptimize(spectrum.get());
    }
    state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ComputeSpectrum)->Unit(benchmark::kMicrosecond);

// The levels of one waterfall row: 4096 bins.
void BM_SpectrumLevels(benchmark::State& state) {
    std::vector<std::int16_t> block(4096);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::int16_t>(25000 * std::sin(2 * M_PI * 1500.0 * static_cast<double>(i) / 48000.0));
    std::unique_ptr<float[]> spectrum;
    morvane::ComputeSpectrum(block.data(), spectrum, morvane::kFftSize);
    std::vector<std::int32_t> levels(morvane::kFftSize);
    for (auto _ : state) {
        for (std::int32_t k = 0; k < morvane::kFftSize; ++k) levels[k] = morvane::SpectrumLevel(spectrum[2 * k], spectrum[2 * k + 1]);
        benchmark::DoNotOptimize(levels.data());
    }
}
BENCHMARK(BM_SpectrumLevels)->Unit(benchmark::kMicrosecond);

}  // namespace
