#pragma once
// Takes typed values from the front of a fuzzer's input, zeros once it runs out.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace morvane::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    template <typename T>
    T Take() {
        T value{};
        const std::size_t n = m_size - m_pos < sizeof(T) ? m_size - m_pos : sizeof(T);
        if (n > 0) std::memcpy(&value, m_data + m_pos, n);
        m_pos += n;
        return value;
    }
    /// Everything not yet taken.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(m_data + m_pos), m_size - m_pos);
        m_pos = m_size;
        return rest;
    }
    const std::uint8_t* Here() const { return m_data + m_pos; }
    std::size_t Left() const { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

/// Stops the run so the fuzzer keeps the input: a result that must not happen.
[[noreturn]] inline void Mismatch() { __builtin_trap(); }

}  // namespace morvane::fuzz
