#include "widgets/CResultsView.h"

#include <QWheelEvent>

#include <QPainter>
#include <algorithm>
#include <exception>

#include "dsp/VectorState.h"
#include "raster/RasterImage.h"

CResultsView::CResultsView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    // Every pass covers the whole client area; nothing behind it shows.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CResultsView::Prepare() {
    try {
        const QSize size = ClientSize();
        const morvane::RgbImage raster =
            morvane::RenderRaster(Levels(), Params(), std::max(0, size.width()), std::max(0, size.height()));
        QImage image(raster.width, raster.height, QImage::Format_RGB32);
        for (std::int32_t y = 0; y < raster.height; ++y) {
            const std::uint8_t* src = raster.rgb.data() + static_cast<std::size_t>(y) * raster.width * 3;
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (std::int32_t x = 0; x < raster.width; ++x, src += 3) dst[x] = qRgb(src[0], src[1], src[2]);
        }
        m_image = std::move(image);
        return true;
    } catch (const std::exception&) {
        // The pass is abandoned; the previous image stays on show.
        return false;
    }
}

bool CResultsView::Draw() {
    morvane::ClearUpperVectorState();  // see CPanoramicView::UpdateSpectrum
    if (!Prepare()) return false;
    repaint();
    return true;
}

void CResultsView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Prepare();
}

void CResultsView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);  // the sunken frame
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    if (m_image.size() != client.size()) painter.fillRect(client, Qt::white);
    painter.drawImage(client.topLeft(), m_image);
}

void CResultsView::wheelEvent(QWheelEvent* event) {
    // 120 eighths of a degree make a notch; a fine-grained wheel adds up.
    constexpr int kNotch = 120;
    m_wheelEighths += event->angleDelta().y();
    const int notches = m_wheelEighths / kNotch;
    m_wheelEighths -= notches * kNotch;
    event->accept();
    // Turned away from the user (positive) goes back up the stream.
    if (notches != 0) emit scrollRows(-notches * kRowsPerNotch);
}
