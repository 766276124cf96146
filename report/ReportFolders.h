#pragma once
#include <filesystem>
#include <string>

namespace morvane {

/// Where the report goes when the program's own folder cannot be written:
/// "results.html" in the folder "morvane" of the user's cache folder, that is
/// $XDG_CACHE_HOME when it is set to an absolute path, else $HOME/.cache.
/// Either argument may be null (unset). Empty when neither gives a folder.
std::filesystem::path ReportPathInCache(const char* xdgCacheHome, const char* home);

/// Why a report cannot be written at `path` now, in words for a message
/// ("the folder does not exist", "Permission denied", ...). Looks only; writes nothing.
std::string ReportWriteProblem(const std::filesystem::path& path);

}  // namespace morvane
