#pragma once
#include <cstdio>
#include <filesystem>

namespace morvane {

/// A file written under a fresh hidden name (".morvane-PID-XXXXXXXX.tmp") in
/// the target's folder and renamed over the target only when complete, so
/// that a failure, a full disk or a killed run leaves an earlier file exactly
/// as it was. The temporary is removed again unless committed; a program's
/// signal handler removes the open ones with RemoveTemporaries before the
/// signal ends it. Temporaries that processes which have ended left behind in
/// the folder are cleared after the next commit there.
class ReplacingFile {
public:
    /// Opens the temporary file, unless the target may not be replaced: it
    /// exists and is not a regular file, is marked read-only or does not open
    /// for writing. File() is null when nothing was opened (errno tells why
    /// when the temporary could not be created).
    explicit ReplacingFile(std::filesystem::path target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    std::FILE* File() const { return m_file; }
    /// Where the data goes until Commit (empty when nothing was opened).
    const std::filesystem::path& TemporaryPath() const { return m_path; }

    /// Flushes the data to the disk, closes the file and renames it over the
    /// target (keeping an earlier target's permissions); false when any step
    /// fails, with errno set. Then clears stale temporaries in the folder.
    bool Commit();

    /// Removes the temporaries of every ReplacingFile open now (their Commit
    /// then fails); safe to call from a signal handler. No handler is
    /// installed here: each program installs its own, once.
    static void RemoveTemporaries();

    /// Whether `name` is a temporary of this class ("the stale-file pattern").
    static bool IsTemporaryName(const std::string& name);

private:
    std::filesystem::path m_target;
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    int m_slot = -1;  // entry in the list of temporaries removed on a signal
    bool m_kept = false;
};

}  // namespace morvane
