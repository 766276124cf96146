#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "dsp/Spectrum.h"

using namespace morvane;

namespace {

std::vector<std::int16_t> Constant(std::int16_t value, std::size_t count = 4096) {
    return std::vector<std::int16_t>(count, value);
}

std::vector<std::int16_t> Sine(double hz, double amplitude, std::size_t count = 4096) {
    std::vector<std::int16_t> s(count);
    for (std::size_t i = 0; i < count; ++i)
        s[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / 48000.0)));
    return s;
}

std::vector<std::int16_t> Noise(std::size_t count, std::uint32_t seed) {
    std::vector<std::int16_t> s(count);
    for (auto& x : s) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<std::int16_t>(seed >> 16);
    }
    return s;
}

std::unique_ptr<float[]> Spectrum(const std::vector<std::int16_t>& samples, std::int32_t n = kFftSize) {
    std::unique_ptr<float[]> result;
    ComputeSpectrum(samples.data(), result, n);
    return result;
}

double Magnitude(const float* x, std::size_t k) { return std::hypot(double{x[2 * k]}, double{x[2 * k + 1]}); }

std::int32_t Level(const float* x, std::size_t k) { return SpectrumLevel(x[2 * k], x[2 * k + 1]); }

// Direct transform with a positive exponent, in double, for checking the fast one.
std::complex<double> Dft(const std::vector<float>& in, std::size_t n, std::size_t k) {
    std::complex<double> sum;
    for (std::size_t t = 0; t < n && t < in.size(); ++t)
        sum += static_cast<double>(in[t]) * std::polar(1.0, 2 * M_PI * static_cast<double>(t * k % n) / static_cast<double>(n));
    return sum;
}

}  // namespace

TEST(Spectrum, AllZeroBlockGivesZeroBinsAndLevelZero) {
    const auto x = Spectrum(Constant(0));
    for (std::size_t k = 0; k < 4096; ++k) {
        ASSERT_EQ(x[2 * k], 0.0f) << k;
        ASSERT_EQ(x[2 * k + 1], 0.0f) << k;
        ASSERT_EQ(Level(x.get(), k), 0) << k;
    }
}

TEST(Spectrum, ConstantBlocksPeakAtBinZero) {
    const struct {
        std::int16_t value;
        std::int32_t level;
    } cases[] = {{1000, 205}, {32767, 235}, {-32768, 235}};
    for (const auto& c : cases) {
        const auto x = Spectrum(Constant(c.value));
        // The periodic window sums to 0.42 × 4096 = 1720.32.
        EXPECT_NEAR(Magnitude(x.get(), 0), std::abs(c.value) * 1720.32, std::abs(c.value) * 1720.32 * 1e-5) << c.value;
        EXPECT_EQ(Level(x.get(), 0), c.level) << c.value;
        // A constant leaks only into the window's own two neighbours.
        EXPECT_LT(Magnitude(x.get(), 3), Magnitude(x.get(), 0) * 1e-5) << c.value;
    }
}

TEST(Spectrum, SineAt1500HzPeaksAtBin128) {
    const auto x = Spectrum(Sine(1500.0, 25000.0));
    EXPECT_NEAR(Magnitude(x.get(), 128), 25000.0 * 4096 * 0.21, 25000.0 * 4096 * 0.21 * 1e-3);
    const struct {
        std::size_t bin;
        std::int32_t level;
    } cases[] = {{128, 227}, {127, 222}, {129, 222}, {126, 206}, {130, 206}};
    for (const auto& c : cases) {
        EXPECT_EQ(Level(x.get(), c.bin), c.level) << c.bin;
        EXPECT_EQ(Level(x.get(), 4096 - c.bin), c.level) << "mirror of " << c.bin;
    }
    EXPECT_LT(Level(x.get(), 140), 120);
}

TEST(Spectrum, RealInputGivesMirroredMagnitudes) {
    for (std::uint32_t seed : {1u, 77u, 4242u}) {
        const auto x = Spectrum(Noise(4096, seed));
        for (std::size_t k = 1; k < 4096; ++k) {
            const double a = Magnitude(x.get(), k);
            const double b = Magnitude(x.get(), 4096 - k);
            ASSERT_NEAR(a, b, 1e-4 * std::max(a, 1000.0)) << "seed " << seed << " bin " << k;
        }
    }
}

TEST(Spectrum, SamplesBeyondTheFirst4096NeverMatter) {
    auto block = Noise(32768, 9);
    const auto before = Spectrum(block);
    for (std::size_t i = 4096; i < block.size(); ++i) block[i] = static_cast<std::int16_t>(i * 7919);
    const auto after = Spectrum(block);
    EXPECT_EQ(std::memcmp(before.get(), after.get(), 2 * 4096 * sizeof(float)), 0);
    std::unique_ptr<float[]> counted;
    ComputeSpectrum(block.data(), block.size(), counted, kFftSize);
    EXPECT_EQ(std::memcmp(before.get(), counted.get(), 2 * 4096 * sizeof(float)), 0);
}

TEST(Spectrum, ShortBlockCountsAsPaddedWithSilence) {
    const auto block = Noise(1000, 5);
    auto padded = block;
    padded.resize(4096, 0);
    std::unique_ptr<float[]> shortResult;
    ComputeSpectrum(block.data(), block.size(), shortResult, kFftSize);
    const auto paddedResult = Spectrum(padded);
    EXPECT_EQ(std::memcmp(shortResult.get(), paddedResult.get(), 2 * 4096 * sizeof(float)), 0);
    std::unique_ptr<float[]> empty;
    ComputeSpectrum(nullptr, 0, empty, kFftSize);
    for (std::size_t k = 0; k < 8192; ++k) ASSERT_EQ(empty[k], 0.0f);
}

