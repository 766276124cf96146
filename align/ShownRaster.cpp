#include "align/ShownRaster.h"

#include "align/TimeTrueRaster.h"
#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"

namespace morvane {

bool PrepareTimeTrue(const LevelStream& stream, const RasterParams& params, bool timeTrue, RasterModel& shown) {
    if (!timeTrue) return false;
    shown.params = params;
    shown.levels = TimeTrueRows(stream.levels, stream.timeline, shown.params);
    return true;
}

ShownBits ExtractShownBits(const LevelStream& stream, const RasterParams& params, bool timeTrue) {
    ShownBits bits;
    RasterModel timeTrueRaster;
    if (PrepareTimeTrue(stream, params, timeTrue, timeTrueRaster)) {
        bits.hard = ExtractBits(timeTrueRaster.levels, timeTrueRaster.params);
        return bits;
    }
    bits.hard = ExtractBits(stream.levels, params);
    if (stream.HasSoft()) bits.soft = ExtractSoftBits(stream.soft, params);
    return bits;
}

}  // namespace morvane
