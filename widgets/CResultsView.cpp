#include "widgets/CResultsView.h"

#include <QWheelEvent>

#include <QPainter>
#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>

#include "dsp/VectorState.h"
#include "raster/RasterImage.h"

CResultsView::CResultsView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    // Every pass covers the whole client area; nothing behind it shows.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CResultsView::ToRgb32(const std::uint8_t* rgb, std::size_t pixels, QRgb* out) {
    // Four bytes read at a pixel's red, swapped, hold 0 r g b after a
    // shift: qRgb(r, g, b) less its alpha. The last pixel is read by bytes
    // (four would pass the end).
    for (std::size_t i = 0; i + 1 < pixels; ++i, rgb += 3) {
        std::uint32_t word = 0;
        std::memcpy(&word, rgb, sizeof word);
        if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
        out[i] = 0xFF000000U | (word >> 8);
    }
    out[pixels - 1] = qRgb(rgb[0], rgb[1], rgb[2]);
}

bool CResultsView::Prepare() {
    try {
        const QSize size = ClientSize();
        const morvane::RgbImage raster =
            morvane::RenderRaster(Levels(), Params(), std::max(0, size.width()), std::max(0, size.height()));
        // The picture of the same size is written over: no fresh memory a block.
        if (m_image.width() != raster.width || m_image.height() != raster.height)
            m_image = QImage(raster.width, raster.height, QImage::Format_RGB32);
        const std::size_t pixels = static_cast<std::size_t>(raster.width) * static_cast<std::size_t>(raster.height);
        if (pixels > 0) ToRgb32(raster.rgb.data(), pixels, reinterpret_cast<QRgb*>(m_image.bits()));
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
