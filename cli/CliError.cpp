#include "cli/CliError.h"

namespace morvane::cli {

CliError::CliError(int exitCode, const std::string& message) : std::runtime_error(message), m_exitCode(exitCode) {}

CliError CannotRead(const std::string& path, const std::string& reason) {
    return CliError(1, "cannot read '" + path + "': " + reason);
}

CliError CannotWrite(const std::string& path, const std::string& reason) {
    return CliError(1, "cannot write '" + path + "': " + reason);
}

}  // namespace morvane::cli
