#include "live/ProgramFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace morvane {

std::string ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

std::string ProcessCommandLine() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!line.empty() && line.back() == '\0') line.pop_back();
    for (char& c : line)
        if (c == '\0') c = ' ';
    return line;
}

std::string FindSampleRecording() {
    namespace fs = std::filesystem;
    std::vector<fs::path> candidates;
    const std::string folder = ExecutableFolder();
    if (!folder.empty()) {
        candidates.push_back(fs::path(folder) / "sample.wav");
        candidates.push_back(fs::path(folder) / ".." / "share" / "morvane" / "sample.wav");
    }
#ifdef MORVANE_SOURCE_RES
    candidates.push_back(fs::path(MORVANE_SOURCE_RES) / "sample.wav");
#endif
    for (const auto& path : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(path, ec)) return path.lexically_normal().string();
    }
    return {};
}

}  // namespace morvane
