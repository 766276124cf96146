#include "cli/DecodeCommand.h"

#include <limits>
#include <memory>
#include <optional>

#include <cstdio>

#include "align/FrameSoftBits.h"
#include "align/SoftTimeTrueSignal.h"
#include "align/TimeTrueRaster.h"
#include "cli/AutoAlign.h"
#include "cli/BitsCommand.h"
#include "cli/CliError.h"
#include "cli/CodeOptions.h"
#include "cli/NumberChecks.h"
#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"
#include "cli/TextOutput.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "decode/TextFollower.h"
#include "raster/BitRowStream.h"
#include "raster/SoftRowStream.h"
#include "cli/FollowSource.h"
#include "cli/LiveTextFollow.h"
#include "cli/ReceiverDecode.h"

namespace morvane::cli {

namespace {
struct DecodeOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    SoftOptions soft;
    CodeOptions code;
    std::int32_t ignore = 0;
    bool reverseBits = false;
    bool reverseDirection = false;
    bool showBits = false;
    bool autoAlign = false;
    bool follow = false;
    std::string output;
    ReceiverChoice receiver;
};

// The working bits and ignore count of decode --auto: the recording aligned
// by the program, with every option given on the command line winning over
// what was found. Without raster options the frames are read as they were
// followed on the time line (one row per frame: start, data and parity bits,
// stop), so a recording of any length decodes whole. With --soft every bit
// (or raster cell) is decided from the tone correlations summed over it.
// `code` (as given) becomes the code found unless --code names one; the
// parity bit found goes with it unless --code or --parity is given.
std::string AutoBits(const DecodeOptions& options, const CLI::App& command, std::int32_t& ignore, CodeSettings& code) {
    const bool soft = options.soft.soft;
    if (soft && options.raster.timeTrue)
        throw CLI::ValidationError("--soft", "does not combine with --time-true yet");
    const auto given = [&](const char* name) { return command.count(name) > 0; };
    const bool raster = given("--count") || given("--offset") || given("--slant") || given("--grid-width");
    if (soft && options.soft.trim != 0 && !raster)
        throw CLI::ValidationError("--soft-trim", "trims the cells of a raster: give --count, --offset, --slant "
                                                  "or --grid-width with --auto, or leave it out");
    const AlignedRecording r = AlignRecording(options.source, options.raster.demod, command, soft);
    if (!r.alignment.found) throw CliError(kNothingFound, r.alignment.reason);
    const FrameAlignment& a = r.alignment;
    std::fprintf(stderr, "morvane-cli: aligned: %.3f baud, %g stop bits, %s, confidence %.2f: %s\n", a.baud,
                 a.model.stopBits, CodeSettingsName(a.code).c_str(), a.confidence, OptionLine(r).c_str());
    if (!given("--code")) {
        code.code = a.code.code;
        if (!given("--parity")) code.parity = a.code.parity;
    }
    if (!IsAscii(code.code) && code.parity != Parity::None)
        throw CLI::ValidationError("--parity", "only with an ASCII code (" + std::string(TextCodeName(code.code)) +
                                                   " has no parity bit)");
    const bool reverseBits = options.reverseBits || a.reverseBits;
    const bool reverseDirection = command.count("--reverse-direction") > 0 || a.reverseDirection;
    std::string source;
    if (raster) {
        RasterParams params = a.raster;
        if (given("--count")) params.count = options.raster.params.count;
        if (given("--offset")) params.offset = options.raster.params.offset;
        if (given("--slant")) params.slant = options.raster.params.slant;
        if (given("--grid-width")) params.gridWidth = options.raster.params.gridWidth;
        const std::int32_t cell = params.gridWidth / 2;
        if (soft && cell >= 1 && options.soft.trim > (cell - 1) / 2)
            throw CLI::ValidationError("--soft-trim", std::to_string(options.soft.trim) +
                                                          " leaves no window of a cell of " + std::to_string(cell) +
                                                          " (at most " + std::to_string((cell - 1) / 2) + ")");
        if (soft)
            source = ExtractSoftBits(r.soft, params, options.soft.trim);
        else
            source = options.raster.timeTrue ? ExtractBits(TimeTrueRows(r.levels, r.timeline, params), params)
                                             : ExtractBits(r.levels, params);
        ignore = given("--ignore") ? options.ignore : a.ignore;
    } else {
        if (soft) {
            // The frames followed again on the soft keying, which noise
            // flips far more rarely than single levels, then read soft.
            const TimeTrueSignal keying = MakeSoftTimeTrueSignal(r.signal, r.timeline, r.soft, a.model.bit);
            source = FrameSoftBits(keying, r.timeline, r.soft, a.model, TrackFrames(keying, a.model));
        } else {
            source = FrameBits(r.signal, a.model, r.frames);
        }
        ignore = given("--ignore") ? options.ignore : 1;
    }
    return PrepareBits(source, reverseBits, reverseDirection, ignore);
}

// decode --auto --follow: the program finds and follows the transmissions
// itself, as the live text does. Options that would set what the frames
// decide are refused rather than ignored.
void FollowAuto(const DecodeOptions& o, const CLI::App& command, const CodeSettings& code) {
    for (const char* name : {"--count", "--offset", "--slant", "--grid-width", "--grid-shift", "--ignore",
                             "--reverse-bits", "--reverse-direction", "--time-true", "--soft-trim"})
        if (command.count(name) > 0)
            throw CLI::ValidationError(name, "does not combine with --auto --follow, which follows the frames it "
                                             "finds");
    const bool codeGiven = command.count("--code") > 0 || command.count("--parity") > 0;
    const ToneSearch search{command.count("--low") == 0, command.count("--high") == 0};
    FollowLiveText(o.source, o.raster.demod, search, codeGiven ? std::optional<CodeSettings>(code) : std::nullopt,
                   o.soft.soft, o.output);
}

// Prints every character as soon as its row has arrived; in the end the
// output is the same as without --follow (with --soft: as decode --soft).
void FollowText(const DecodeOptions& o, const CLI::App& command, const CodeSettings& code) {
    if (o.showBits) throw CLI::ValidationError("--show-bits", "not with --follow: the text is printed as it comes");
    if (o.autoAlign) {
        FollowAuto(o, command, code);
        return;
    }
    if (o.soft.soft && o.raster.timeTrue)
        throw CLI::ValidationError("--soft", "does not combine with --time-true yet");
    const std::int32_t cell = o.raster.params.gridWidth / 2;
    if (o.soft.soft && cell >= 1 && o.soft.trim > (cell - 1) / 2)
        throw CLI::ValidationError("--soft-trim", std::to_string(o.soft.trim) + " leaves no window of a cell of " +
                                                      std::to_string(cell) + " (at most " +
                                                      std::to_string((cell - 1) / 2) + ")");
    if (o.raster.params.gridWidth < 2)
        std::fprintf(stderr, "morvane-cli: grid width %d leaves no bit cell (a cell is width / 2 levels): no bits\n",
                     static_cast<int>(o.raster.params.gridWidth));
    TextOutput out(o.output);
    BitRowStream stream(o.raster.params);
    std::optional<SoftRowStream> softStream;
    if (o.soft.soft) softStream.emplace(o.raster.params, o.soft.trim);
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
    if (softStream) {
        DemodSettings demod = o.raster.demod;
        FollowStream(o.source, demod, {}, true,
                     [&](const std::vector<std::int32_t>&, const LevelTimeline&, const std::vector<SoftWindow>& soft,
                         bool ended) {
                         if (ended) return;
                         softStream->Extend(soft, rows);
                         print();
                     });
        softStream->Finish(rows);
    } else {
        StreamLevels(o.source, o.raster.demod, [&](const std::int32_t* more, std::size_t count) {
            stream.Append(more, count, rows);
            print();
        });
        stream.Finish(rows);
    }
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
    AddSoftOptions(command, options->soft);
    command->add_option("--ignore", options->ignore,
                        "Leading bits of every row that are not part of the code (0 or less: none)")
        ->check(WholeNumber(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))
        ->capture_default_str();
    command->add_flag("--reverse-bits", options->reverseBits, "Swap every 0 and 1 (tones the other way round)");
    command->add_flag("--reverse-direction", options->reverseDirection, "Read every row from its end");
    AddCodeOptions(command, options->code);
    command->add_flag("--show-bits", options->showBits,
                      "First print the working bits after the transformations, then an empty line, then the text");
    command->add_flag("--auto", options->autoAlign,
                      "Find the tones (unless given), the frames and their code, and decode the whole recording, "
                      "following the sender's drift on the sound's time line. Options given as well win over what "
                      "is found (--code, and --parity for the ASCII code found); "
                      "with --count, --offset, --slant or --grid-width the raster is read instead of the frames. "
                      "With --soft the frames are followed and read on the tone correlations summed over each bit");
    command->add_flag("--follow", options->follow,
                      "Print every character as soon as its raster row has arrived (a recording, - for standard "
                      "input, or --live), flushing the output each time: a running teleprinter. With --soft the "
                      "cells are decided soft. With --auto the program finds the transmissions itself as they "
                      "come (the tones from the first seconds unless --low and --high are given), follows their "
                      "frames and starts each one on a new line; its header (time, rate, tones, code) goes to "
                      "standard error");
    command->add_option("-o,--output", options->output, "Write to FILE instead of standard output");
    AddReceiverOptions(command, options->receiver);
    command->callback([options, command] {
        // With --auto the code found may bring the parity bit: checked there.
        CodeSettings code = options->autoAlign ? CodeSettings{TextCodeFromName(options->code.code).value_or(TextCode::Baudot),
                                                              ParityFromName(options->code.parity).value_or(Parity::None)}
                                               : ChosenCode(options->code);
        if (options->autoAlign && UseReceiver(options->receiver, options->source, *command)) {
            ReceiverDecode(options->source, ReceiverSettings(options->receiver, options->raster.demod, *command),
                           options->follow, options->output);
            return;
        }
        if (options->follow) {
            FollowText(*options, *command, code);
            return;
        }
        std::int32_t ignore = options->ignore;
        std::string bits;
        if (options->autoAlign) {
            bits = AutoBits(*options, *command, ignore, code);
        } else {
            const std::string source = RecordingBits(options->source, options->raster, options->soft);
            bits = PrepareBits(source, options->reverseBits, options->reverseDirection, options->ignore);
        }
        std::string text;
        DecodeText(bits, ignore, code, text);
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
