#include "report/Utf16Writer.h"

#include <algorithm>

namespace morvane {

Utf16Writer::Utf16Writer(std::FILE* file) : m_file(file), m_buffer(kBufferBytes) {}

void Utf16Writer::Put(std::string_view text) {
    while (!text.empty()) {
        if (m_used == kBufferBytes) Flush();
        const std::size_t n = std::min(text.size(), (kBufferBytes - m_used) / 2);
        char* out = m_buffer.data() + m_used;
        for (std::size_t i = 0; i < n; ++i) {
            out[2 * i] = text[i];
            out[2 * i + 1] = '\0';
        }
        m_used += 2 * n;
        text.remove_prefix(n);
    }
}

void Utf16Writer::Flush() {
    if (m_used != 0 && std::fwrite(m_buffer.data(), 1, m_used, m_file) != m_used) m_failed = true;
    m_used = 0;
}

}  // namespace morvane
