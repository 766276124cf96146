#include "cli/BitsCommand.h"

#include <cstdio>
#include <memory>

#include "cli/SharedRules.h"
#include "cli/TextOutput.h"
#include "raster/BitExtraction.h"
#include "raster/BitRowStream.h"
#include "raster/SoftBitExtraction.h"

namespace morvane::cli {

namespace {
struct BitsOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    SoftOptions soft;
    std::string output;
};
}  // namespace

std::string RecordingBits(const LevelSourceOptions& source, const RasterOptions& raster, const SoftOptions& soft) {
    RasterParams params = raster.Params();
    CheckSoftNotTimeTrue(soft, raster.timeTrue);
    CheckSoftTrim(soft, params.gridWidth);
    std::string bits;
    std::size_t levelCount = 0;
    if (soft.soft) {
        const LevelStream stream = LevelSource(source, raster.tones.Demod()).Run(SourceRun::Whole(true));
        levelCount = stream.levels.size();
        bits = ExtractSoftBits(stream.soft, params, soft.Trim());
    } else if (!raster.timeTrue) {
        // Each row as its levels arrive; only the levels a later row can
        // still reach are kept.
        BitRowStream rows(params);
        LevelSource(source, raster.tones.Demod()).Run(SourceRun::EachBlock([&](const std::int32_t* levels, std::size_t count) {
            levelCount += count;
            rows.Append(levels, count, bits);
        }));
        rows.Finish(bits);
    } else {
        const std::vector<std::int32_t> levels = RasterLevels(source, raster, params);
        levelCount = levels.size();
        bits = ExtractBits(levels, params);
    }
    const RasterParams given = raster.Params();
    if (given.gridWidth < 2)
        std::fprintf(stderr, "morvane-cli: grid width %d leaves no bit cell (a cell is width / 2 levels): no bits\n",
                     static_cast<int>(given.gridWidth));
    else if (bits.empty())
        std::fprintf(stderr, "morvane-cli: the raster holds no level (%zu levels, offset %d): no bits\n",
                     levelCount, static_cast<int>(given.offset));
    return bits;
}

void AddBitsCommand(CLI::App& app) {
    auto options = std::make_shared<BitsOptions>();
    CLI::App* command = app.add_subcommand(
        "bits", "Extract the bits of the aligned raster: one line per raster row, one character per bit cell "
                "of grid-width / 2 levels ('1', '0', or a space when undecided), CR LF line ends");
    AddLevelSourceOptions(command, options->source);
    AddRasterOptions(command, options->raster);
    AddSoftOptions(command, options->soft);
    AddOutputOption(command, options->output);
    command->callback([options] {
        const std::string bits = RecordingBits(options->source, options->raster, options->soft);
        TextOutput out(options->output);
        out.Write(bits);
        out.Close();
    });
}

}  // namespace morvane::cli
