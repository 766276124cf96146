// The frame finder on any level stream: both entry points agree, what it
// reports is in range (confidence 0 … 1, finite rates, a reason exactly when
// nothing is found), the frame bits and text it leads to are well formed,
// and the soft path (the keying summed over a bit, its frames followed and
// read soft) keeps its promises: levels 3 … 253, every cell decided.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "FuzzStream.h"
#include "align/FrameFinder.h"
#include "align/FrameSoftBits.h"
#include "align/FrameTracker.h"
#include "align/SoftTimeTrueSignal.h"
#include "align/TimeTrueSignal.h"

namespace {

using namespace morvane;

bool Finite(double v) { return std::isfinite(v); }

void CheckAlignment(const FrameAlignment& a) {
    if (a.found != a.reason.empty()) fuzz::Mismatch();
    if (!a.found) return;
    if (!(a.confidence >= 0.0 && a.confidence <= 1.0)) fuzz::Mismatch();
    if (!Finite(a.baud) || !(a.baud > 0.0) || !Finite(a.nominalBaud) || a.nominalBaud < 0.0 || !Finite(a.drift))
        fuzz::Mismatch();
    if (!Finite(a.firstFrameSample) || !Finite(a.model.frame) || !(a.model.bit > 0.0) || !Finite(a.model.bit))
        fuzz::Mismatch();
    if (a.frames <= 0 || a.raster.count <= 0 || a.ignore < 0) fuzz::Mismatch();
}

bool SameAlignment(const FrameAlignment& a, const FrameAlignment& b) {
    return a.found == b.found && a.reason == b.reason && a.baud == b.baud && a.confidence == b.confidence &&
           a.frames == b.frames && a.firstFrameSample == b.firstFrameSample && a.model.frame == b.model.frame &&
           a.raster.count == b.raster.count && a.raster.offset == b.raster.offset && a.ignore == b.ignore &&
           a.code.code == b.code.code && a.code.parity == b.code.parity;
}

// Rows of `cells` characters from `allowed`, each ended by CR LF, one per frame.
void CheckRows(const std::string& bits, std::size_t frames, int cells, const char* allowed) {
    const std::size_t row = static_cast<std::size_t>(cells) + 2;
    if (bits.size() != frames * row) fuzz::Mismatch();
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const std::size_t at = i % row;
        const bool ok = at == row - 2 ? bits[i] == '\r' : at == row - 1 ? bits[i] == '\n'
                                                                         : std::string(allowed).find(bits[i]) != std::string::npos;
        if (!ok) fuzz::Mismatch();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const fuzz::FuzzStream s = fuzz::TakeStream(in);

    const FrameAlignment a = FindFrames(s.levels, s.timeline);
    CheckAlignment(a);
    const TimeTrueSignal signal = MakeTimeTrueSignal(s.levels, s.timeline);
    std::vector<TrackedFrame> frames;
    const FrameAlignment b = FindFrames(signal, s.timeline, &frames);
    if (!SameAlignment(a, b)) fuzz::Mismatch();
    if (!a.found) return 0;
    if (static_cast<std::int64_t>(frames.size()) != a.frames) fuzz::Mismatch();

    const std::string bits = FrameBits(signal, a.model, frames);
    CheckRows(bits, frames.size(), a.model.Cells(), "01 ");
    const std::string text = FrameText(bits, a);
    if (text.size() > 16 * frames.size()) fuzz::Mismatch();  // a frame decodes to one character, at most "<xHH>"-sized

    const TimeTrueSignal keying = MakeSoftTimeTrueSignal(signal, s.timeline, s.soft, a.model.bit);
    if (keying.levels.size() != signal.levels.size() || keying.originSample != signal.originSample ||
        keying.window != signal.window)
        fuzz::Mismatch();
    for (std::int32_t level : keying.levels)
        if (level < 3 || level > 253) fuzz::Mismatch();
    const std::vector<TrackedFrame> softFrames = TrackFrames(keying, a.model);
    const std::string softBits = FrameSoftBits(keying, s.timeline, s.soft, a.model, softFrames);
    CheckRows(softBits, softFrames.size(), a.model.Cells(), "01");
    return 0;
}
