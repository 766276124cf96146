#include "cli/CodeOptions.h"

#include "cli/SharedRules.h"

namespace morvane::cli {

CodeSettings CodeOptions::Named() const {
    CodeSettings settings;
    settings.code = TextCodeFromName(code.value_or("baudot")).value_or(TextCode::Baudot);
    settings.parity = ParityFromName(parity.value_or("none")).value_or(Parity::None);
    return settings;
}

void AddCodeOptions(CLI::App* command, CodeOptions& options) {
    command->add_option("--code", options.code,
                        "Character code: baudot (5 bits), baudot-us (5 bits, US figures $ ' \" # ; ? and the bell), "
                        "ascii7 or ascii8 (7 or 8 data bits, least significant first), sitor-b (SITOR-B and NAVTEX: "
                        "100-baud CCIR 476 words sent twice)")
        ->check(CLI::IsMember({"baudot", "baudot-us", "ascii7", "ascii8", "sitor-b"}))
        ->default_str("baudot");
    command->add_option("--parity", options.parity, "ASCII parity bit after the data bits: none, even or odd")
        ->check(CLI::IsMember({"none", "even", "odd"}))
        ->default_str("none");
}

CodeSettings ChosenCode(const CodeOptions& options) {
    if (options.code && *options.code == "sitor-b")
        throw CLI::ValidationError("--code", "sitor-b is read from the sound by decode alone, not from raster rows");
    const CodeSettings settings = options.Named();
    CheckParity(settings, false);
    return settings;
}

}  // namespace morvane::cli
