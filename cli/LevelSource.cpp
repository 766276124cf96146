#include "cli/LevelSource.h"

#include <cstdio>

#include "capture/CaptureFormat.h"
#include "cli/ToneHunt.h"
#include "recording/RecordingReader.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif

namespace morvane::cli {

namespace {

constexpr std::size_t kBlockSamples = kDeviceBlockBytes / 2;

// The next device block of the reader: whole blocks, then a shorter last one
// after which nothing more is read. False when there is none.
bool ReadBlock(RecordingReader& reader, std::vector<std::int16_t>& block, bool& ended) {
    block.resize(kBlockSamples);
    const std::size_t n = ended ? 0 : reader.Read(block.data(), block.size());
    block.resize(n);
    if (n < kBlockSamples) ended = true;
    return n > 0;
}

}  // namespace

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
    options.command = command;
#ifdef MORVANE_HAVE_LIVE
    LiveSource::AddOptions(command, options);
#endif
}

SourceRun SourceRun::Whole(bool soft) {
    SourceRun run;
    run.keep = true;
    run.soft = soft;
    return run;
}

SourceRun SourceRun::EachBlock(LevelHandler onLevels) {
    SourceRun run;
    run.onLevels = std::move(onLevels);
    return run;
}

SourceRun SourceRun::Growing(bool soft, StreamHandler onStream) {
    SourceRun run = Whole(soft);
    run.onStream = std::move(onStream);
    return run;
}

SourceRun SourceRun::Trimmed(bool soft, StreamEndHandler onStreamEnd, StreamReach reach) {
    SourceRun run = Whole(soft);
    run.onStreamEnd = std::move(onStreamEnd);
    run.reach = std::move(reach);
    return run;
}

LevelSource::LevelSource(const LevelSourceOptions& options, const DemodSettings& demod)
    : m_options(options), m_demod(demod) {}

void LevelSource::SearchTones(ToneSearch search, bool wholeRecording) {
    m_search = search;
    m_wholeRecording = wholeRecording;
}

LevelStream LevelSource::Run(const SourceRun& run) {
#ifdef MORVANE_HAVE_LIVE
    LiveSource::CheckWords(m_options);
    if (m_options.live) return RunLive(run);
#endif
    if (m_options.recording.empty()) throw CLI::ValidationError("REC", "a recording (or - for standard input) is required");
    auto reader = std::make_unique<RecordingReader>(m_options.recording, m_options.channel);
    std::vector<std::vector<std::int16_t>> held;
    bool ended = false;
    if (m_search.Any()) reader = Search(std::move(reader), held, ended);

    BlockPipeline pipeline(m_demod, run.keep || run.onStream || run.onStreamEnd, run.soft);
    LevelStream& stream = pipeline.Stream();
    const auto play = [&](std::vector<std::int16_t>& block) {
        const std::span<const std::int32_t> added = pipeline.Play(block.data(), block.size());
        if (run.onLevels) run.onLevels(added.data(), added.size());
        if (run.onStream) run.onStream(stream.levels, stream.timeline, stream.soft, false);
        if (run.onStreamEnd) {
            run.onStreamEnd(stream.levels, pipeline.Base(), stream.timeline, stream.soft, false);
            if (run.reach) pipeline.DropBefore(run.reach());
        }
    };
    for (std::vector<std::int16_t>& block : held) play(block);
    held = {};
    for (std::vector<std::int16_t> block; ReadBlock(*reader, block, ended);) play(block);
    ReportWarning(*reader);  // a cut-off file is known once it has been read
    if (run.onStream) run.onStream(stream.levels, stream.timeline, stream.soft, true);
    if (run.onStreamEnd) run.onStreamEnd(stream.levels, pipeline.Base(), stream.timeline, stream.soft, true);
    return std::move(stream);
}

std::unique_ptr<RecordingReader> LevelSource::Search(std::unique_ptr<RecordingReader> reader,
                                                     std::vector<std::vector<std::int16_t>>& held, bool& ended) {
    const bool standardInput = m_options.recording == "-";
    ToneHunt hunt(m_wholeRecording ? ToneHunt::Rule::Recording : ToneHunt::Rule::FirstSeconds, false, standardInput);
    if (m_wholeRecording && !standardInput) {
        // A file is searched as far as need be, then read again from the start.
        std::vector<std::int16_t> block(kBlockSamples);
        bool over = false;
        for (std::size_t n; !over && (n = reader->Read(block.data(), block.size())) > 0;)
            over = hunt.Add(block.data(), n);
        if (!over) hunt.End();
        hunt.Apply(m_search, m_demod);
        m_tones = hunt.Found();
        return std::make_unique<RecordingReader>(m_options.recording, m_options.channel);
    }
    for (;;) {
        std::vector<std::int16_t> block;
        if (!ReadBlock(*reader, block, ended)) {
            hunt.End();
            break;
        }
        const bool over = hunt.Add(block.data(), block.size());
        held.push_back(std::move(block));
        if (over) break;
    }
    hunt.Apply(m_search, m_demod);
    m_tones = hunt.Found();
    return reader;
}

#ifdef MORVANE_HAVE_LIVE
LevelStream LevelSource::RunLive(const SourceRun& run) {
    if (m_search.Any() && m_wholeRecording)
        throw CLI::ValidationError("--low/--high", "the tones cannot be searched in live sound; give --low and --high");
    // The tones of live sound are searched on the first seconds, and
    // capture starts with them from the block after.
    ToneHunt hunt(ToneHunt::Rule::FirstSeconds, true);
    bool tonesKnown = false;
    LiveRunOptions live;
    if (m_search.Any())
        live.findTones = [&](const std::vector<std::int16_t>& block, DemodSettings& tones) {
            if (!hunt.Add(block.data(), block.size())) return false;
            hunt.Apply(m_search, tones);
            m_demod = tones;
            return tonesKnown = true;
        };
    if (run.onLevels) live.onLevels = run.onLevels;
    if (run.onStream)
        live.onStream = [&run](const std::vector<std::int32_t>& l, const LevelTimeline& t,
                               const std::vector<SoftWindow>& w) { run.onStream(l, t, w, false); };
    if (run.onStreamEnd)
        live.onStream = [&run](const std::vector<std::int32_t>& l, const LevelTimeline& t,
                               const std::vector<SoftWindow>& w) { run.onStreamEnd(l, 0, t, w, false); };
    LevelStream stream;
    stream.tones = m_demod;
    stream.levels = LiveSource(m_options).Capture(m_demod, std::move(live),
                                                  {.soft = run.soft ? &stream.soft : nullptr, .timeline = &stream.timeline});
    if (m_search.Any() && !tonesKnown) {  // the capture ended while the search went on
        hunt.End();
        hunt.Apply(m_search, m_demod);
    }
    m_tones = hunt.Found();
    if (run.onStream) run.onStream(stream.levels, stream.timeline, stream.soft, true);
    if (run.onStreamEnd) run.onStreamEnd(stream.levels, 0, stream.timeline, stream.soft, true);
    return stream;
}
#else
LevelStream LevelSource::RunLive(const SourceRun&) { return {}; }
#endif

}  // namespace morvane::cli
