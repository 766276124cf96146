#include "cli/RasterOptions.h"

#include "cli/NumberChecks.h"
#include "align/TimeTrueRaster.h"

#include <limits>
#include <string>

namespace morvane::cli {

namespace {
// Any 32-bit integer, written as a whole number (not empty, no fraction).
CLI::Validator Int32() {
    return WholeNumber(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

template <typename T>
CLI::Option* AddWithDefault(CLI::App* command, const char* name, std::optional<T>& value, T shown, const char* help) {
    return command->add_option(name, value, help)->default_str(CLI::detail::to_string(shown));
}
}  // namespace

DemodSettings ToneOptions::Demod() const {
    DemodSettings demod;
    demod.tone1Hz = low.value_or(demod.tone1Hz);
    demod.tone2Hz = high.value_or(demod.tone2Hz);
    return demod;
}

RasterParams RasterOptions::Params(RasterParams base) const {
    base.count = count.value_or(base.count);
    base.offset = offset.value_or(base.offset);
    base.slant = slant.value_or(base.slant);
    base.gridWidth = gridWidth.value_or(base.gridWidth);
    base.gridShift = gridShift.value_or(base.gridShift);
    base.showGrid = showGrid;
    base.contrastMode = contrastMode;
    return base;
}

void AddToneOptions(CLI::App* command, ToneOptions& tones) {
    const DemodSettings defaults;
    AddWithDefault(command, "--low", tones.low, defaults.tone1Hz,
                   "Tone 1 in Hz; levels above 128 mean it was stronger")->check(ToneFrequency());
    AddWithDefault(command, "--high", tones.high, defaults.tone2Hz,
                   "Tone 2 in Hz; levels below 128 mean it was stronger")->check(ToneFrequency());
}

void AddRasterOptions(CLI::App* command, RasterOptions& options) {
    AddToneOptions(command, options.tones);
    const RasterParams p;
    AddWithDefault(command, "--count", options.count, p.count, "Levels per raster row (0 or less: one endless row)")
        ->check(Int32());
    AddWithDefault(command, "--offset", options.offset, p.offset, "Stream index where the raster starts")
        ->check(Int32());
    AddWithDefault(command, "--slant", options.slant, p.slant, "Extra levels skipped (or, negative, repeated) per row")
        ->check(FiniteFloat());
    AddWithDefault(command, "--grid-width", options.gridWidth, p.gridWidth,
                   "Pixels between grid lines; a bit cell is half as many levels")
        ->check(Int32());
    AddWithDefault(command, "--grid-shift", options.gridShift, p.gridShift, "Pixels added to every grid line's x")
        ->check(Int32());
    command->add_flag_callback("--no-grid", [&options] { options.showGrid = 0; }, "Leave the grid out");
    command->add_option("--contrast", options.contrastMode, "Brightness: 0 plain, 1 moderate, 2 strong")
        ->check(CLI::IsMember({0, 1, 2}))
        ->capture_default_str();
    command->add_flag("--time-true", options.timeTrue,
                      "Start every row at its place on the sound's time line (count + slant level windows after the "
                      "last), so that a steady transmission stands straight however long it runs");
}

std::vector<std::int32_t> RasterLevels(const LevelSourceOptions& source, const RasterOptions& options,
                                       RasterParams& params) {
    params = options.Params();
    LevelStream stream = LevelSource(source, options.tones.Demod()).Run(SourceRun::Whole());
    if (!options.timeTrue) return std::move(stream.levels);
    return TimeTrueRows(stream.levels, stream.timeline, params);
}

}  // namespace morvane::cli
