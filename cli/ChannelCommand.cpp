#include "cli/ChannelCommand.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "channel/HfChannel.h"
#include "cli/ChannelOptions.h"
#include "cli/CliError.h"
#include "cli/LevelSource.h"
#include "cli/NumberChecks.h"
#include "cli/OutputFile.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWriter.h"

namespace morvane::cli {

namespace {
struct ChannelCommandOptions {
    std::string recording;
    std::int32_t inputChannel = 1;
    ChannelOptions channel;
    double snrDb = 0.0;
    std::uint64_t seed = 1;
    std::string output;
};

}  // namespace

void AddChannelCommand(CLI::App& app) {
    auto options = std::make_shared<ChannelCommandOptions>();
    CLI::App* command = app.add_subcommand(
        "channel", "Write a recording as heard through an HF channel: fading paths, frequency offset and drift, "
                   "carriers, other recordings and noise (held in memory whole)");
    command->add_option("REC", options->recording,
                        "Recording (any format and rate), or - for raw signed 16-bit little-endian mono 48 kHz "
                        "samples on standard input")
        ->required();
    command->add_option("--input-channel", options->inputChannel, "Channel of a multi-channel recording; 1 is the first")
        ->check(ChannelNumber())
        ->capture_default_str();
    AddChannelOptions(command, options->channel);
    CLI::Option* snr = command->add_option("--snr", options->snrDb,
                                           "Add white Gaussian noise: the signal's mean power over the noise power "
                                           "in a 3 kHz bandwidth, in dB")
                           ->check(FiniteRange(-60.0, 200.0));
    command->add_option("--seed", options->seed, "Seed of the fading and the noise; the same seed gives the same sound")
        ->check(UnsignedWholeNumber())
        ->capture_default_str();
    command->add_option("-o,--output", options->output, "WAV file to write")->required();
    command->callback([options, snr] {
        const std::vector<std::int16_t> in = ReadWholeRecording(options->recording, options->inputChannel);
        std::optional<double> snrDb;
        if (snr->count() > 0) snrDb = options->snrDb;
        const ChannelSettings settings = ChosenChannel(options->channel, snrDb, options->seed);
        std::vector<std::int16_t> out;
        try {
            out = ApplyChannel(in, settings);
        } catch (const std::invalid_argument& e) {
            throw CliError(1, options->recording + ": " + e.what());
        }
        OutputFile file(options->output);
        try {
            WriteWav16Mono(file.File(), file.Name(), out);
        } catch (const std::runtime_error& e) {
            throw CliError(1, e.what());
        }
        file.Commit();
    });
}

}  // namespace morvane::cli
