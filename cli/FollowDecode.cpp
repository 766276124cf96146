#include "cli/FollowDecode.h"

#include <cstdio>
#include <optional>

#include "cli/LiveTextFollow.h"
#include "cli/SharedRules.h"
#include "cli/TextOutput.h"
#include "decode/TextFollower.h"
#include "raster/BitRowStream.h"
#include "raster/SoftRowStream.h"

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
        SoftRowStream stream(params, o.soft.Trim());
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
    FollowLiveText(o.source, r.tones, o.code, o.soft.soft, o.output);
}

}  // namespace morvane::cli
