#include "cli/TextOutput.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "cli/CliError.h"

namespace morvane::cli {

TextOutput::TextOutput(const std::string& path) {
    if (path.empty() || path == "-") {
        m_name = "standard output";
        m_file = stdout;
        return;
    }
    m_name = path;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) throw CannotWrite(path, std::strerror(errno));
    m_owned = true;
}

TextOutput::~TextOutput() {
    if (m_owned && m_file) std::fclose(m_file);
}

void TextOutput::Fail() {
    const int error = errno;
    throw CannotWrite(m_name, error ? std::strerror(error) : "write failed");
}

void TextOutput::Write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size()) Fail();
}

void TextOutput::WriteLine(std::int64_t value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *end++ = '\n';
    Write(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

void TextOutput::Flush() {
    errno = 0;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) Fail();
}

void TextOutput::Close() {
    errno = 0;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) Fail();
    if (m_owned) {
        std::FILE* file = m_file;
        m_file = nullptr;
        if (std::fclose(file) != 0) Fail();
    }
}

}  // namespace morvane::cli
