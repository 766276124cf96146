// morvane-cli's --live words, run as a user runs the tool: the card switches
// are words of their own and are accepted only with --live.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Result {
    int status = -1;
    std::string err;
};

Result RunCli(const std::string& args) {
    const std::string err =
        (std::filesystem::temp_directory_path() / ("morvane-live-cli-" + std::to_string(::getpid()))).string();
    const std::string command = std::string("'") + MORVANE_CLI_BINARY + "' " + args + " </dev/null >/dev/null 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    std::ifstream in(err);
    std::ostringstream text;
    text << in.rdbuf();
    r.err = text.str();
    std::filesystem::remove(err);
    return r;
}

struct WordCase {
    const char* args;
    const char* wantInError;
};

TEST(LiveCli, StrayWordsAreUsageErrors) {
    const WordCase cases[] = {
        {"levels --live take.wav", "takes no recording ('take.wav')"},
        {"decode --live /s1 extra", "not expected: extra"},
        {"levels take.wav /s1", "not expected: /s1"},
        {"bits --seconds 3 take.wav", "--seconds: only with --live"},
        {"levels --live --seconds -1", "--seconds"},
        {"levels --live --seconds nan", "nan is outside"},  // NaN would never end
        {"decode --live --seconds inf", "inf is outside"},
        {"levels --live --seconds ''", "not a number"},
        {"levels --live --seconds 1 --bogus", "--bogus"},
        {"report --live /S1", "/S1"},
        {"levels --live /s10", "takes no recording ('/s10')"},  // only /s0 ... /s5 are card switches
        {"decode --live /s1 /s10", "not expected: /s10"},
        {"decode take.wav --code sitor-b --seconds 3", "--seconds: only with --live"},
        {"decode take.wav --code sitor-b --follow --seconds 3", "--seconds: only with --live"},
        {"decode --live --code sitor-b /s1 extra", "not expected: extra"},
    };
    for (const WordCase& c : cases) {
        const Result r = RunCli(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.wantInError), std::string::npos) << c.args << "\n" << r.err;
    }
}

TEST(LiveCli, HelpNamesTheLiveOptions) {
    for (const char* command : {"levels", "bits", "decode", "report"}) {
        const std::string args = std::string(command) + " --help";
        const std::string out =
            (std::filesystem::temp_directory_path() / ("morvane-live-help-" + std::to_string(::getpid()))).string();
        ASSERT_EQ(std::system(("'" + std::string(MORVANE_CLI_BINARY) + "' " + args + " >'" + out + "' 2>&1").c_str()), 0);
        std::ifstream in(out);
        std::ostringstream text;
        text << in.rdbuf();
        std::filesystem::remove(out);
        EXPECT_NE(text.str().find("--live"), std::string::npos) << command;
        EXPECT_NE(text.str().find("--seconds"), std::string::npos) << command;
    }
}

}  // namespace
