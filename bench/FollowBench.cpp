// Text that follows a capture: the work done after every 0.68 s block
// (409 new levels at 50 baud) to extract the rows completed and decode them.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "decode/TextFollower.h"
#include "raster/BitRowStream.h"

namespace {

using namespace morvane;

constexpr std::size_t kBlockLevels = 409;  // levels from one 65 536-byte block

// A minute of 50-baud frames as levels: 12 levels a bit, 7.5 bits a frame.
std::vector<std::int32_t> MinuteOfLevels() {
    std::mt19937 random(9);
    std::vector<std::int32_t> v;
    while (v.size() < 36000) {
        const unsigned code = random() % 32;
        const auto bit = [&](bool mark, int n) {
            for (int i = 0; i < n; ++i) v.push_back((mark ? 200 : 56) + static_cast<int>(random() % 41) - 20);
        };
        bit(false, 12);
        for (int b = 0; b < 5; ++b) bit((code >> b) & 1u, 12);
        bit(true, 18);
    }
    return v;
}

// Per iteration: one block's levels arrive and their rows become text.
void BM_FollowOneBlock(benchmark::State& state) {
    static const std::vector<std::int32_t> minute = MinuteOfLevels();
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
