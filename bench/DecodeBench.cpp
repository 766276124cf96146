#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "FrameLevels.h"
#include "decode/BaudotDecoder.h"
#include "raster/BitExtraction.h"
#include "report/VariationsReport.h"

namespace {

using namespace morvane;

constexpr std::int64_t kHourOfLevels = 2160000;  // 600 levels per second

/// An hour of 50-baud frames as levels.
const std::vector<std::int32_t>& HourOfLevels() {
    static const std::vector<std::int32_t> levels = bench::FrameLevels(kHourOfLevels, 5);
    return levels;
}

RasterParams FrameRaster() {
    RasterParams p;
    p.count = 90;
    p.gridWidth = 24;
    return p;
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ExtractBitsHour(benchmark::State& state) {
    const auto& levels = HourOfLevels();
    for (auto _ : state) benchmark::DoNotOptimize(ExtractBits(levels, FrameRaster()));
    state.counters["levels/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kHourOfLevels, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExtractBitsHour)->Unit(benchmark::kMillisecond);

void BM_DecodeBaudotHour(benchmark::State& state) {
    const std::string bits = ExtractBits(HourOfLevels(), FrameRaster());
    std::string text;
    for (auto _ : state) {
        DecodeBaudot(bits, 1, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["rows"] = static_cast<double>(kHourOfLevels / 90);
}
BENCHMARK(BM_DecodeBaudotHour)->Unit(benchmark::kMillisecond);

std::filesystem::path TempReport() {
    return std::filesystem::temp_directory_path() / ("morvane-bench-" + std::to_string(std::random_device()()) + ".html");
}

/// The report over the bits of an hour: rows of 8 cells, ignore counts 0 … 2.
void BM_ReportHour(benchmark::State& state) {
    const std::string bits = ExtractBits(HourOfLevels(), FrameRaster());
    const auto path = TempReport();
    for (auto _ : state) benchmark::DoNotOptimize(WriteVariationsReport(bits, path));
    state.counters["MiB written"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReportHour)->Unit(benchmark::kMillisecond);

/// The worst case of an hour: 180 000 rows of 12 bits under a first row of
/// 1 000, so 995 ignore counts × 4 variants × 180 000 rows. The page (about
/// 1.3 GiB) is streamed; the peak resident size stays near the source's.
void BM_ReportHourLongFirstRow(benchmark::State& state) {
    std::mt19937 random(9);
    std::string bits(1000, '0');
    for (char& c : bits) c = random() % 2 ? '1' : '0';
    bits += "\r\n";
    for (int row = 1; row < 180000; ++row) {
        for (int i = 0; i < 12; ++i) bits += random() % 2 ? '1' : '0';
        bits += "\r\n";
    }
    const auto path = TempReport();
    for (auto _ : state) benchmark::DoNotOptimize(WriteVariationsReport(bits, path));
    state.counters["MiB written"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    state.counters["peak RSS MiB"] = PeakRssMiB();
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReportHourLongFirstRow)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
