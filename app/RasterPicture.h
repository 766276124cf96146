#pragma once
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

#include "raster/RasterParams.h"

/// Writes the raster of `levels` laid out by `params` at `size` pixels (the
/// results view's client size; negative sizes count as 0) as a PNG file: the
/// same pixels as the command line's raster picture. Returns false with the
/// reason in `error` when the image cannot be made or the file written.
bool SaveRasterPicture(const std::vector<std::int32_t>& levels, const morvane::RasterParams& params, QSize size,
                       const QString& path, QString& error);
