#include "cli/SpectrumCommand.h"

#include <limits>
#include <memory>
#include <string>

#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "cli/CliError.h"
#include "cli/LevelSource.h"
#include "cli/NumberChecks.h"
#include "cli/SharedRules.h"
#include "cli/TextOutput.h"
#include "dsp/Spectrum.h"

namespace morvane::cli {

namespace {
struct SpectrumOptions {
    std::string recording;
    std::int32_t channel = 1;
    std::int64_t block = 0;
    std::string output;
};
}  // namespace

void AddSpectrumCommand(CLI::App& app) {
    auto options = std::make_shared<SpectrumOptions>();
    CLI::App* command = app.add_subcommand(
        "spectrum", "Print the waterfall levels (0 ... 255, one per 11.71875 Hz bin) of bins 0 ... 4095 of one "
                    "65 536-byte block of a recording, one level a line");
    command->add_option("REC", options->recording,
                        "Recording (any format and rate), or - for raw signed 16-bit little-endian mono 48 kHz "
                        "samples on standard input")
        ->required();
    command->add_option("--channel", options->channel, "Channel of a multi-channel recording; 1 is the first")
        ->check(ChannelNumber())
        ->capture_default_str();
    command->add_option("--block", options->block, "Block number, 0 for the first (0.68 s a block)")
        ->check(WholeNumber(0, std::numeric_limits<std::int64_t>::max()))
        ->capture_default_str();
    AddOutputOption(command, options->output);
    command->callback([options] {
        RecordingReader reader(options->recording, options->channel);
        ReportWarning(reader);
        std::int64_t blocks = 0;
        const auto samples = RecordingBlock(reader, options->block, &blocks);
        if (!samples)
            throw CannotRead(reader.Name(), "no block " + std::to_string(options->block) + ": the recording has " +
                                                std::to_string(blocks) + (blocks == 1 ? " block" : " blocks"));
        std::unique_ptr<float[]> spectrum;
        ComputeSpectrum(samples->data(), spectrum, kFftSize);
        TextOutput out(options->output);
        for (std::int32_t bin = 0; bin < kFftSize; ++bin) out.WriteLine(SpectrumLevel(spectrum[2 * bin], spectrum[2 * bin + 1]));
        out.Close();
    });
}

}  // namespace morvane::cli
