#include "cli/FollowDecode.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/LiveTextFollow.h"
#include "cli/SharedRules.h"
#include "cli/TextOutput.h"
#include "cli/WallClock.h"
#include "decode/TextFollower.h"
#include "dsp/SampleFormat.h"
#include "livetext/TransmissionInfo.h"
#include "raster/BitRowStream.h"
#include "livetext/ReceivedPieces.h"
#include "raster/SoftRowStream.h"
#include "receiver/Receiver.h"
#ifdef MORVANE_HAVE_LIVE
#include "cli/LiveSource.h"
#endif

namespace morvane::cli {

namespace {

// Decodes the rows `feed` produces as they come and prints the text at once.
// `feed` gets the rows text to append to and the function that prints them.
template <typename Feed>
void FollowRows(const DecodeOptions& o, const RasterParams& params, Feed feed) {
    if (params.gridWidth < 2)
        std::fprintf(stderr, "morvane-cli: grid width %d leaves no bit cell (a cell is width / 2 levels): no bits\n",
                     static_cast<int>(params.gridWidth));
    TextOutput out(o.output);
    TextFollower follower(ChosenCode(o.code), o.reverseBits, o.reverseDirection, o.Ignore());
    std::string rows, text;
    const auto print = [&] {
        follower.Rows(rows, text);
        rows.clear();
        if (text.empty()) return;
        out.Write(text);
        out.Flush();
        text.clear();
    };
    feed(rows, print);
    print();
    out.Write("\r\n");
    out.Close();
}

#ifdef MORVANE_HAVE_LIVE
// decode --live --auto --follow read by the receiver: the card's samples as
// they come, written as decode --auto --follow writes a recording's (each
// transmission's header, with the wall-clock time it began, to standard
// error and its text on a new line), flushed after every block.
void FollowLiveReceiver(const DecodeOptions& o) {
    std::optional<Parity> parityAlone;
    if (!o.code.code && o.code.parity) parityAlone = o.code.Named().parity;
    Receiver receiver(ReceiverSettings(o.receiver, o.raster.tones, o.code));
    TextOutput out(o.output);
    bool atLineStart = true, any = false;
    std::chrono::system_clock::time_point started{};  // of the capture's first sample
    std::int64_t origin = -1;                         // the capture's sample the receiver began with
    std::vector<LiveTextPiece> pieces;
    const auto write = [&] {
        for (const LiveTextPiece& piece : pieces) {
            if (piece.kind == LiveTextPiece::Kind::Text) {
                out.Write(piece.text);
                atLineStart = piece.text.size() >= 2 && piece.text.compare(piece.text.size() - 2, 2, "\r\n") == 0;
                continue;
            }
            if (parityAlone) CheckParity({piece.transmission.code.code, *parityAlone}, true);
            if (!atLineStart) out.Write("\r\n");
            out.Flush();
            const auto at = started + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                          std::chrono::duration<double>(double(piece.transmission.firstSample) / kSampleRate));
            std::fprintf(stderr, "morvane-cli: %s\n", TransmissionHeader(WallClock(at), piece.transmission).c_str());
            std::fflush(stderr);
            atLineStart = true;
            any = true;
        }
        pieces.clear();
        out.Flush();
    };
    LiveSource(o.source).CaptureSamples([&](const std::int16_t* samples, std::size_t count, std::int64_t first) {
        if (origin < 0) {
            origin = first;
            started = std::chrono::system_clock::now() -
                      std::chrono::duration_cast<std::chrono::system_clock::duration>(
                          std::chrono::duration<double>(double(first + std::int64_t(count)) / kSampleRate));
        }
        receiver.Push(samples, count);
        AppendReceived(receiver.Take(), origin, pieces);
        write();
    });
    receiver.Finish();
    AppendReceived(receiver.Take(), std::max<std::int64_t>(origin, 0), pieces);
    write();
    if (!any) {
        out.Close();
        throw CliError(kNothingFound, receiver.Reason());
    }
    out.Write("\r\n");
    out.Close();
}
#endif

}  // namespace

void FollowRaster(const DecodeOptions& o) {
    const RasterParams params = o.raster.Params();
    FollowRows(o, params, [&](std::string& rows, const auto& print) {
        BitRowStream stream(params);
        LevelSource(o.source, o.raster.tones.Demod()).Run(SourceRun::EachBlock([&](const std::int32_t* more, std::size_t count) {
            stream.Append(more, count, rows);
            print();
        }));
        stream.Finish(rows);
    });
}

void FollowSoft(const DecodeOptions& o) {
    const RasterParams params = o.raster.Params();
    CheckSoftNotTimeTrue(o.soft, o.raster.timeTrue);
    CheckSoftTrim(o.soft, params.gridWidth);
    FollowRows(o, params, [&](std::string& rows, const auto& print) {
        SoftRowStream stream(params, SoftSums(CellSize(params), o.soft.Trim()));
        LevelSource(o.source, o.raster.tones.Demod())
            .Run(SourceRun::Growing(true, [&](const std::vector<std::int32_t>&, const LevelTimeline&,
                                              const std::vector<SoftWindow>& soft, bool ended) {
                if (ended) return;
                stream.Extend(soft, rows);
                print();
            }));
        stream.Finish(rows);
    });
}

void FollowAuto(const DecodeOptions& o) {
    const RasterOptions& r = o.raster;
    const struct {
        const char* name;
        bool given;
    } refused[] = {{"--count", r.count.has_value()},         {"--offset", r.offset.has_value()},
                   {"--slant", r.slant.has_value()},         {"--grid-width", r.gridWidth.has_value()},
                   {"--grid-shift", r.gridShift.has_value()}, {"--ignore", o.ignore.has_value()},
                   {"--reverse-bits", o.reverseBits},        {"--reverse-direction", o.reverseDirection},
                   {"--time-true", r.timeTrue},              {"--soft-trim", o.soft.trim.has_value()}};
    for (const auto& option : refused)
        if (option.given)
            throw CLI::ValidationError(option.name, "does not combine with --auto --follow, which follows the "
                                                    "frames it finds");
#ifdef MORVANE_HAVE_LIVE
    // Live sound is read from the samples by the receiver, as a recording
    // is, unless the level-stream reading is asked for.
    if (o.source.live && o.receiver.reader == "samples") {
        LiveSource::CheckWords(o.source);
        FollowLiveReceiver(o);
        return;
    }
#endif
    FollowLiveText(o.source, r.tones, o.code, o.soft.soft, o.output);
}

}  // namespace morvane::cli
