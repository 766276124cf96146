#include "app/RasterPicture.h"

#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <exception>

#include "raster/RasterImage.h"

bool SaveRasterPicture(const std::vector<std::int32_t>& levels, const morvane::RasterParams& params, QSize size,
                       const QString& path, QString& error) {
    morvane::RgbImage image;
    try {
        image = morvane::RenderRaster(levels, params, std::max(0, size.width()), std::max(0, size.height()));
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    const QImage picture(image.rgb.data(), image.width, image.height, image.width * 3, QImage::Format_RGB888);
    QImageWriter writer(path, "png");
    if (!writer.write(picture)) {
        error = writer.errorString();
        return false;
    }
    return true;
}
