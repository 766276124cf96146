#include "cli/DecodeCommand.h"

#include <limits>
#include <memory>

#include "cli/BitsCommand.h"
#include "cli/NumberChecks.h"
#include "cli/TextOutput.h"
#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"

namespace morvane::cli {

namespace {
struct DecodeOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    std::int32_t ignore = 0;
    bool reverseBits = false;
    bool reverseDirection = false;
    bool showBits = false;
    std::string output;
};
}  // namespace

void AddDecodeCommand(CLI::App& app) {
    auto options = std::make_shared<DecodeOptions>();
    CLI::App* command = app.add_subcommand(
        "decode", "Decode the extracted bits as Baudot 5-bit code, one character per raster row. The bits are "
                  "first inverted (--reverse-bits), then read backwards (--reverse-direction), then their first "
                  "--ignore bits of every row are marked '_' and skipped. Prints the decoded text and CR LF");
    AddLevelSourceOptions(command, options->source);
    AddRasterOptions(command, options->raster);
    command->add_option("--ignore", options->ignore,
                        "Leading bits of every row that are not part of the code (0 or less: none)")
        ->check(WholeNumber(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))
        ->capture_default_str();
    command->add_flag("--reverse-bits", options->reverseBits, "Swap every 0 and 1 (tones the other way round)");
    command->add_flag("--reverse-direction", options->reverseDirection, "Read every row from its end");
    command->add_flag("--show-bits", options->showBits,
                      "First print the working bits after the transformations, then an empty line, then the text");
    command->add_option("-o,--output", options->output, "Write to FILE instead of standard output");
    command->callback([options] {
        const std::string source = RecordingBits(options->source, options->raster);
        const std::string bits =
            PrepareBits(source, options->reverseBits, options->reverseDirection, options->ignore);
        std::string text;
        DecodeBaudot(bits, options->ignore, text);
        TextOutput out(options->output);
        if (options->showBits) {
            out.Write(bits);
            out.Write("\r\n");
        }
        out.Write(text);
        out.Write("\r\n");
        out.Close();
    });
}

}  // namespace morvane::cli
