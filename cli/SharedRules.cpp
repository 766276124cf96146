#include "cli/SharedRules.h"

#include "cli/SoftOptions.h"

namespace morvane::cli {

CLI::Option* AddOutputOption(CLI::App* command, std::string& output, const std::string& help) {
    return command->add_option("-o,--output", output, help);
}

void CheckSoftNotTimeTrue(const SoftOptions& soft, bool timeTrue) {
    if (soft.soft && timeTrue) throw CLI::ValidationError("--soft", "does not combine with --time-true yet");
}

void CheckSoftTrim(const SoftOptions& soft, std::int32_t gridWidth) {
    const std::int32_t cell = gridWidth / 2;
    const std::int32_t trim = soft.Trim();
    if (soft.soft && cell >= 1 && trim > (cell - 1) / 2)
        throw CLI::ValidationError("--soft-trim", std::to_string(trim) + " leaves no window of a cell of " +
                                                      std::to_string(cell) + " (at most " +
                                                      std::to_string((cell - 1) / 2) + ")");
}

void CheckParity(const CodeSettings& code, bool found) {
    if (IsAscii(code.code) || code.parity == Parity::None) return;
    if (!found) throw CLI::ValidationError("--parity", "only with --code ascii7 or ascii8 (Baudot has no parity bit)");
    throw CLI::ValidationError("--parity", "only with an ASCII code (" + std::string(TextCodeName(code.code)) +
                                               " has no parity bit)");
}

}  // namespace morvane::cli
