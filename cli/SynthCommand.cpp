#include "cli/SynthCommand.h"

#include <memory>
#include <optional>
#include <utility>
#include <stdexcept>
#include <string>

#include "recording/RecordingWriter.h"
#include "channel/HfChannel.h"
#include "cli/ChannelOptions.h"
#include "cli/CliError.h"
#include "cli/CodeOptions.h"
#include "cli/NumberChecks.h"
#include "cli/OutputFile.h"
#include "cli/SitorDecode.h"
#include "cli/SitorSynthOptions.h"
#include "synth/RttySynth.h"
#include "dsp/SampleFormat.h"

namespace morvane::cli {

namespace {
struct SynthOptions {
    std::string text;
    RttySynthSettings settings;
    std::string stopBits = "1.5";
    double snrDb = 0.0;
    CodeOptions code;
    ChannelOptions channel;
    SitorSynthChoice sitor;
    std::string output;
};
}  // namespace

void AddSynthCommand(CLI::App& app) {
    auto options = std::make_shared<SynthOptions>();
    RttySynthSettings& s = options->settings;
    CLI::App* command = app.add_subcommand(
        "synth", "Write a teleprinter test signal: the text in 5-bit code (or the code --code names), mark "
                 "for 1 and the stop bits, space for 0 and the start bit");
    command->add_option("--text", options->text,
                        "Text to send: letters (any case), digits, space, line breaks and - / . , : ( ) ! & "
                        "(baudot-us also $ ' \" # ; ? and the bell; ascii7 any ASCII character; ascii8 any byte)")
        ->required();
    command->add_option("--mark", s.markHz, "Mark tone in Hz (bit 1; the low tone by default)")
        ->check(ToneFrequency())
        ->capture_default_str();
    command->add_option("--space", s.spaceHz, "Space tone in Hz (bit 0)")->check(ToneFrequency())->capture_default_str();
    command->add_option("--baud", s.baud, "Bits per second")->check(FiniteRange(1.0, static_cast<double>(kSampleRate)))->capture_default_str();
    command->add_option("--stop-bits", options->stopBits, "Length of the stop element in bits")
        ->check(CLI::IsMember({"1", "1.5", "2"}))
        ->capture_default_str();
    command->add_option("--idle", s.idleSeconds, "Seconds of steady mark before and after the text")
        ->check(FiniteRange(0.0, 60.0))
        ->capture_default_str();
    CLI::Option* snr = command->add_option("--snr", options->snrDb,
                                           "Add white Gaussian noise at this signal-to-noise ratio in dB, "
                                           "measured in a 3 kHz bandwidth (with a channel option: at the "
                                           "receiver, over the signal's mean power)")
                           ->check(FiniteRange(-60.0, 200.0));
    command->add_option("--seed", s.seed, "Noise seed; the same seed gives the same noise (and fading)")
        ->check(UnsignedWholeNumber())->capture_default_str();
    AddCodeOptions(command, options->code);
    AddChannelOptions(command, options->channel);
    AddSitorSynthOptions(command, options->sitor);
    command->add_option("-o,--output", options->output, "WAV file to write")->required();
    command->callback([options, snr, command] {
        RttySynthSettings settings = options->settings;
        const bool sitorB = SitorCodeNamed(options->code.code);
        if (!sitorB && options->sitor.navtex) throw CLI::ValidationError("--navtex", "goes with --code sitor-b");
        if (!sitorB) settings.code = ChosenCode(options->code);
        settings.stopBits = std::stod(options->stopBits);
        if (snr->count() > 0) settings.snrDb = options->snrDb;
        // Through a channel the noise is added at the receiver, after the fading.
        const bool channel = AnyChannelOption(options->channel);
        std::optional<double> receiverSnr;
        if (channel) std::swap(receiverSnr, settings.snrDb);
        std::vector<std::int16_t> samples;
        try {
            samples = sitorB ? SynthesizeSitorCommand(options->text, settings, options->sitor, *command)
                             : SynthesizeRtty(options->text, settings);
        } catch (const std::invalid_argument& e) {
            throw CLI::ValidationError("--text", e.what());
        }
        if (channel) {
            try {
                samples = ApplyChannel(samples, ChosenChannel(options->channel, receiverSnr, settings.seed));
            } catch (const std::invalid_argument& e) {
                throw CLI::ValidationError("--channel", e.what());
            }
        }
        OutputFile out(options->output);
        try {
            WriteWav16Mono(out.File(), out.Name(), samples);
        } catch (const std::runtime_error& e) {
            throw CliError(1, e.what());
        }
        out.Commit();
    });
}

}  // namespace morvane::cli
