#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/OutputFile.h"

namespace morvane::cli {

/// A text destination: a file (replaced only when complete, see OutputFile),
/// or standard output for "" and "-". Write failures surface as CliError
/// "cannot write 'NAME': REASON" at the latest in Close.
class TextOutput {
public:
    explicit TextOutput(const std::string& path);
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    void Write(std::string_view text);
    /// One integer and a line feed.
    void WriteLine(std::int64_t value);
    /// Hands what was written so far on at once when the output is a
    /// terminal or a pipe (a reader waits for it); otherwise does nothing.
    void FlushIfInteractive();
    /// Hands what was written so far on now (a live capture, block by block).
    void Flush();
    /// Flushes and closes (puts a file in place); throws when anything could
    /// not be written.
    void Close();

private:
    [[noreturn]] void Fail();
    OutputFile m_out;
    bool m_interactive = false;
};

}  // namespace morvane::cli