TEST(Spectrum, WindowIsTheBlackmanFormulaBitForBit) {
    // The window is computed once and kept; every block must still get
    // exactly what the formula gives, narrowed to float, times the sample.
    std::vector<std::int16_t> samples(kFftSize);
    std::uint32_t state = 12345;
    for (auto& s : samples) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(state >> 16);
    }
    std::vector<float> windowed(kFftSize);
    for (std::int32_t i = 0; i < kFftSize; ++i) {
        const double w = 0.42 - 0.5 * std::cos(i * 6.283185307179586 * (1.0 / 4096.0)) +
                         0.08 * std::cos(i * (2.0 * 6.283185307179586) * (1.0 / 4096.0));
        windowed[i] = static_cast<float>(samples[i]) * static_cast<float>(w);
    }
    std::unique_ptr<float[]> expected, actual;
    SpectrumFft(expected, windowed.data(), kFftSize);
    for (int round = 0; round < 2; ++round) {  // the first call fills the table, the second uses it
        ComputeSpectrum(samples.data(), actual, kFftSize);
        EXPECT_EQ(std::memcmp(expected.get(), actual.get(), 2 * kFftSize * sizeof(float)), 0) << round;
    }
}

TEST(SpectrumFft, PositiveExponentWithoutScaling) {
    // sin(2π·5t/n) transforms to +i·n/2 at bin 5 with e^(+2πi·t·k/n).
    std::vector<float> in(4096);
    for (std::size_t t = 0; t < in.size(); ++t) in[t] = static_cast<float>(std::sin(2 * M_PI * 5 * static_cast<double>(t) / 4096));
    std::unique_ptr<float[]> x;
    SpectrumFft(x, in.data(), 4096);
    EXPECT_NEAR(x[10], 0.0, 1e-2);
    EXPECT_NEAR(x[11], 2048.0, 1e-2);
    EXPECT_NEAR(x[2 * 4091 + 1], -2048.0, 1e-2);
}

TEST(SpectrumFft, MatchesTheDirectTransformForEverySize) {
    std::vector<float> in(4096);
    std::uint32_t r = 3;
    for (auto& v : in) {
        r = r * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<std::int16_t>(r >> 16));
    }
    // Smaller sizes use the first n inputs; larger ones zero-pad.
    for (std::uint32_t n : {1u, 2u, 8u, 64u, 4096u, 8192u}) {
        std::unique_ptr<float[]> x;
        SpectrumFft(x, in.data(), n);
        for (std::size_t k : {std::size_t{0}, std::size_t{1}, std::size_t{n / 3}, std::size_t{n / 2}, std::size_t{n - 1}}) {
            if (k >= n) continue;
            const auto want = Dft(in, n, k);
            const double tolerance = 1e-5 * 32768.0 * n;
            EXPECT_NEAR(x[2 * k], want.real(), tolerance) << "n " << n << " bin " << k;
            EXPECT_NEAR(x[2 * k + 1], want.imag(), tolerance) << "n " << n << " bin " << k;
        }
    }
}

TEST(SpectrumFft, RejectsSizesThatAreNotPowersOfTwo) {
    std::vector<float> in(4096, 1.0f);
    std::unique_ptr<float[]> x = std::make_unique<float[]>(2);
    float* kept = x.get();
    for (std::uint32_t n : {0u, 3u, 4095u, 6000u, 1u << 25})
        EXPECT_THROW(SpectrumFft(x, in.data(), n), std::invalid_argument) << n;
    EXPECT_EQ(x.get(), kept);
    const auto block = Constant(1);
    for (std::int32_t n : {-4096, 0, 100})
        EXPECT_THROW(ComputeSpectrum(block.data(), x, n), std::invalid_argument) << n;
    EXPECT_THROW(SpectrumFft(x, nullptr, 4096), std::invalid_argument);
}

TEST(SpectrumLevel, OneLevelPerDecibelFromTenToTheMinusFour) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float re, im;
        std::int32_t level;
    } cases[] = {
        {0.0f, 0.0f, 0},      {1e-4f, 0.0f, 0},   {-1e-5f, 0.0f, 0},  {1.0f, 0.0f, 80},   {0.0f, -1.0f, 80},
        {3.0f, 4.0f, 94},     {1720320.0f, 0.0f, 205}, {1e9f, 0.0f, 255} /* 260 before clamping */,
        {inf, 0.0f, 255},     {0.0f, -inf, 255},  {std::nanf(""), 0.0f, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(SpectrumLevel(c.re, c.im), c.level) << c.re << ", " << c.im;
}

TEST(SpectrumLevel, AFractionOfExactlyOneHalfRoundsDown) {
    // Find the magnitudes around 10^0.025, where the level reaches 80.5.
    float re = static_cast<float>(std::pow(10.0, 0.025));
    auto u = [](float m) { return static_cast<float>(std::log10(static_cast<double>(m)) + 4.0) * 20.0f; };
    while (u(re) > 80.5f) re = std::nextafter(re, 0.0f);
    while (u(re) < 80.5f) re = std::nextafter(re, 2.0f);
    ASSERT_EQ(u(re), 80.5f);
    EXPECT_EQ(SpectrumLevel(re, 0.0f), 80);
    float above = re;
    while (u(above) == 80.5f) above = std::nextafter(above, 2.0f);
    EXPECT_EQ(SpectrumLevel(above, 0.0f), 81);
}
