#include "cli/LiveTextFollow.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "align/FrameFinder.h"
#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/SharedRules.h"
#include "cli/TextOutput.h"
#include "cli/WallClock.h"
#include "livetext/LiveTextReader.h"
#include "dsp/SampleFormat.h"

namespace morvane::cli {

namespace {

constexpr double kRate = kSampleRate;

// HH:MM:SS of a number of seconds.
std::string Clock(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

void FollowLiveText(const LevelSourceOptions& source, const ToneOptions& tones, const CodeOptions& codeOptions,
                    bool soft, const std::string& output) {
    const std::optional<CodeSettings> code =
        codeOptions.code ? std::optional<CodeSettings>(ChosenCode(codeOptions)) : std::nullopt;
    TextOutput out(output);
    std::optional<LiveTextReader> reader;
    std::vector<LiveTextPiece> pieces;
    std::int64_t transmissions = 0;
    auto started = std::chrono::system_clock::now();  // of the stream's first sample
    const auto show = [&] {
        for (const LiveTextPiece& piece : pieces) {
            if (piece.kind == LiveTextPiece::Kind::Text) {
                out.Write(piece.text);
                continue;
            }
            if (!code) CheckParity({piece.transmission.code.code, codeOptions.Named().parity}, true);
            const double seconds = static_cast<double>(piece.transmission.firstSample) / kRate;
            const std::string clock =
                source.live ? WallClock(started + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                                      std::chrono::duration<double>(seconds)))
                            : Clock(static_cast<std::int64_t>(seconds));
            if (transmissions++ > 0) out.Write("\r\n");
            out.Flush();
            std::fprintf(stderr, "morvane-cli: %s\n", TransmissionHeader(clock, piece.transmission).c_str());
            std::fflush(stderr);
        }
        pieces.clear();
        out.Flush();
    };
    LevelSource stream(source, tones.Demod());
    stream.SearchTones(tones.Missing(), false);
    const DemodSettings& demod = stream.Demod();
    // Only the levels the reader can still reach are kept.
    stream.Run(SourceRun::Trimmed(
        soft,
        [&](const std::vector<std::int32_t>& levels, std::int64_t base, const LevelTimeline& timeline,
            const std::vector<SoftWindow>& windows, bool ended) {
                     // The tones are known once the first levels come.
                     if (!reader) {
                         reader.emplace(LiveTextOptions{demod.tone1Hz, demod.tone2Hz, code, LiveTextDeciderFor(soft)});
                         // Live sound is read from when the tones were known.
                         const double seconds = static_cast<double>(timeline.SampleOf(
                                                    base + static_cast<std::int64_t>(levels.size()))) / kRate;
                         started = std::chrono::system_clock::now() -
                                   std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                       std::chrono::duration<double>(seconds));
                     }
                     if (ended)
                         reader->Finish(levels, timeline, windows, pieces, base);
                     else
                         reader->Extend(levels, timeline, windows, pieces, base);
                     show();
                 },
        [&] { return reader ? reader->Reach() : std::int64_t{0}; }));
    if (transmissions > 0) out.Write("\r\n");
    out.Close();
    if (transmissions == 0) throw CliError(kNothingFound, kNoFrameStructure);
}

}  // namespace morvane::cli
