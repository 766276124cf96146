// Character errors of the two readings on recordings of a known text:
//   morvane_soft_cer TEXT [--trim N] FILE...
// prints one line per file: "FILE ERRORS_LEVELS ERRORS_SOFT CHARACTERS", the
// errors being the edit distance between the text sent and the text decoded
// under the best framing alignment found by search (scripts/soft-cer.py
// makes the recordings and sums the lines into a table).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"
#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "support/NoisyReadingSupport.h"

int main(int argc, char** argv) {
    using namespace morvane;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TEXT [--trim N] FILE...\n", argv[0]);
        return 2;
    }
    const std::string sent = argv[1];
    std::int32_t trim = 0;
    int first = 2;
    if (std::string(argv[first]) == "--trim" && argc > first + 1) {
        trim = std::atoi(argv[first + 1]);
        first += 2;
    }
    try {
        for (int i = first; i < argc; ++i) {
            RecordingReader reader(argv[i]);
            std::vector<SoftWindow> soft;
            const std::vector<std::int32_t> levels = RecordingLevels(reader, DemodSettings{}, {.soft = &soft});
            const std::string byLevels =
                noisy::AlignedText([&](const RasterParams& p) { return ExtractBits(levels, p); });
            const std::string softText =
                noisy::AlignedText([&](const RasterParams& p) { return ExtractSoftBits(soft, p, trim); });
            std::printf("%s %zu %zu %zu\n", argv[i], noisy::EditDistance(sent, byLevels),
                        noisy::EditDistance(sent, softText), sent.size());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
