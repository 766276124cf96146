// The bit extraction walk over an hour of levels and of soft windows: whole,
// and a piece at a time as a recording is read.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "FrameLevels.h"
#include "raster/BitRowStream.h"
#include "raster/SoftBitExtraction.h"

namespace {

using namespace morvane;

constexpr std::int64_t kHour = 2160000;  // 600 levels (windows) per second

const std::vector<std::int32_t>& HourOfLevels() {
    static const std::vector<std::int32_t> levels = bench::FrameLevels(kHour, 7);
    return levels;
}

/// An hour of windows whose tone correlations follow the frame levels, with noise.
const std::vector<SoftWindow>& HourOfWindows() {
    static const std::vector<SoftWindow> soft = [] {
        std::mt19937 random(8);
        std::normal_distribution<float> noise(0.0F, 0.3F);
        std::vector<SoftWindow> v(static_cast<std::size_t>(kHour));
        const auto& levels = HourOfLevels();
        for (std::size_t i = 0; i < v.size(); ++i) {
            const bool mark = levels[i] >= 128;
            v[i].re1 = static_cast<_Float16>((mark ? 1.0F : 0.0F) + noise(random));
            v[i].im1 = static_cast<_Float16>(noise(random));
            v[i].re2 = static_cast<_Float16>((mark ? 0.0F : 1.0F) + noise(random));
            v[i].im2 = static_cast<_Float16>(noise(random));
        }
        return v;
    }();
    return soft;
}

RasterParams FrameRaster(float slant) {
    RasterParams p;
    p.count = 90;
    p.offset = 40;
    p.slant = slant;
    p.gridWidth = 24;
    return p;
}

void Rate(benchmark::State& state) {
    state.counters["values/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kHour, benchmark::Counter::kIsRate);
}

// Arg: slant in hundredths of a level per row.
void BM_WalkLevelsAppendedHour(benchmark::State& state) {
    const auto& levels = HourOfLevels();
    const float slant = static_cast<float>(state.range(0)) / 100.0F;
    for (auto _ : state) {
        BitRowStream stream(FrameRaster(slant));
        std::string rows;
        for (std::size_t at = 0; at < levels.size(); at += 8192)
            stream.Append(levels.data() + at, std::min<std::size_t>(8192, levels.size() - at), rows);
        stream.Finish(rows);
        benchmark::DoNotOptimize(rows);
    }
    Rate(state);
}
BENCHMARK(BM_WalkLevelsAppendedHour)->Arg(0)->Arg(-60)->Unit(benchmark::kMillisecond);

void BM_WalkSoftWholeHour(benchmark::State& state) {
    const auto& soft = HourOfWindows();
    const auto trim = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ExtractSoftBits(soft, FrameRaster(0.0F), trim));
    Rate(state);
}
BENCHMARK(BM_WalkSoftWholeHour)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
