#include "cli/BitsCommand.h"

#include <cstdio>
#include <memory>

#include "cli/TextOutput.h"
#include "raster/BitExtraction.h"

namespace morvane::cli {

namespace {
struct BitsOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    std::string output;
};
}  // namespace

std::string RecordingBits(const LevelSourceOptions& source, const RasterOptions& raster) {
    RasterParams params;
    const std::vector<std::int32_t> levels = RasterLevels(source, raster, params);
    std::string bits = ExtractBits(levels, params);
    if (raster.params.gridWidth < 2)
        std::fprintf(stderr, "morvane-cli: grid width %d leaves no bit cell (a cell is width / 2 levels): no bits\n",
                     static_cast<int>(raster.params.gridWidth));
    else if (bits.empty())
        std::fprintf(stderr, "morvane-cli: the raster holds no level (%zu levels, offset %d): no bits\n",
                     levels.size(), static_cast<int>(raster.params.offset));
    return bits;
}

void AddBitsCommand(CLI::App& app) {
    auto options = std::make_shared<BitsOptions>();
    CLI::App* command = app.add_subcommand(
        "bits", "Extract the bits of the aligned raster: one line per raster row, one character per bit cell "
                "of grid-width / 2 levels ('1', '0', or a space when undecided), CR LF line ends");
    AddLevelSourceOptions(command, options->source);
    AddRasterOptions(command, options->raster);
    command->add_option("-o,--output", options->output, "Write to FILE instead of standard output");
    command->callback([options] {
        const std::string bits = RecordingBits(options->source, options->raster);
        TextOutput out(options->output);
        out.Write(bits);
        out.Close();
    });
}

}  // namespace morvane::cli
