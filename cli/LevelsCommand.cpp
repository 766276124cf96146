#include "cli/LevelsCommand.h"

#include <memory>

#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"
#include "cli/TextOutput.h"

namespace morvane::cli {

namespace {
struct LevelsOptions {
    LevelSourceOptions source;
    DemodSettings demod;
    std::string output;
};
}  // namespace

void AddLevelsCommand(CLI::App& app) {
    auto options = std::make_shared<LevelsOptions>();
    CLI::App* command = app.add_subcommand("levels", "Demodulate a recording and print its level stream, one level a line "
                                                     "(128 silence, above 128 tone 1 stronger)");
    AddLevelSourceOptions(command, options->source);
    AddToneOptions(command, options->demod);
    command->add_option("-o,--output", options->output, "Write to FILE instead of standard output");
    command->callback([options] {
        const std::vector<std::int32_t> levels = ObtainLevels(options->source, options->demod);
        TextOutput out(options->output);
        for (std::int32_t level : levels) out.WriteLine(level);
        out.Close();
    });
}

}  // namespace morvane::cli
