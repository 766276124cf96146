#pragma once
#include <cstdio>
#include <filesystem>

namespace morvane {

/// A file written under a fresh hidden name in the target's folder and
/// renamed over the target only when complete, so that a failure leaves an
/// earlier file exactly as it was. Removed again unless committed.
class ReplacingFile {
public:
    /// Opens the temporary file, unless the target may not be replaced: it
    /// exists and is not a regular file, is marked read-only or does not open
    /// for writing. File() is null when nothing was opened.
    explicit ReplacingFile(std::filesystem::path target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    std::FILE* File() const { return m_file; }

    /// Closes the file and renames it over the target; false when either fails.
    bool Commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    bool m_kept = false;
};

}  // namespace morvane
