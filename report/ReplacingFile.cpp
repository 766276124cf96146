#include "report/ReplacingFile.h"

#include <fcntl.h>
#include <signal.h>  // kill(pid, 0): whether a temporary's process still runs
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace morvane {

namespace {

// The temporaries that exist right now, for RemoveTemporaries (which a signal
// handler calls). A slot's path is written before it is marked used and read
// only while it is.
constexpr int kSlots = 64;
constexpr std::size_t kPathBytes = 4096;
struct Slot {
    std::atomic<bool> used{false};
    char path[kPathBytes];
};
Slot g_slots[kSlots];

std::mutex g_slotMutex;  // taken by normal code only, never by the handler

int TakeSlot(const fs::path& path) {
    const std::string& text = path.native();
    if (text.size() >= kPathBytes) return -1;
    std::lock_guard lock(g_slotMutex);
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].used.load(std::memory_order_acquire)) continue;
        std::memcpy(g_slots[i].path, text.c_str(), text.size() + 1);
        g_slots[i].used.store(true, std::memory_order_release);
        return i;
    }
    return -1;
}

void ReleaseSlot(int slot) {
    if (slot < 0) return;
    std::lock_guard lock(g_slotMutex);
    g_slots[slot].used.store(false, std::memory_order_release);
}

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

// The process id in a temporary's name, or 0.
long OwnerOf(const std::string& name) {
    if (!ReplacingFile::IsTemporaryName(name)) return 0;
    return std::strtol(name.c_str() + 9, nullptr, 10);
}

// Removes temporaries in `folder` whose process has ended.
void ClearStale(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
         it.increment(error)) {
        const long owner = OwnerOf(it->path().filename().string());
        if (owner <= 0 || owner == static_cast<long>(::getpid())) continue;
        if (::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to ask
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

}  // namespace

void ReplacingFile::RemoveTemporaries() {
    const int savedErrno = errno;
    for (Slot& slot : g_slots)
        if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path);
    errno = savedErrno;
}

bool ReplacingFile::IsTemporaryName(const std::string& name) {
    // ".morvane-" PID "-" 8 hex digits ".tmp"
    constexpr std::string_view kPrefix = ".morvane-", kSuffix = ".tmp";
    if (name.size() < kPrefix.size() + 1 + 1 + 8 + kSuffix.size()) return false;
    if (name.compare(0, kPrefix.size(), kPrefix) != 0 ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return false;
    const std::string middle = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || middle.size() - dash - 1 != 8 || dash > 10) return false;
    for (std::size_t i = 0; i < dash; ++i)
        if (middle[i] < '0' || middle[i] > '9') return false;
    for (std::size_t i = dash + 1; i < middle.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(middle[i]))) return false;
    return true;
}

ReplacingFile::ReplacingFile(fs::path target) : m_target(std::move(target)) {
    errno = 0;
    if (!MayReplace(m_target)) {
        if (errno == 0) errno = EACCES;
        return;
    }
    std::random_device random;
    int lastError = 0;
    for (int attempt = 0; attempt < 16 && m_file == nullptr; ++attempt) {
        // A short name in the target's folder, so that the final rename
        // stays within one file system.
        char name[48];
        std::snprintf(name, sizeof name, ".morvane-%ld-%08x.tmp", static_cast<long>(::getpid()),
                      static_cast<unsigned>(random()));
        m_path = m_target.parent_path() / name;
        m_slot = TakeSlot(m_path);
        // "x": fail rather than reuse a file that already exists.
        m_file = std::fopen(m_path.c_str(), "wbx");
        lastError = errno;
        if (!m_file) {
            ReleaseSlot(m_slot);
            m_slot = -1;
            if (lastError != EEXIST) break;
        }
    }
    if (!m_file) {
        m_path.clear();
        errno = lastError;
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_file) std::fclose(m_file);
    if (!m_kept && !m_path.empty()) {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    ReleaseSlot(m_slot);
}

bool ReplacingFile::Commit() {
    if (!m_file) return false;
    std::FILE* file = m_file;
    m_file = nullptr;
    errno = 0;
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    int error = errno;
    if (ok && ::fsync(::fileno(file)) != 0) {
        ok = false;
        error = errno;
    }
    // An earlier file keeps its permissions.
    struct stat earlier {};
    if (ok && ::stat(m_target.c_str(), &earlier) == 0) ::fchmod(::fileno(file), earlier.st_mode & 07777);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        errno = error ? error : EIO;
        return false;
    }
    if (::rename(m_path.c_str(), m_target.c_str()) != 0) return false;
    m_kept = true;
    ReleaseSlot(m_slot);
    m_slot = -1;
    // The new name is on the disk once the folder is.
    const fs::path folder = m_target.parent_path().empty() ? fs::path(".") : m_target.parent_path();
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    ClearStale(m_target.parent_path());
    return true;
}

}  // namespace morvane
