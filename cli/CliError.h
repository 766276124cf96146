#pragma once
#include <stdexcept>
#include <string>

namespace morvane::cli {

/// A failure the command line reports as "morvane-cli: MESSAGE" with its own
/// exit status: 1 for unusable input or unwritable output.
class CliError : public std::runtime_error {
public:
    CliError(int exitCode, const std::string& message);
    int ExitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

/// "cannot read 'PATH': REASON", exit status 1.
CliError CannotRead(const std::string& path, const std::string& reason);

/// "cannot write 'PATH': REASON", exit status 1.
CliError CannotWrite(const std::string& path, const std::string& reason);

}  // namespace morvane::cli
