// A recording's samples as standard input takes them: raw 16-bit mono.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "recording/RecordingReader.h"

namespace morvane::clitest {

/// Writes `wav`'s samples beside it as WAV.raw and returns that path.
inline std::string RawSamples(const std::string& wav) {
    RecordingReader reader(wav);
    std::vector<std::int16_t> samples(1 << 16);
    const std::string path = wav + ".raw";
    std::ofstream out(path, std::ios::binary);
    for (std::size_t n; (n = reader.Read(samples.data(), samples.size())) > 0;)
        out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(n * 2));
    return path;
}

}  // namespace morvane::clitest
