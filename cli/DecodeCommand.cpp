#include "cli/DecodeCommand.h"

#include <limits>
#include <memory>

#include "cli/AutoDecode.h"
#include "cli/AutoAlign.h"
#include "cli/BitsCommand.h"
#include "cli/CliError.h"
#include "cli/DecodeOptions.h"
#include "cli/FollowDecode.h"
#include "cli/NumberChecks.h"
#include "cli/SharedRules.h"
#include "cli/SitorFollow.h"
#include "cli/TextOutput.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "cli/ReceiverDecode.h"
#include "cli/AllSignalsDecode.h"

namespace morvane::cli {

namespace {

// The raster as the options lay it out, read and decoded.
void DecodeRaster(const DecodeOptions& o) {
    const CodeSettings code = ChosenCode(o.code);
    const std::string source = RecordingBits(o.source, o.raster, o.soft);
    WriteDecoded(o, PrepareBits(source, o.reverseBits, o.reverseDirection, o.Ignore()), o.Ignore(), code);
}

// One way of decoding: the first row that fits the words given runs.
struct Runner {
    bool autoAlign;
    bool follow;
    bool needsSoft;
    void (*run)(const DecodeOptions&);
};

constexpr Runner kRunners[] = {
    {true, true, false, &FollowAuto},    // --auto --follow: the live text (--soft inside)
    {false, true, true, &FollowSoft},    // --follow --soft
    {false, true, false, &FollowRaster}, // --follow
    {true, false, false, &DecodeAuto},   // --auto (--soft inside)
    {false, false, false, &DecodeRaster},
};

// A tone given with --low or --high.
std::optional<double> GivenTone(const std::optional<float>& hz) {
    if (!hz) return std::nullopt;
    return static_cast<double>(*hz);
}

// --code sitor-b: read from the sound, whole or (--follow, --live) as it comes.
void RunSitor(const DecodeOptions& o) {
    if (o.code.parity) throw CLI::ValidationError("--parity", "SITOR-B words have no parity bit");
    DecodeOptions asRecording = o;  // live sound is read from the samples too
    asRecording.source.live = false;
    if (!UseReceiver(asRecording) || o.soft.soft)
        throw CLI::ValidationError("--code", "sitor-b is read from the samples: no raster options, --soft, --reader "
                                             "levels, --reverse-bits, --reverse-direction, --ignore, --show-bits or "
                                             "--time-true");
    if (o.follow || o.source.live)
        return SitorFollow(o.source, GivenTone(o.raster.tones.low), GivenTone(o.raster.tones.high), o.sitor, o.output);
    SitorDecode(o.source, GivenTone(o.raster.tones.low), GivenTone(o.raster.tones.high), o.sitor,
                o.output);
}

// The options as they would read a recording: live sound is read from the
// samples as a recording is (--all).
DecodeOptions LiveAsRecorded(DecodeOptions o) {
    o.source.live = false;
    return o;
}

void RunDecode(const DecodeOptions& o) {
    if (SitorCodeNamed(o.code.code)) return RunSitor(o);
    if (o.sitor.navtex && !o.autoAlign) throw CLI::ValidationError("--navtex", "NAVTEX messages come with --code sitor-b or --auto");
    // A parity bit with a Baudot code named, before anything is read (with
    // --auto and --parity alone: once the code is found).
    if (!o.autoAlign || o.code.code) ChosenCode(o.code);
    if (o.follow && o.showBits)
        throw CLI::ValidationError("--show-bits", "not with --follow: the text is printed as it comes");
    CheckAllSignals(o.all, o.autoAlign, o.raster.tones.low || o.raster.tones.high, UseReceiver(LiveAsRecorded(o)));
    if (o.all) {
        AllSignalsDecode(o.source, ReceiverSettings(o.receiver, o.raster.tones, o.code), o.follow, o.output);
        return;
    }
    // --auto on a recording or standard input is read from the samples by
    // the receiver, unless the level-stream reading is asked for.
    if (o.autoAlign && UseReceiver(o)) {
        if (!o.code.Given() && !o.follow &&
            SitorAutoDecode(o.source, GivenTone(o.raster.tones.low), GivenTone(o.raster.tones.high),
                            o.sitor, o.output))
            return;
        if (o.sitor.navtex) throw CliError(kNothingFound, "--navtex: no SITOR-B in the first minute");
        std::optional<Parity> parityAlone;
        if (!o.code.code && o.code.parity) parityAlone = o.code.Named().parity;
        ReceiverDecode(o.source, ReceiverSettings(o.receiver, o.raster.tones, o.code), o.follow, o.output, parityAlone);
        return;
    }
    for (const Runner& runner : kRunners)
        if (runner.autoAlign == o.autoAlign && runner.follow == o.follow && (!runner.needsSoft || o.soft.soft)) {
            runner.run(o);
            return;
        }
}

}  // namespace

void WriteDecoded(const DecodeOptions& options, const std::string& bits, std::int32_t ignore,
                  const CodeSettings& code) {
    std::string text;
    DecodeText(bits, ignore, code, text);
    TextOutput out(options.output);
    if (options.showBits) {
        out.Write(bits);
        out.Write("\r\n");
    }
    out.Write(text);
    out.Write("\r\n");
    out.Close();
}

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
        ->default_str("0");
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
                      "With --soft the frames are followed and read on the tone correlations summed over each bit. "
                      "SITOR-B (NAVTEX) in a recording's first minute is found and read as --code sitor-b reads it");
    command->add_flag("--follow", options->follow,
                      "Print every character as soon as its raster row has arrived (a recording, - for standard "
                      "input, or --live), flushing the output each time: a running teleprinter. With --soft the "
                      "cells are decided soft. With --auto the program finds the transmissions itself as they "
                      "come (the tones from the first seconds unless --low and --high are given), follows their "
                      "frames and starts each one on a new line; its header (time, rate, tones, code) goes to "
                      "standard error");
    AddOutputOption(command, options->output);
    AddReceiverOptions(command, options->receiver);
    AddSitorOptions(command, options->sitor);
    command->add_flag("--all", options->all,
                      "With --auto: find every keyed signal in 100 ... 4000 Hz and read each with its own rate, "
                      "code and squelch; one block per signal in the order of its lower tone, a first line "
                      "'== TIME · RATE · TONES · CODE · quality · dB' and its text. With --follow every line as it "
                      "comes, opened with its signal's tones ([1500/1950] ), the headers to standard error. "
                      "Also with --live (the headers' time of day)");
    command->callback([options] { RunDecode(*options); });
}

}  // namespace morvane::cli
