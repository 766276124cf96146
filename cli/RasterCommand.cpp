#include "cli/RasterCommand.h"

#include <charconv>
#include <memory>
#include <string>

#include "cli/LevelSource.h"
#include "cli/PngWriter.h"
#include "cli/RasterOptions.h"
#include "cli/SharedRules.h"
#include "raster/RasterImage.h"

namespace morvane::cli {

namespace {

struct RasterCommandOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    std::string size;
    std::string output;
};

struct ImageSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

bool ParseDimension(const char* first, const char* last, std::int32_t& value) {
    if (first == last) return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

// "WxH" with both sides whole numbers of at least one pixel and an area
// within the largest raster image.
ImageSize ParseSize(const std::string& text) {
    const std::size_t x = text.find('x');
    ImageSize size;
    if (x == std::string::npos || !ParseDimension(text.data(), text.data() + x, size.width) ||
        !ParseDimension(text.data() + x + 1, text.data() + text.size(), size.height))
        throw CLI::ValidationError("--size", "'" + text + "' is not a size like 852x400");
    if (size.width < 1 || size.height < 1)
        throw CLI::ValidationError("--size", "'" + text + "' has no pixels; width and height must be at least 1");
    if (static_cast<std::int64_t>(size.width) * size.height > kMaxRasterPixels)
        throw CLI::ValidationError("--size", "'" + text + "' is too large; at most " +
                                                 std::to_string(kMaxRasterPixels) + " pixels");
    CheckPngSize(size.width, size.height);
    return size;
}

}  // namespace

void AddRasterCommand(CLI::App& app) {
    auto options = std::make_shared<RasterCommandOptions>();
    CLI::App* command = app.add_subcommand(
        "raster", "Draw the level stream of a recording as the raster of black-to-red blocks, rows of --count "
                  "levels, with the bit grid, into a PNG image");
    AddLevelSourceOptions(command, options->source);
    AddRasterOptions(command, options->raster);
    command->add_option("--size", options->size, "Image size in pixels, WIDTHxHEIGHT")->required();
    AddOutputOption(command, options->output, "PNG file to write")->required();
    command->callback([options] {
        const ImageSize size = ParseSize(options->size);
        RasterParams params;
        const std::vector<std::int32_t> levels = RasterLevels(options->source, options->raster, params);
        const RgbImage image = RenderRaster(levels, params, size.width, size.height);
        WritePng(options->output, image);
    });
}

}  // namespace morvane::cli
