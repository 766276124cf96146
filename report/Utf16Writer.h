#pragma once
#include <cstdio>
#include <string_view>
#include <vector>

namespace morvane {

/// Writes ASCII text to an open file as UTF-16LE code units (two bytes per
/// character, no byte-order mark) through a 64 KiB buffer.
class Utf16Writer {
public:
    explicit Utf16Writer(std::FILE* file);

    void Put(std::string_view text);
    /// Hands the buffer to the file; Failed() tells whether anything was lost.
    void Flush();
    bool Failed() const { return m_failed; }

private:
    static constexpr std::size_t kBufferBytes = 1 << 16;
    std::FILE* m_file;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};

}  // namespace morvane
