#pragma once
// What the tests that run morvane-cli as a program share: its outcome, a
// file's bytes, and a word quoted for the shell.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

}  // namespace morvane::clitest
