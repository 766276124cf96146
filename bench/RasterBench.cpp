#include <benchmark/benchmark.h>

#include <vector>

#include "raster/RasterImage.h"

namespace {

// An hour of levels (600 a second) drawn at the main window's 852 × 304 view.
// Argument: count (64 is the default; 0 never ends a row, so the walk covers
// the whole stream).
void BM_RenderRasterHour(benchmark::State& state) {
    std::vector<std::int32_t> levels(2160000);
    std::uint32_t r = 1;
    for (auto& v : levels) {
        r = r * 1664525u + 1013904223u;
        v = 3 + static_cast<std::int32_t>((r >> 16) % 251);
    }
    morvane::RasterParams params;
    params.count = static_cast<std::int32_t>(state.range(0));
    params.contrastMode = 1;
    for (auto _ : state) {
        const morvane::RgbImage image = morvane::RenderRaster(levels, params, 852, 304);
        benchmark::DoNotOptimize(image.rgb.data());
    }
}
BENCHMARK(BM_RenderRasterHour)->Arg(64)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
