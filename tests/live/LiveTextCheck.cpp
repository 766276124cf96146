// Test tool: reads a level stream (one level a line, as `morvane-cli levels`
// prints it), finds where the 50-baud frames start, and prints the text they
// decode to (count 90, grid width 24, rows read backwards, 2 bits ignored).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/DecodeRoundTripSupport.h"
#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"

int main(int argc, char** argv) {
    using namespace morvane;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LEVELS_FILE\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "cannot read '%s'\n", argv[1]);
        return 2;
    }
    std::vector<std::int32_t> levels;
    for (std::int32_t level = 0; in >> level;) levels.push_back(level);
    const std::int32_t offset = roundtrip::FindFrameOffset(levels);
    const std::string bits = ExtractBits(levels, roundtrip::FrameRaster(offset));
    const std::string working = PrepareBits(roundtrip::WithoutPartialLastRow(bits), false, true, 2);
    std::string text;
    DecodeBaudot(working, 2, text);
    std::fprintf(stderr, "%zu levels, frames at offset %d\n", levels.size(), offset);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
