#include "cli/RasterOptions.h"

#include "cli/NumberChecks.h"
#include "align/TimeTrueRaster.h"

#include <limits>

namespace morvane::cli {

namespace {
// Any 32-bit integer, written as a whole number (not empty, no fraction).
CLI::Validator Int32() {
    return WholeNumber(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}
}  // namespace

void AddToneOptions(CLI::App* command, DemodSettings& demod) {
    command->add_option("--low", demod.tone1Hz, "Tone 1 in Hz; levels above 128 mean it was stronger")
        ->check(ToneFrequency())
        ->capture_default_str();
    command->add_option("--high", demod.tone2Hz, "Tone 2 in Hz; levels below 128 mean it was stronger")
        ->check(ToneFrequency())
        ->capture_default_str();
}

void AddRasterOptions(CLI::App* command, RasterOptions& options) {
    AddToneOptions(command, options.demod);
    RasterParams& p = options.params;
    command->add_option("--count", p.count, "Levels per raster row (0 or less: one endless row)")
        ->check(Int32())
        ->capture_default_str();
    command->add_option("--offset", p.offset, "Stream index where the raster starts")
        ->check(Int32())->capture_default_str();
    command->add_option("--slant", p.slant, "Extra levels skipped (or, negative, repeated) per row")
        ->capture_default_str();
    command->add_option("--grid-width", p.gridWidth, "Pixels between grid lines; a bit cell is half as many levels")
        ->check(Int32())
        ->capture_default_str();
    command->add_option("--grid-shift", p.gridShift, "Pixels added to every grid line's x")
        ->check(Int32())->capture_default_str();
    command->add_flag_callback("--no-grid", [&p] { p.showGrid = 0; }, "Leave the grid out");
    command->add_option("--contrast", p.contrastMode, "Brightness: 0 plain, 1 moderate, 2 strong")
        ->check(CLI::IsMember({0, 1, 2}))
        ->capture_default_str();
    command->add_flag("--time-true", options.timeTrue,
                      "Start every row at its place on the sound's time line (count + slant level windows after the "
                      "last), so that a steady transmission stands straight however long it runs");
}

std::vector<std::int32_t> RasterLevels(const LevelSourceOptions& source, const RasterOptions& options,
                                       RasterParams& params) {
    params = options.params;
    if (!options.timeTrue) return ObtainLevels(source, options.demod);
    LevelTimeline timeline;
    const std::vector<std::int32_t> levels = ObtainLevels(source, options.demod, {.timeline = &timeline});
    return TimeTrueRows(levels, timeline, params);
}

}  // namespace morvane::cli
