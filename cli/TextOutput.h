#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace morvane::cli {

/// A text destination: a file, or standard output for "" and "-". Write
/// failures surface as CliError "cannot write 'NAME': REASON" at the latest
/// in Close.
class TextOutput {
public:
    explicit TextOutput(const std::string& path);
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    void Write(std::string_view text);
    /// One integer and a line feed.
    void WriteLine(std::int64_t value);
    /// Hands what was written so far on at once (text that follows its input).
    void Flush();
    /// Flushes and closes; throws when anything could not be written.
    void Close();

private:
    [[noreturn]] void Fail();
    std::string m_name;
    std::FILE* m_file = nullptr;
    bool m_owned = false;
};

}  // namespace morvane::cli
