#pragma once
// Helpers shared by the round trips through the core and through morvane-cli.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "raster/BitExtraction.h"
#include "support/CTextSplitter.h"
#include "dsp/DemodOutputs.h"
#include "dsp/DemodSettings.h"
#include "raster/RasterParams.h"

namespace morvane::roundtrip {

/// A 50-baud frame of 1 start, 5 data and 1.5 stop bits is 7.5 bits of 12
/// levels; cells of 12 levels give 8 cells, the last one half a stop bit.
inline RasterParams FrameRaster(std::int32_t offset) {
    RasterParams p;
    p.count = 90;
    p.gridWidth = 24;
    p.offset = offset;
    return p;
}

/// The level stream as live capture makes it: 65 536-byte blocks, recording
/// on, the pending samples demodulated after every block, with the outputs
/// asked for (soft correlations, timeline).
inline std::vector<std::int32_t> LevelsThroughCapture(std::vector<std::int16_t> samples, const DemodSettings& demod,
                                                      DemodOutputs outputs = {}) {
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int32_t> levels;
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        const std::size_t n = std::min(kBlock, samples.size() - at);
        buffers.HandleBlock(samples.data() + at, static_cast<std::int32_t>(n * 2));
        buffers.DemodulatePending(demod, kCaptureFormat, levels, outputs);
    }
    return levels;
}

/// Rows whose first cell (start bit) is '0' and seventh (stop bit) is '1'.
inline int FramedRows(const std::string& bits) {
    const CTextSplitter rows(bits, "\r\n");
    int framed = 0;
    for (std::int32_t i = 0; i < rows.TokenCount(); ++i) {
        const std::string row = rows.TokenAt(i);
        framed += row.size() >= 7 && row[0] == '0' && row[6] == '1';
    }
    return framed;
}

/// The offset (0 … 89) that puts frames at the start of raster rows: every
/// offset is scored by its framed rows; of the longest run of best-scoring
/// offsets (taken round the frame) the middle one is chosen, which centres
/// the cells on the bits.
inline std::int32_t FindFrameOffset(const std::vector<std::int32_t>& levels) {
    constexpr int kFrame = 90;
    std::vector<int> score(kFrame);
    for (int offset = 0; offset < kFrame; ++offset) score[offset] = FramedRows(ExtractBits(levels, FrameRaster(offset)));
    const int best = *std::max_element(score.begin(), score.end());
    int bestStart = 0, bestLength = 0;
    for (int start = 0; start < kFrame; ++start) {
        if (score[start] != best || score[(start + kFrame - 1) % kFrame] == best) continue;
        int length = 0;
        while (length < kFrame && score[(start + length) % kFrame] == best) ++length;
        if (length > bestLength) bestStart = start, bestLength = length;
    }
    return (bestStart + bestLength / 2) % kFrame;
}

/// The bits without a last row shorter than the first: where the recording
/// ends inside a row, that row is no frame.
inline std::string WithoutPartialLastRow(const std::string& bits) {
    const std::size_t first = bits.find("\r\n");
    if (first == std::string::npos || bits.size() < 4) return bits;
    const std::size_t lastStart = bits.rfind("\r\n", bits.size() - 3);
    const std::size_t lastLength = bits.size() - 2 - (lastStart + 2);
    return lastLength < first ? bits.substr(0, lastStart + 2) : bits;
}

}  // namespace morvane::roundtrip
