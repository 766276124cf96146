#include "report/ReportFolders.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

namespace morvane {

fs::path ReportPathInCache(const char* xdgCacheHome, const char* home) {
    // A relative $XDG_CACHE_HOME is invalid and is ignored, as the base directory rules say.
    if (xdgCacheHome != nullptr && *xdgCacheHome != '\0' && fs::path(xdgCacheHome).is_absolute())
        return fs::path(xdgCacheHome) / "morvane" / "results.html";
    if (home != nullptr && *home != '\0') return fs::path(home) / ".cache" / "morvane" / "results.html";
    return {};
}

std::string ReportWriteProblem(const fs::path& path) {
    std::error_code ec;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const fs::file_status folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus)) return "the folder does not exist";
    if (!fs::is_directory(folderStatus)) return "its folder is a file";
    // A new file needs to be created in the folder and renamed over the old one.
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    const fs::file_status fileStatus = fs::status(path, ec);
    if (fs::exists(fileStatus)) {
        if (!fs::is_regular_file(fileStatus)) return "it exists and is not a file";
        if ((fileStatus.permissions() & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
                fs::perms::none ||
            ::access(path.c_str(), W_OK) != 0)
            return "the file is read-only";
    }
    return "the file could not be written (disk full?)";
}

}  // namespace morvane
