#include "align/AlignPolicy.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "align/FrameFinder.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"

namespace morvane {
namespace {

// A number as printf's %.Nf (precision ≥ 0) or %g (precision < 0) prints it
// in the C locale, whatever locale the process runs in.
std::string Number(double value, int precision) {
    char buffer[64];
    const auto result = precision >= 0
                            ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision)
                            : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

std::string FoundText(const FrameAlignment& a, const std::string& source) {
    return (source.empty() ? "Aligned: " : "Aligned on " + source + ": ") + Number(a.baud, 2) + " Bd, " +
           Number(a.model.stopBits, -1) + " stop bits, mark " + (a.model.polarity > 0 ? "low" : "high") +
           ", confidence " + Number(a.confidence, 2) + ", " + CodeSettingsName(a.code);
}

}  // namespace

AlignOutcome DecideAlign(std::int32_t lowHz, std::int32_t highHz, const ToneEstimate& tones,
                         const FrameAlignment& frames, const std::string& source) {
    AlignOutcome outcome;
    outcome.frames = frames;
    std::string tonesNote;
    if (tones.found) {
        const auto low = static_cast<std::int32_t>(std::lround(tones.lowHz));
        const auto high = static_cast<std::int32_t>(std::lround(tones.highHz));
        // In 64 bits: a field may hold any 32-bit value.
        if (std::llabs(static_cast<long long>(low) - lowHz) > kAlignToneTolerance ||
            std::llabs(static_cast<long long>(high) - highHz) > kAlignToneTolerance) {
            outcome.lowHz = low;
            outcome.highHz = high;
            tonesNote = "Tones set to " + std::to_string(low) + " / " + std::to_string(high) + " Hz" +
                        (source.empty() ? "" : " from " + source);
        }
    }
    if (!frames.found) {
        const std::string align = source.empty() ? "Align: " : "Align on " + source + ": ";
        outcome.status = tonesNote.empty() ? align + frames.reason : tonesNote + ": capture again, then Align";
        return outcome;
    }
    outcome.fields = AlignFields{std::to_string(frames.raster.count), std::to_string(frames.raster.offset),
                                 Number(static_cast<double>(frames.raster.slant), 4),
                                 std::to_string(frames.raster.gridWidth)};
    const std::string found = FoundText(frames, source);
    outcome.status = tonesNote.empty() ? found : tonesNote + "; " + found;
    return outcome;
}

AlignOutcome AlignStream(const LevelStream& stream, std::int32_t lowHz, std::int32_t highHz,
                         const ToneEstimate& tones, const std::string& source) {
    return DecideAlign(lowHz, highHz, tones, FindFrames(stream.levels, stream.timeline), source);
}

std::int64_t ReadableCharacters(const std::string& bits, const FrameAlignment& frames) {
    const std::string prepared = PrepareBits(bits, frames.reverseBits, frames.reverseDirection, frames.ignore);
    std::string text;
    DecodeText(prepared, frames.ignore, frames.code, text);
    std::int64_t readable = 0;
    for (const char c : text)
        if (c != '?' && c != '\r' && c != '\n') ++readable;
    return readable;
}

bool SoftReadsMore(const ShownBits& bits, const FrameAlignment& frames) {
    if (!frames.found || bits.soft.empty()) return false;
    return ReadableCharacters(bits.soft, frames) > ReadableCharacters(bits.hard, frames);
}

}  // namespace morvane
