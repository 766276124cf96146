#include "cli/CodeOptions.h"

namespace morvane::cli {

void AddCodeOptions(CLI::App* command, CodeOptions& options) {
    command->add_option("--code", options.code,
                        "Character code: baudot (5 bits), baudot-us (5 bits, US figures $ ' \" # ; ? and the bell), "
                        "ascii7 or ascii8 (7 or 8 data bits, least significant first)")
        ->check(CLI::IsMember({"baudot", "baudot-us", "ascii7", "ascii8"}))
        ->capture_default_str();
    command->add_option("--parity", options.parity, "ASCII parity bit after the data bits: none, even or odd")
        ->check(CLI::IsMember({"none", "even", "odd"}))
        ->capture_default_str();
}

CodeSettings ChosenCode(const CodeOptions& options) {
    CodeSettings settings;
    settings.code = TextCodeFromName(options.code).value_or(TextCode::Baudot);
    settings.parity = ParityFromName(options.parity).value_or(Parity::None);
    if (!IsAscii(settings.code) && settings.parity != Parity::None)
        throw CLI::ValidationError("--parity", "only with --code ascii7 or ascii8 (Baudot has no parity bit)");
    return settings;
}

}  // namespace morvane::cli
