#include "cli/LevelSource.h"

#include "capture/RecordingPipeline.h"
#include "capture/RecordingReader.h"

namespace morvane::cli {

void AddLevelSourceOptions(CLI::App* command, LevelSourceOptions& options) {
    command->add_option("REC", options.recording,
                        "Recording (WAV, FLAC, Ogg, AIFF, ... any rate), or - for raw signed 16-bit "
                        "little-endian mono 48 kHz samples on standard input");
    command->add_option("--channel", options.channel, "Channel of a multi-channel recording; 1 is the first")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    // The live source (sound card) registers its own options here.
}

std::vector<std::int32_t> ObtainLevels(const LevelSourceOptions& options, const DemodSettings& demod) {
    // The live source is served here once it is built in.
    if (options.recording.empty()) throw CLI::ValidationError("REC", "a recording (or - for standard input) is required");
    RecordingReader reader(options.recording, options.channel);
    return RecordingLevels(reader, demod);
}

}  // namespace morvane::cli
