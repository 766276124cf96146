#include "receiver/Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace morvane {

void TransformInPlace(std::vector<std::complex<double>>& data) {
    const std::size_t n = data.size();
    if (n < 2 || (n & (n - 1)) != 0 || n > (std::size_t{1} << 24))
        throw std::invalid_argument("transform length must be a power of two from 2 to 2^24");
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        for (std::size_t k = 0; k < len / 2; ++k) {
            const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
            for (std::size_t i = k; i < n; i += len) {
                const std::complex<double> u = data[i], v = data[i + len / 2] * w;
                data[i] = u + v;
                data[i + len / 2] = u - v;
            }
        }
    }
}

}  // namespace morvane
