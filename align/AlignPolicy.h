#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "align/FrameAlignment.h"
#include "align/ShownRaster.h"
#include "align/ToneFinder.h"
#include "dsp/LevelStream.h"

namespace morvane {

/// A tone found within this many Hz of the field's tone leaves the field alone.
inline constexpr std::int32_t kAlignToneTolerance = 20;

/// The field texts "Align" fills in for the frames it found.
struct AlignFields {
    std::string count, offset, slant, width;
};

/// What "Align" does with what it found: the tones to put in Low and High
/// (none when both found tones lie within kAlignToneTolerance of the fields),
/// the raster fields and the frames for the Bits extract options (none when no
/// frames were found), and the status line.
struct AlignOutcome {
    std::optional<std::int32_t> lowHz, highHz;  // both set or neither
    std::optional<AlignFields> fields;
    FrameAlignment frames;
    std::string status;
};

/// Decides Align from the tones found in the spectrum and the frames found in
/// the levels. lowHz, highHz: the whole numbers the tone fields hold (Hz, any
/// value). Found tones are rounded to whole Hz. When the tones change, levels
/// made with the old ones cannot show the frames well: without frames the
/// status asks to capture again. source: what was measured (a recording's
/// name, "the capture"), named in the status; empty names nothing.
AlignOutcome DecideAlign(std::int32_t lowHz, std::int32_t highHz, const ToneEstimate& tones,
                         const FrameAlignment& frames, const std::string& source = {});

/// Finds the frames of the stream's levels and decides Align (DecideAlign).
AlignOutcome AlignStream(const LevelStream& stream, std::int32_t lowHz, std::int32_t highHz,
                         const ToneEstimate& tones, const std::string& source = {});

/// Characters the rows of `bits` (one frame a row, ExtractBits' lines) give
/// with the alignment's Bits extract options and code, '?' (an undecided or
/// broken frame) not counted.
std::int64_t ReadableCharacters(const std::string& bits, const FrameAlignment& frames);

/// Whether Bits extract should read the frames soft: when the soft reading
/// of the aligned raster gives more readable characters than the hard one.
bool SoftReadsMore(const ShownBits& bits, const FrameAlignment& frames);

}  // namespace morvane
