#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "align/ToneFinder.h"
#include "cli/BlockPipeline.h"
#include "dsp/DemodSettings.h"

namespace morvane {
class RecordingReader;
}

namespace morvane::cli {

/// Where a command's level stream comes from.
struct LevelSourceOptions {
    std::string recording;  // a sound file, or "-": raw 16-bit little-endian mono 48 kHz on standard input
    std::int32_t channel = 1;  // channel of a multi-channel recording; 1 is the first
    bool live = false;         // the sound card instead of a recording (set by --live where built)
    std::optional<double> seconds;  // with --live: capture this long (nothing: until Ctrl-C)
    CLI::App* command = nullptr;  // the command these options belong to (for its extra words)
};

/// --channel's check: a whole number from 1 up.
CLI::Validator ChannelNumber();

/// Prints the reader's warning, if any, to standard error.
void ReportWarning(const RecordingReader& reader);

/// Adds the positional REC and --channel N to a command (and, where built,
/// --live and --seconds).
void AddLevelSourceOptions(CLI::App* command, LevelSourceOptions& options);

/// Which tones are still to be found from the sound.
struct ToneSearch {
    bool low = false;
    bool high = false;
    bool Any() const { return low || high; }
};

/// Gets the levels each block added, as soon as they are produced.
using LevelHandler = std::function<void(const std::int32_t* levels, std::size_t count)>;

/// Gets the whole stream so far after every block (`ended` false), and once
/// more at the end (`ended` true).
using StreamHandler = std::function<void(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                         const std::vector<SoftWindow>& soft, bool ended)>;

/// The same for a reader that needs only the stream's end: `levels` and
/// `soft` hold the stream from level `base` on (the timeline describes it
/// whole).
using StreamEndHandler = std::function<void(const std::vector<std::int32_t>& levels, std::int64_t base,
                                            const LevelTimeline& timeline, const std::vector<SoftWindow>& soft,
                                            bool ended)>;
/// The first level of the stream the reader still needs.
using StreamReach = std::function<std::int64_t()>;

/// What a run of a level source keeps and hands on.
struct SourceRun {
    bool keep = false;       // keep the whole stream and return it (otherwise constant memory)
    bool soft = false;       // ... with the windows' tone correlations
    LevelHandler onLevels;   // when set: the levels of every block
    StreamHandler onStream;  // when set: the whole stream after every block (kept)
    StreamEndHandler onStreamEnd;  // when set: the stream's end after every block ...
    StreamReach reach;             // ... keeping of a recording only the levels from reach() on

    /// The whole stream, returned at the end.
    static SourceRun Whole(bool soft = false);
    /// Only the levels of every block, handed on as they come.
    static SourceRun EachBlock(LevelHandler onLevels);
    /// The whole stream handed on after every block.
    static SourceRun Growing(bool soft, StreamHandler onStream);
    /// The stream's end handed on after every block; of a recording or
    /// standard input only the levels from reach() on are kept, asked after
    /// every block, so an endless stream runs in bounded memory (live sound
    /// is kept whole, base 0).
    static SourceRun Trimmed(bool soft, StreamEndHandler onStreamEnd, StreamReach reach);
};

/// The level stream of a recording, standard input or the sound card,
/// demodulated block by block exactly as live capture does. When tones are
/// to be searched, the first blocks are held back (a recording is read twice
/// instead when its whole length may be searched) until the tones are known,
/// then demodulated from the start with them; live sound is captured from
/// the block after the tones were found.
class LevelSource {
public:
    LevelSource(const LevelSourceOptions& options, const DemodSettings& demod);

    /// The tones of `search` are found from the sound before any level is
    /// made: on the whole recording (its first minute when they stand out
    /// there; standard input: never more than that minute) when
    /// `wholeRecording`, otherwise on its first seconds (see ToneHunt).
    void SearchTones(ToneSearch search, bool wholeRecording);

    /// Reads the source to its end (live: --seconds or Ctrl-C). Throws
    /// CLI::ValidationError when no source was named or stray words were
    /// given, CliError when the tones are not found (status 3) or the source
    /// cannot be read (status 1). Returns the stream when kept.
    LevelStream Run(const SourceRun& run);

    /// The tones used (given, or found by the search).
    const DemodSettings& Demod() const { return m_demod; }
    /// What the tone search saw (found false when there was none).
    const ToneEstimate& Tones() const { return m_tones; }

private:
    std::unique_ptr<RecordingReader> Search(std::unique_ptr<RecordingReader> reader,
                                            std::vector<std::vector<std::int16_t>>& held, bool& ended);
    LevelStream RunLive(const SourceRun& run);

    const LevelSourceOptions& m_options;
    DemodSettings m_demod;
    ToneSearch m_search;
    bool m_wholeRecording = false;
    ToneEstimate m_tones;
};

}  // namespace morvane::cli
