#include "cli/LevelSource.h"

#include <cstdio>

#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif

namespace morvane::cli {

CLI::Validator ChannelNumber() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            std::int32_t channel = 0;
            if (!CLI::detail::lexical_cast(text, channel) || channel < 1)
                return "'" + text + "' is not a channel number; the first channel is 1";
            return {};
        },
        "N >= 1");
}

void ReportWarning(const RecordingReader& reader) {
    if (!reader.Warning().empty())
        std::fprintf(stderr, "morvane-cli: warning: '%s': %s\n", reader.Name().c_str(), reader.Warning().c_str());
}

void AddLevelSourceOptions(CLI::App* command, LevelSourceOptions& options) {
    command->add_option("REC", options.recording,
                        "Recording (WAV, FLAC, Ogg, AIFF, ... any rate), or - for raw signed 16-bit "
                        "little-endian mono 48 kHz samples on standard input");
    command->add_option("--channel", options.channel, "Channel of a multi-channel recording; 1 is the first")
        ->check(ChannelNumber())
        ->capture_default_str();
    // The live source (sound card) registers its own options here.
    options.command = command;
#ifdef MORVANE_HAVE_LIVE
    AddLiveOptions(command, options);
#endif
}

std::vector<std::int32_t> ObtainLevels(const LevelSourceOptions& options, const DemodSettings& demod) {
    return ObtainLevels(options, demod, {});
}

std::vector<std::int32_t> ObtainLevels(const LevelSourceOptions& options, const DemodSettings& demod,
                                       const LevelsSoFar& afterBlock) {
    // The live source is served here once it is built in.
#ifdef MORVANE_HAVE_LIVE
    CheckLiveWords(options);
    if (options.live) return LiveLevels(options, demod, afterBlock);
#endif
    if (options.recording.empty()) throw CLI::ValidationError("REC", "a recording (or - for standard input) is required");
    RecordingReader reader(options.recording, options.channel);
    ReportWarning(reader);
    return RecordingLevels(reader, demod, afterBlock);
}

}  // namespace morvane::cli
