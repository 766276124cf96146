#include "cli/LevelsCommand.h"

#include <memory>

#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"
#include "cli/SharedRules.h"
#include "cli/TextOutput.h"

namespace morvane::cli {

namespace {
struct LevelsOptions {
    LevelSourceOptions source;
    ToneOptions tones;
    std::string output;
};
}  // namespace

void AddLevelsCommand(CLI::App& app) {
    auto options = std::make_shared<LevelsOptions>();
    CLI::App* command = app.add_subcommand("levels", "Demodulate a recording and print its level stream, one level a line "
                                                     "(128 silence, above 128 tone 1 stronger)");
    AddLevelSourceOptions(command, options->source);
    AddToneOptions(command, options->tones);
    AddOutputOption(command, options->output);
    command->callback([options] {
        // Printed as they are produced: a long recording or a pipe from a
        // sound card needs no memory for the whole stream.
        TextOutput out(options->output);
        const bool live = options->source.live;
        LevelSource source(options->source, options->tones.Demod());
        source.Run(SourceRun::EachBlock([&out, live](const std::int32_t* levels, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) out.WriteLine(levels[i]);
            if (live) out.Flush();
            else out.FlushIfInteractive();
        }));
        out.Close();
    });
}

}  // namespace morvane::cli
