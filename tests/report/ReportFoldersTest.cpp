#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "report/ReportFolders.h"

namespace fs = std::filesystem;
using namespace morvane;

TEST(ReportPathInCache, FollowsTheCacheFolderRules) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/var/cache/me", "/home/me", "/var/cache/me/morvane/results.html"},
        {nullptr, "/home/me", "/home/me/.cache/morvane/results.html"},
        {"", "/home/me", "/home/me/.cache/morvane/results.html"},
        {"relative/cache", "/home/me", "/home/me/.cache/morvane/results.html"},  // not absolute: ignored
        {"/c", nullptr, "/c/morvane/results.html"},
        {nullptr, nullptr, ""},
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReportPathInCache(c.xdg, c.home), fs::path(c.expected))
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(ReportWriteProblem, NamesWhatStandsInTheWay) {
    std::random_device random;
    const fs::path dir = fs::temp_directory_path() / ("morvane-problem-" + std::to_string(random()));
    fs::create_directories(dir);
    EXPECT_EQ(ReportWriteProblem(dir / "missing" / "results.html"), "the folder does not exist");
    std::ofstream(dir / "file") << "x";
    EXPECT_EQ(ReportWriteProblem(dir / "file" / "results.html"), "its folder is a file");
    fs::create_directory(dir / "results.html");
    EXPECT_EQ(ReportWriteProblem(dir / "results.html"), "it exists and is not a file");
    std::ofstream(dir / "old.html") << "earlier";
    fs::permissions(dir / "old.html", fs::perms::owner_read);
    EXPECT_EQ(ReportWriteProblem(dir / "old.html"), "the file is read-only");
    fs::remove_all(dir);
}
