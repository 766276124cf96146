#include "receiver/Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace morvane {

namespace {
// e^{-j 2π k / n}, k = 0 … n/2 - 1, kept for the last length asked for.
const std::vector<std::complex<double>>& Twiddles(std::size_t n) {
    thread_local std::vector<std::complex<double>> table;
    if (table.size() != n / 2) {
        table.resize(n / 2);
        for (std::size_t k = 0; k < n / 2; ++k)
            table[k] = std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n));
    }
    return table;
}
}  // namespace

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
    // Butterflies on pairs of doubles, loaded and stored whole.
    using Two = double __attribute__((vector_size(16)));
    const auto& w = Twiddles(n);
    auto* d = reinterpret_cast<double*>(data.data());
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t half = len / 2, stride = n / len;
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < half; ++k) {
                const std::complex<double> t = w[k * stride];
                Two u, v;
                __builtin_memcpy(&u, d + 2 * (start + k), sizeof u);
                __builtin_memcpy(&v, d + 2 * (start + k + half), sizeof v);
                const Two swapped{v[1], v[0]};
                const Two vt = v * t.real() + swapped * Two{-t.imag(), t.imag()};
                const Two sum = u + vt, difference = u - vt;
                __builtin_memcpy(d + 2 * (start + k), &sum, sizeof sum);
                __builtin_memcpy(d + 2 * (start + k + half), &difference, sizeof difference);
            }
        }
    }
}

}  // namespace morvane

namespace morvane {

std::vector<std::complex<double>> TransformReal(const std::vector<double>& x) {
    const std::size_t n = x.size();
    if (n < 4 || (n & (n - 1)) != 0 || n > (std::size_t{1} << 24))
        throw std::invalid_argument("transform length must be a power of two from 4 to 2^24");
    const std::size_t h = n / 2;
    std::vector<std::complex<double>> z(h);
    for (std::size_t m = 0; m < h; ++m) z[m] = {x[2 * m], x[2 * m + 1]};
    TransformInPlace(z);
    // The even samples' transform and the odd ones', taken apart and joined.
    std::vector<std::complex<double>> out(h + 1);
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(n));
    std::complex<double> turn(1.0, 0.0);
    for (std::size_t k = 0; k <= h; ++k, turn *= step) {
        const std::complex<double> a = z[k % h], b = std::conj(z[(h - k) % h]);
        const std::complex<double> even = 0.5 * (a + b), odd = std::complex<double>(0.0, -0.5) * (a - b);
        out[k] = even + turn * odd;
    }
    return out;
}

}  // namespace morvane
