// The raster walk under any parameters: bit extraction and the image never
// crash, and extraction gives rows of '1', '0' and ' ' only, each ended by CR LF.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "raster/BitExtraction.h"
#include "raster/RasterImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvane;
    fuzz::FuzzInput in(data, size);
    RasterParams params;
    // Small values most of the time, so that rows are short; any value now and then.
    const auto small = [&in](std::int32_t range) {
        const std::int32_t v = in.Take<std::int32_t>();
        return (v & 0x40000000) ? v : v % range;
    };
    params.count = small(200);
    params.offset = small(400);
    params.slant = in.Take<float>();
    params.gridWidth = small(64);
    params.gridShift = small(64);
    params.showGrid = in.Take<std::uint8_t>() & 1;
    params.contrastMode = in.Take<std::uint8_t>() % 3;
    const std::int32_t width = 1 + in.Take<std::uint8_t>() % 96;
    const std::int32_t height = 1 + in.Take<std::uint8_t>() % 64;
    std::vector<std::int32_t> levels;
    while (in.Left() > 0 && levels.size() < 20000) levels.push_back(in.Take<std::uint8_t>());

    const std::string bits = ExtractBits(levels, params);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const char c = bits[i];
        if (c == '\r') {
            if (i + 1 >= bits.size() || bits[i + 1] != '\n') fuzz::Mismatch();
            ++i;
        } else if (c != '0' && c != '1' && c != ' ') {
            fuzz::Mismatch();
        }
    }
    if (!bits.empty() && bits.back() != '\n') fuzz::Mismatch();
    const RgbImage image = RenderRaster(levels, params, width, height);
    if (image.width != width || image.height != height ||
        image.rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        fuzz::Mismatch();
    return 0;
}
