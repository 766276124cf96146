#include "cli/AlignCommand.h"

#include <memory>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/RasterOptions.h"
#include "cli/SharedRules.h"
#include "cli/TextOutput.h"

namespace morvane::cli {

namespace {
struct AlignOptions {
    LevelSourceOptions source;
    ToneOptions tones;
    std::string output;
};
}  // namespace

void AddAlignCommand(CLI::App& app) {
    auto options = std::make_shared<AlignOptions>();
    CLI::App* command = app.add_subcommand(
        "align", "Find the tones (unless given), the bit rate, stop bits, character code (Baudot or ASCII with "
                 "7 or 8 data bits and its parity bit, and why), frame period, polarity, reading direction and "
                 "bits to ignore of a recording; print them, a confidence from 0 to 1, and the options that read "
                 "it with raster, bits, decode and report. Exit status 3 when nothing is found");
    AddLevelSourceOptions(command, options->source);
    AddToneOptions(command, options->tones);
    AddOutputOption(command, options->output);
    command->callback([options] {
        const AlignedRecording r = AlignRecording(options->source, options->tones);
        TextOutput out(options->output);
        out.Write(AlignmentReport(r));
        if (r.alignment.found) out.Write("options: " + OptionLine(r) + "\n");
        out.Close();
        if (!r.alignment.found) throw CliError(kNothingFound, r.alignment.reason);
    });
}

}  // namespace morvane::cli
