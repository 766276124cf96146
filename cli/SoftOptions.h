#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>

namespace morvane::cli {

/// The soft reading: every cell decided from the tone energies summed over it.
struct SoftOptions {
    bool soft = false;                  // --soft: read the energies instead of the levels
    std::optional<std::int32_t> trim;   // --soft-trim N: windows left out at each end of a cell

    std::int32_t Trim() const { return trim.value_or(0); }
};

/// Adds --soft and --soft-trim N (0 ... (cell - 1) / 2; only with --soft).
void AddSoftOptions(CLI::App* command, SoftOptions& options);

}  // namespace morvane::cli
