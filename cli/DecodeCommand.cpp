#include "cli/DecodeCommand.h"

#include <cstdio>
#include <memory>

#include "cli/BitsCommand.h"
#include "cli/CodeOptions.h"
#include "cli/TextOutput.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "decode/TextFollower.h"
#include "raster/BitRowStream.h"

namespace morvane::cli {

namespace {
struct DecodeOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    CodeOptions code;
    std::int32_t ignore = 0;
    bool reverseBits = false;
    bool reverseDirection = false;
    bool showBits = false;
    bool follow = false;
    std::string output;
};

// Prints every character as soon as its row has arrived; in the end the
// output is the same as without --follow.
void FollowText(const DecodeOptions& o, const CodeSettings& code) {
    if (o.showBits) throw CLI::ValidationError("--show-bits", "not with --follow: the text is printed as it comes");
    if (o.raster.params.gridWidth < 2)
        std::fprintf(stderr, "morvane-cli: grid width %d leaves no bit cell (a cell is width / 2 levels): no bits\n",
                     static_cast<int>(o.raster.params.gridWidth));
    TextOutput out(o.output);
    BitRowStream stream(o.raster.params);
    TextFollower follower(code, o.reverseBits, o.reverseDirection, o.ignore);
    std::string rows, text;
    const auto print = [&] {
        follower.Rows(rows, text);
        rows.clear();
        if (text.empty()) return;
        out.Write(text);
        out.Flush();
        text.clear();
    };
    ObtainLevels(o.source, o.raster.demod, [&](const std::vector<std::int32_t>& levels) {
        stream.Extend(levels, rows);
        print();
    });
    stream.Finish(rows);
    print();
    out.Write("\r\n");
    out.Close();
}
}  // namespace

void AddDecodeCommand(CLI::App& app) {
    auto options = std::make_shared<DecodeOptions>();
    CLI::App* command = app.add_subcommand(
        "decode", "Decode the extracted bits, one character per raster row, as Baudot 5-bit code or the code "
                  "--code names. The bits are first inverted (--reverse-bits), then read backwards "
                  "(--reverse-direction), then their first --ignore bits of every row are marked '_' and "
                  "skipped; the next bits are the code group, the first one most significant. Prints the "
                  "decoded text and CR LF");
    AddLevelSourceOptions(command, options->source);
    AddRasterOptions(command, options->raster);
    command->add_option("--ignore", options->ignore,
                        "Leading bits of every row that are not part of the code (0 or less: none)")
        ->capture_default_str();
    command->add_flag("--reverse-bits", options->reverseBits, "Swap every 0 and 1 (tones the other way round)");
    command->add_flag("--reverse-direction", options->reverseDirection, "Read every row from its end");
    AddCodeOptions(command, options->code);
    command->add_flag("--show-bits", options->showBits,
                      "First print the working bits after the transformations, then an empty line, then the text");
    command->add_flag("--follow", options->follow,
                      "Print every character as soon as its raster row has arrived (a recording, - for standard "
                      "input, or --live), flushing the output each time: a running teleprinter");
    command->add_option("-o,--output", options->output, "Write to FILE instead of standard output");
    command->callback([options] {
        const CodeSettings code = ChosenCode(options->code);
        if (options->follow) {
            FollowText(*options, code);
            return;
        }
        const std::string source = RecordingBits(options->source, options->raster);
        const std::string bits =
            PrepareBits(source, options->reverseBits, options->reverseDirection, options->ignore);
        std::string text;
        DecodeText(bits, options->ignore, code, text);
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
