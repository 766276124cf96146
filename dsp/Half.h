#pragma once
#include <bit>
#include <cstdint>

namespace morvane {

/// A 16-bit IEEE 754 floating-point number (binary16), kept as its bits so
/// that every compiler stores and converts it alike. From a float it rounds
/// to nearest-even, as the processor's F16C instructions do (finite values
/// beyond ±65 504 become infinities); back to float or double it is exact.
class Half {
public:
    constexpr Half() = default;
    constexpr Half(float value) : m_bits(FromFloat(value)) {}  // rounds to nearest-even

    constexpr explicit operator float() const { return ToFloat(m_bits); }
    constexpr explicit operator double() const { return static_cast<double>(ToFloat(m_bits)); }
    constexpr Half operator-() const { return FromBits(static_cast<std::uint16_t>(m_bits ^ 0x8000u)); }

    constexpr std::uint16_t Bits() const { return m_bits; }
    static constexpr Half FromBits(std::uint16_t bits) {
        Half h;
        h.m_bits = bits;
        return h;
    }

private:
    static constexpr std::uint16_t FromFloat(float value) {
        const std::uint32_t x = std::bit_cast<std::uint32_t>(value);
        const auto sign = static_cast<std::uint16_t>((x >> 16) & 0x8000u);
        const std::uint32_t a = x & 0x7FFFFFFFu;
        if (a > 0x7F800000u) return sign | 0x7E00u | ((a >> 13) & 0x3FFu);  // NaN, made quiet
        if (a >= 0x477FF000u) return sign | 0x7C00u;                         // 65 520 and up round to infinity
        if (a >= 0x38800000u) {                                             // a normal half
            const std::uint32_t rest = a & 0x1FFFu;
            std::uint32_t h = (a >> 13) - (112u << 10);
            if (rest > 0x1000u || (rest == 0x1000u && (h & 1u) != 0)) ++h;
            return static_cast<std::uint16_t>(sign | h);
        }
        if (a <= 0x33000000u) return sign;  // at most half the smallest subnormal: zero
        // A subnormal half counts units of 2^-24.
        const std::uint32_t shift = 126u - (a >> 23);  // 14 … 24
        const std::uint32_t m = (a & 0x7FFFFFu) | 0x800000u;
        std::uint32_t h = m >> shift;
        const std::uint32_t rest = m & ((1u << shift) - 1u), tie = 1u << (shift - 1u);
        if (rest > tie || (rest == tie && (h & 1u) != 0)) ++h;
        return static_cast<std::uint16_t>(sign | h);
    }

    static constexpr float ToFloat(std::uint16_t h) {
        const std::uint32_t sign = static_cast<std::uint32_t>(h & 0x8000u) << 16;
        const std::uint32_t exponent = (h >> 10) & 0x1Fu, mantissa = h & 0x3FFu;
        if (exponent == 0x1Fu)
            return std::bit_cast<float>(sign | 0x7F800000u | (mantissa << 13) | (mantissa != 0 ? 0x400000u : 0u));
        if (exponent == 0) {
            const float magnitude = static_cast<float>(mantissa) * 5.9604644775390625e-8f;  // × 2^-24, exact
            return std::bit_cast<float>(sign | std::bit_cast<std::uint32_t>(magnitude));
        }
        return std::bit_cast<float>(sign | ((exponent + 112u) << 23) | (mantissa << 13));
    }

    std::uint16_t m_bits = 0;
};

}  // namespace morvane
