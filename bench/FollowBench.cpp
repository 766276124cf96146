// Text that follows a capture: the work done after every 0.68 s block
// (409 new levels at 50 baud) to extract the rows completed and decode them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "FrameLevels.h"
#include "decode/TextFollower.h"
#include "raster/BitRowStream.h"

namespace {

using namespace morvane;

constexpr std::size_t kBlockLevels = 409;  // levels from one 65 536-byte block

// Per iteration: one block's levels arrive and their rows become text.
void BM_FollowOneBlock(benchmark::State& state) {
    static const std::vector<std::int32_t> minute = bench::FrameLevels(36000, 9);  // a minute
    RasterParams raster;
    raster.count = 90;
    const CodeSettings code{static_cast<TextCode>(state.range(0)), Parity::None};
    std::vector<std::int32_t> levels;
    levels.reserve(minute.size());
    BitRowStream stream(raster);
    TextFollower follower(code, false, true, 2);
    std::string rows, text;
    std::size_t at = 0;
    for (auto _ : state) {
        if (at + kBlockLevels > minute.size()) {
            state.PauseTiming();
            levels.clear();
            stream = BitRowStream(raster);
            follower = TextFollower(code, false, true, 2);
            at = 0;
            state.ResumeTiming();
        }
        levels.insert(levels.end(), minute.begin() + static_cast<std::ptrdiff_t>(at),
                      minute.begin() + static_cast<std::ptrdiff_t>(at + kBlockLevels));
        at += kBlockLevels;
        stream.Extend(levels, rows);
        follower.Rows(rows, text);
        rows.clear();
        text.clear();
    }
}
BENCHMARK(BM_FollowOneBlock)->Arg(static_cast<int>(TextCode::Baudot))->Arg(static_cast<int>(TextCode::Ascii7));

}  // namespace
