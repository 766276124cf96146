#include "decode/ReplacingFile.h"

#include <random>

namespace fs = std::filesystem;

namespace morvane {

namespace {

/// Whether a file at `path`, if any, may be replaced.
bool MayReplace(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return true;
    if (error || status.type() != fs::file_type::regular) return false;
    constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kWrite) == fs::perms::none) return false;
    // Appending writes nothing; it only checks that writing is allowed.
    std::FILE* probe = std::fopen(path.c_str(), "ab");
    if (!probe) return false;
    std::fclose(probe);
    return true;
}

}  // namespace

ReplacingFile::ReplacingFile(fs::path target) : m_target(std::move(target)) {
    if (!MayReplace(m_target)) return;
    std::random_device random;
    for (int attempt = 0; attempt < 16 && m_file == nullptr; ++attempt) {
        // A short name in the target's folder, so that the final rename
        // stays within one file system.
        char name[40];
        std::snprintf(name, sizeof name, ".morvane-%08x.tmp", static_cast<unsigned>(random()));
        m_path = m_target.parent_path() / name;
        // "x": fail rather than reuse a file that already exists.
        m_file = std::fopen(m_path.c_str(), "wbx");
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_file) std::fclose(m_file);
    if (!m_kept && !m_path.empty()) {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
}

bool ReplacingFile::Commit() {
    if (!m_file) return false;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) return false;
    std::error_code error;
    fs::rename(m_path, m_target, error);
    m_kept = !error;
    return m_kept;
}

}  // namespace morvane
