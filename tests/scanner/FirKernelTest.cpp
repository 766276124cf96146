// The filters' dot product: the vector form equals the plain loop bit for
// bit, at every length (whole vectors and the tail), and both are the dot
// product to single precision.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "scanner/FirKernel.h"

namespace morvane {
namespace {

TEST(FirKernel, VectorFormIsThePlainLoopBitForBit) {
    std::mt19937 random(41);
    std::uniform_real_distribution<float> u(-1.0F, 1.0F);
    for (const std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 85u, 145u, 189u, 235u, 1001u}) {
        SCOPED_TRACE(n);
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<float> taps(n), x(n + 3);
            for (float& t : taps) t = u(random) * 1e-2F;
            for (float& v : x) v = u(random);
            // Unaligned samples too: the history is read from any place.
            const float* samples = x.data() + trial % 4;
            const float plain = FirDotPlain(taps.data(), samples, n), fast = FirDot(taps.data(), samples, n);
            EXPECT_EQ(std::memcmp(&plain, &fast, sizeof plain), 0) << plain << " " << fast;
            double exact = 0.0, size = 0.0;
            for (std::size_t k = 0; k < n; ++k) {
                exact += double(taps[k]) * samples[k];
                size += std::fabs(double(taps[k]) * samples[k]);
            }
            EXPECT_NEAR(plain, exact, 1e-6 * size + 1e-12);
        }
    }
}

}  // namespace
}  // namespace morvane
