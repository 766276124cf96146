#include "cli/BitsCommand.h"

#include <cstdio>
#include <memory>

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

void AddSoftOptions(CLI::App* command, SoftOptions& options) {
    CLI::Option* soft = command->add_flag(
        "--soft", options.soft,
        "Soft decision: decide every cell from the two tone energies summed over it (never undecided), "
        "instead of counting high and low levels");
    command->add_option("--soft-trim", options.trim,
                        "With --soft: windows left out at each end of a cell (0 ... (grid-width / 2 - 1) / 2)")
        ->needs(soft)
        ->check(CLI::Range(0, 1 << 29))
        ->capture_default_str();
}

std::string RecordingBits(const LevelSourceOptions& source, const RasterOptions& raster, const SoftOptions& soft) {
    const std::int32_t cell = raster.params.gridWidth / 2;
    if (soft.soft && cell >= 1 && soft.trim > (cell - 1) / 2)
        throw CLI::ValidationError("--soft-trim", std::to_string(soft.trim) + " leaves no window of a cell of " +
                                                      std::to_string(cell) + " (at most " +
                                                      std::to_string((cell - 1) / 2) + ")");
    if (soft.soft && raster.timeTrue)
        throw CLI::ValidationError("--soft", "does not combine with --time-true yet");
    RasterParams params;
    std::string bits;
    std::size_t levelCount = 0;
    if (soft.soft) {
        std::vector<SoftWindow> energies;
        params = raster.params;
        levelCount = ObtainLevels(source, raster.demod, {.soft = &energies}).size();
        bits = ExtractSoftBits(energies, params, soft.trim);
    } else if (!raster.timeTrue) {
        // Each row as its levels arrive; only the levels a later row can
        // still reach are kept.
        BitRowStream stream(raster.params);
        StreamLevels(source, raster.demod, [&](const std::int32_t* levels, std::size_t count) {
            levelCount += count;
            stream.Append(levels, count, bits);
        });
        stream.Finish(bits);
    } else {
        const std::vector<std::int32_t> levels = RasterLevels(source, raster, params);
        levelCount = levels.size();
        bits = ExtractBits(levels, params);
    }
    if (raster.params.gridWidth < 2)
        std::fprintf(stderr, "morvane-cli: grid width %d leaves no bit cell (a cell is width / 2 levels): no bits\n",
                     static_cast<int>(raster.params.gridWidth));
    else if (bits.empty())
        std::fprintf(stderr, "morvane-cli: the raster holds no level (%zu levels, offset %d): no bits\n",
                     levelCount, static_cast<int>(raster.params.offset));
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
    command->add_option("-o,--output", options->output, "Write to FILE instead of standard output");
    command->callback([options] {
        const std::string bits = RecordingBits(options->source, options->raster, options->soft);
        TextOutput out(options->output);
        out.Write(bits);
        out.Close();
    });
}

}  // namespace morvane::cli
