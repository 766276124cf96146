#pragma once
#include <cstdio>
#include <memory>
#include <string>

namespace morvane {
class ReplacingFile;
}

namespace morvane::cli {

/// Where a command's output goes. A regular file (new or existing) is written
/// to a temporary beside it and renamed over it only by Commit, so a failure
/// leaves an earlier file byte for byte; standard output ("" or "-") and
/// other existing targets (a device, a pipe) are written directly.
class OutputFile {
public:
    /// Throws CliError "cannot write 'PATH': REASON" when the file cannot be opened.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* File() const { return m_file; }
    const std::string& Name() const { return m_name; }
    /// Whether output shows up at once somewhere (a terminal or a pipe), so
    /// it is worth flushing piece by piece.
    bool Interactive() const;

    /// Flushes and puts the file in place; throws CliError when anything
    /// could not be written. Without Commit nothing replaces the target.
    void Commit();

private:
    std::string m_name;
    std::FILE* m_file = nullptr;
    std::unique_ptr<ReplacingFile> m_replacing;
    bool m_ownsFile = false;
};

}  // namespace morvane::cli
