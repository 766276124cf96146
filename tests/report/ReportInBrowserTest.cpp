#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "report/VariationsReport.h"

namespace fs = std::filesystem;
using namespace morvane;

namespace {

// Runs a shell command and returns what it prints.
std::string Output(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

}  // namespace

// The page a person opens must read as text in a real browser: rendered by
// headless Chromium, its cells hold the headings and the decoded texts.
TEST(ReportInBrowser, ChromiumShowsTheCells) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it): the page was not rendered";
    std::random_device random;
    const fs::path dir = fs::temp_directory_path() / ("morvane-browser-" + std::to_string(random()));
    fs::create_directories(dir / "profile");
    const fs::path page = dir / "results.html";
    // Rows 0000110 and 1101100: h = 0 decodes E+figures | V space | N I | W B.
    ASSERT_EQ(WriteVariationsReport("0000110\r\n1101100\r\n", page), ReportOutcome::Written);
    const std::string dom = Output(
        "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync --user-data-dir='" +
        (dir / "profile").string() + "' --dump-dom 'file://" + page.string() + "' 2>/dev/null");
    fs::remove_all(dir);
    ASSERT_FALSE(dom.empty()) << "chromium printed nothing";
    EXPECT_NE(dom.find("<table border=\"1\">"), std::string::npos) << dom;
    for (const char* cell : {"<td><b>0 bits ignored, no bit reverse</b><br><pre>E</pre></td>",
                             "<td><b>0 bits ignored, bit reverse</b><br><pre>V </pre></td>",
                             "<td><b>0 bits ignored, direction reverse, no bit reverse</b><br><pre>NI</pre></td>",
                             "<td><b>1 bits ignored, direction reverse, bit reverse</b><br><pre>UL</pre></td>"})
        EXPECT_NE(dom.find(cell), std::string::npos) << cell << "\nin\n" << dom;
    // Read as an 8-bit encoding, the tags would show as text.
    EXPECT_EQ(dom.find("&lt;"), std::string::npos) << dom;
}
