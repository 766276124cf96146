#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "receiver/Fft.h"

namespace morvane {
namespace {

// Every bin of both transforms against the sum that defines it, for lengths
// from the shortest to one of the finder's, on random samples.
TEST(Fft, TransformsMatchTheDefiningSum) {
    std::mt19937 random(3);
    std::normal_distribution<double> gauss;
    for (std::size_t n : {4U, 8U, 64U, 512U}) {
        std::vector<double> x(n);
        for (double& v : x) v = gauss(random);
        std::vector<std::complex<double>> c(x.begin(), x.end());
        TransformInPlace(c);
        const std::vector<std::complex<double>> r = TransformReal(x);
        ASSERT_EQ(r.size(), n / 2 + 1);
        for (std::size_t k = 0; k < n; ++k) {
            std::complex<double> want;
            for (std::size_t i = 0; i < n; ++i)
                want += x[i] * std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(i * k % n) / static_cast<double>(n));
            EXPECT_NEAR(std::abs(c[k] - want), 0.0, 1e-9 * static_cast<double>(n)) << "n " << n << " bin " << k;
            if (k <= n / 2) EXPECT_NEAR(std::abs(r[k] - want), 0.0, 1e-9 * static_cast<double>(n)) << "n " << n << " bin " << k;
        }
    }
}

TEST(Fft, LengthsThatAreNoPowerOfTwoAreRefused) {
    std::vector<std::complex<double>> c(12);
    EXPECT_THROW(TransformInPlace(c), std::invalid_argument);
    EXPECT_THROW(TransformReal(std::vector<double>(2)), std::invalid_argument);
    EXPECT_THROW(TransformReal(std::vector<double>(24)), std::invalid_argument);
}

}  // namespace
}  // namespace morvane
