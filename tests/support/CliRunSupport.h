#pragma once
// What the tests that run morvane-cli as a program share: running it, its
// outcome, a file's bytes, and a word quoted for the shell.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace morvane::clitest {

/// Exit status (-1 when it did not end normally) and what it printed.
struct Result {
    int status = -1;
    std::string out, err;
};

/// The bytes of a file; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// `s` in single quotes for /bin/sh, quotes inside kept.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

/// Runs `program` with `args` (each quoted for the shell), after `env`
/// (shell words such as "TZ=UTC", may be empty), with standard input from
/// `input`; both outputs go through files in `folder` named for this
/// process, which are removed.
/// The status is the exit status, or 128 + the signal that ended it.
inline Result Run(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& folder, const std::string& input = "/dev/null",
                  const std::string& env = "") {
    std::string command = env + " " + Quote(program);
    for (const std::string& a : args) command += " " + Quote(a);
    const std::string own = "morvane-cli-" + std::to_string(::getpid());
    const std::filesystem::path out = folder / (own + "-stdout"), err = folder / (own + "-stderr");
    command += " < " + Quote(input) + " > " + Quote(out.string()) + " 2> " + Quote(err.string());
    const int raw = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = Slurp(out);
    r.err = Slurp(err);
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    std::filesystem::remove(err, ignored);
    return r;
}

}  // namespace morvane::clitest
