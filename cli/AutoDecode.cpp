#include "cli/AutoDecode.h"

#include <cstdio>

#include "align/FrameSoftBits.h"
#include "align/SoftTimeTrueSignal.h"
#include "align/TimeTrueRaster.h"
#include "cli/AutoAlign.h"
#include "cli/CliError.h"
#include "cli/SharedRules.h"
#include "decode/BitTransforms.h"
#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"

namespace morvane::cli {

namespace {

// The rules that can be told before anything is read.
void CheckBeforeReading(const DecodeOptions& o) {
    CheckSoftNotTimeTrue(o.soft, o.raster.timeTrue);
    if (o.soft.soft && o.soft.Trim() != 0 && !o.raster.LayoutGiven())
        throw CLI::ValidationError("--soft-trim", "trims the cells of a raster: give --count, --offset, --slant "
                                                  "or --grid-width with --auto, or leave it out");
}

// The code to decode in: the one found unless --code names one; the parity
// bit found goes with it unless --code or --parity is given.
CodeSettings CodeToUse(const DecodeOptions& o, const FrameAlignment& a) {
    if (o.code.code) return ChosenCode(o.code);
    CodeSettings code = o.code.Named();
    code.code = a.code.code;
    if (!o.code.parity) code.parity = a.code.parity;
    CheckParity(code, true);
    return code;
}

// The raster the options lay out over the one found, read (soft or by levels).
std::string RasterBits(const DecodeOptions& o, const AlignedRecording& r) {
    RasterParams params = o.raster.Params(r.alignment.raster);
    CheckSoftTrim(o.soft, params.gridWidth);
    if (o.soft.soft) return ExtractSoftBits(r.soft, params, o.soft.Trim());
    if (o.raster.timeTrue) return ExtractBits(TimeTrueRows(r.levels, r.timeline, params), params);
    return ExtractBits(r.levels, params);
}

// The frames as they were followed on the time line, one row each; with
// --soft followed again on the soft keying, which noise flips far more
// rarely than single levels, and read soft.
std::string FollowedFrameBits(const DecodeOptions& o, const AlignedRecording& r) {
    const FrameAlignment& a = r.alignment;
    if (!o.soft.soft) return FrameBits(r.signal, a.model, r.frames);
    const TimeTrueSignal keying = MakeSoftTimeTrueSignal(r.signal, r.timeline, r.soft, a.model.bit);
    return FrameSoftBits(keying, r.timeline, r.soft, a.model, TrackFrames(keying, a.model));
}

}  // namespace

void DecodeAuto(const DecodeOptions& o) {
    CheckBeforeReading(o);
    const AlignedRecording r = AlignRecording(o.source, o.raster.tones, o.soft.soft);
    if (!r.alignment.found) throw CliError(kNothingFound, r.alignment.reason);
    const FrameAlignment& a = r.alignment;
    std::fprintf(stderr, "morvane-cli: aligned: %.3f baud, %g stop bits, %s, confidence %.2f: %s\n", a.baud,
                 a.model.stopBits, CodeSettingsName(a.code).c_str(), a.confidence, OptionLine(r).c_str());
    const CodeSettings code = CodeToUse(o, a);
    const bool raster = o.raster.LayoutGiven();
    const std::string source = raster ? RasterBits(o, r) : FollowedFrameBits(o, r);
    const std::int32_t ignore = o.ignore.value_or(raster ? a.ignore : 1);
    const std::string bits = PrepareBits(source, o.reverseBits || a.reverseBits,
                                         o.reverseDirection || a.reverseDirection, ignore);
    WriteDecoded(o, bits, ignore, code);
}

}  // namespace morvane::cli
