#include "cli/SitorSynthOptions.h"

#include <stdexcept>

#include "cli/NumberChecks.h"
#include "sitor/SitorSynth.h"

namespace morvane::cli {

void AddSitorSynthOptions(CLI::App* command, SitorSynthChoice& choice) {
    command->add_option("--navtex", choice.navtex,
                        "With --code sitor-b: send the text as the NAVTEX message B1B2B3B4 (ZCZC B1B2B3B4, the "
                        "text, NNNN), such as EA01");
    command->add_option("--phasing", choice.phasingSeconds,
                        "With --code sitor-b: seconds of phasing signals before the text")
        ->check(FiniteRange(0.0, 60.0))
        ->capture_default_str();
}

std::vector<std::int16_t> SynthesizeSitorCommand(const std::string& text, const RttySynthSettings& settings,
                                                 const SitorSynthChoice& choice, const CLI::App& command) {
    for (const char* name : {"--stop-bits", "--parity"})
        if (command.count(name) > 0) throw CLI::ValidationError(name, "SITOR-B words have no start, stop or parity bits");
    sitor::SitorSynthSettings s;
    if (command.count("--mark") > 0) s.markHz = settings.markHz;
    if (command.count("--space") > 0) s.spaceHz = settings.spaceHz;
    if (command.count("--baud") > 0) s.baud = settings.baud;
    s.idleSeconds = settings.idleSeconds;
    s.phasingSeconds = choice.phasingSeconds;
    s.snrDb = settings.snrDb;
    s.seed = settings.seed;
    try {
        return sitor::SynthesizeSitorB(choice.navtex ? sitor::NavtexText(*choice.navtex, text) : text, s);
    } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError(choice.navtex ? "--navtex/--text" : "--text", e.what());
    }
}

}  // namespace morvane::cli
