#pragma once
// Level streams the benchmarks share.
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace morvane::bench {

/// `count` levels of 50-baud frames as the demodulator gives them: 12 levels
/// a bit, 7.5 bits a frame (start, five random code bits, stop), a little
/// noise on every level; `seed` chooses the bits and the noise.
inline std::vector<std::int32_t> FrameLevels(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::int32_t> v;
    v.reserve(count + 90);
    while (v.size() < count) {
        const unsigned code = random() % 32;
        const auto bit = [&](bool mark, int n) {
            for (int i = 0; i < n; ++i) v.push_back((mark ? 200 : 56) + static_cast<int>(random() % 41) - 20);
        };
        bit(false, 12);
        for (int b = 0; b < 5; ++b) bit((code >> b) & 1u, 12);
        bit(true, 18);
    }
    v.resize(count);
    return v;
}

}  // namespace morvane::bench
