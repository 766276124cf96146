#include "cli/TextOutput.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "cli/CliError.h"

namespace morvane::cli {

TextOutput::TextOutput(const std::string& path) : m_out(path), m_interactive(m_out.Interactive()) {}

void TextOutput::Fail() {
    const int error = errno;
    throw CannotWrite(m_out.Name(), error ? std::strerror(error) : "write failed");
}

void TextOutput::Write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), m_out.File()) != text.size()) Fail();
}

void TextOutput::WriteLine(std::int64_t value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *end++ = '\n';
    Write(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

void TextOutput::FlushIfInteractive() {
    errno = 0;
    if (m_interactive && std::fflush(m_out.File()) != 0) Fail();
}

void TextOutput::Flush() {
    errno = 0;
    if (std::fflush(m_out.File()) != 0) Fail();
}

void TextOutput::Close() { m_out.Commit(); }

}  // namespace morvane::cli
