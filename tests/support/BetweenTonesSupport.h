#pragma once
// Sounds that hold no frames, however regular the levels they give: one
// steady tone half-way between the two tones (a sine, a square wave, a
// clipped sine), keying far beyond the rates read, and uniform noise from a
// seed (the bytes `decode -` would read from a random source).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace morvane::betweentones {

enum class Shape { Sine, Square, Clipped };

/// `seconds` of one tone of `hz` at 48 kHz.
inline std::vector<std::int16_t> SteadyTone(double hz, Shape shape, double seconds) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * 48000.0));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double s = std::sin(2.0 * 3.141592653589793 * hz * static_cast<double>(i) / 48000.0);
        const double v = shape == Shape::Sine ? 12000.0 * s
                         : shape == Shape::Square ? (s >= 0.0 ? 12000.0 : -12000.0)
                                                  : std::clamp(30000.0 * s, -12000.0, 12000.0);
        out[i] = static_cast<std::int16_t>(std::lround(v));
    }
    return out;
}

/// `seconds` of reversals between `lowHz` and `highHz` at `baud`, the phase running on.
inline std::vector<std::int16_t> Reversals(double lowHz, double highHz, double baud, double seconds) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * 48000.0));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto bit = static_cast<std::int64_t>(static_cast<double>(i) * baud / 48000.0);
        phase += 2.0 * 3.141592653589793 * (bit % 2 == 0 ? lowHz : highHz) / 48000.0;
        out[i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(phase)));
    }
    return out;
}

/// `seconds` of uniform 16-bit noise (xorshift64 from `seed`).
inline std::vector<std::int16_t> UniformNoise(std::uint64_t seed, double seconds) {
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ULL + 1;
    std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * 48000.0));
    for (std::int16_t& s : out) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        s = static_cast<std::int16_t>(x >> 48);
    }
    return out;
}

}  // namespace morvane::betweentones
