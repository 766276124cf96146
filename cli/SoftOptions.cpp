#include "cli/SoftOptions.h"

namespace morvane::cli {

void AddSoftOptions(CLI::App* command, SoftOptions& options) {
    CLI::Option* soft = command->add_flag(
        "--soft", options.soft,
        "Soft decision: decide every cell from the two tone energies summed over it (never undecided), "
        "instead of counting high and low levels");
    command->add_option("--soft-trim", options.trim,
                        "With --soft: windows left out at each end of a cell (0 ... (grid-width / 2 - 1) / 2)")
        ->needs(soft)
        ->check(CLI::Range(0, 1 << 29))
        ->default_str("0");
}

}  // namespace morvane::cli
