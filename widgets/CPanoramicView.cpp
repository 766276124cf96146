#include "widgets/CPanoramicView.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>

#include "dsp/Spectrum.h"
#include "dsp/VectorState.h"

namespace {

constexpr QRgb kSurfaceGrey = 0xFF808080;
constexpr std::int32_t kMinBlockBytes = 2048;
constexpr std::int32_t kMinPickHz = 200;
constexpr std::int32_t kMaxPickHz = 3200;
constexpr int kLabelCount = 8;
constexpr int kLabelStepHz = 500;
constexpr int kLabelCellHeight = 12;  // pixels, ascent plus descent
const QColor kLabelDot(200, 0, 0);

// ⌊v⌋ + 1 when the fraction exceeds one half, else ⌊v⌋.
int RoundHalfDown(float v) {
    const float f = std::floor(v);
    return static_cast<int>(v - f > 0.5f ? f + 1.0f : f);
}

std::int32_t ClampToInt(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -1000000, 1000000));
}

QFont MakeLabelFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) font.setFamily(QStringLiteral("Tahoma"));
    font.setWeight(QFont::Normal);
    // 12 pixels of cell height, as a character cell counts it (accents included).
    int size = kLabelCellHeight;
    for (; size > 6; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.ascent() + metrics.descent() <= kLabelCellHeight) break;
    }
    font.setPixelSize(size);
    return font;
}

}  // namespace

CPanoramicView::CPanoramicView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void CPanoramicView::CreateSurface() {
    // The client area, inside the frame: drawn unscaled, so pixel x shows bin
    // x exactly where the labels, the markers and a click put its frequency.
    m_surface = QImage(contentsRect().size(), QImage::Format_ARGB32);
    m_surface.fill(kSurfaceGrey);
    m_labelFont = MakeLabelFont();
}

void CPanoramicView::UpdateSpectrum(const std::int16_t* block, std::int32_t blockBytes) {
    if (AddSpectrumRow(block, blockBytes)) RepaintNow();
}

bool CPanoramicView::AddSpectrumRow(const std::int16_t* block, std::int32_t blockBytes) {
    if (block == nullptr || blockBytes < kMinBlockBytes) return false;
    // Qt's own code, run just before, may leave the upper vector state dirty;
    // the transform's plain SSE arithmetic would then run several times slower.
    morvane::ClearUpperVectorState();
    try {
        // A block shorter than the transform's 4096 samples counts as padded
        // with silence; nothing beyond its end is read.
        morvane::ComputeSpectrum(block, static_cast<std::size_t>(blockBytes / 2), spectrum, fftSize);
        m_spectrumBins = fftSize;
    } catch (const std::exception&) {
        return false;  // an unusable transform size: nothing changes
    }
    if (m_surface.isNull()) return false;
    AdvanceWaterfall();
    return true;
}

void CPanoramicView::AdvanceWaterfall() {
    if (m_surface.isNull() || !spectrum) return;
    const int w = m_surface.width();
    const int h = m_surface.height();
    if (w <= 0 || h <= 0) return;
    for (int y = 1; y < h; ++y) std::memcpy(m_surface.scanLine(y - 1), m_surface.scanLine(y), 4u * w);
    auto* row = reinterpret_cast<QRgb*>(m_surface.scanLine(h - 1));
    for (int x = 0; x < w; ++x) {
        // Columns beyond the last bin have no spectrum behind them.
        if (x >= m_spectrumBins) {
            row[x] = kSurfaceGrey;
            continue;
        }
        const int g = morvane::SpectrumLevel(spectrum[2 * x], spectrum[2 * x + 1]);
        row[x] = qRgb(g, g, g);
    }
}

QRect CPanoramicView::FittedRect(QSize image, const QRect& rect) {
    const int iw = image.width();
    const int ih = image.height();
    const int rw = rect.width();
    const int rh = rect.height();
    int w = 0;
    int h = 0;
    if (iw > 0 && ih > 0 && rw > 0 && rh > 0) {
        if (static_cast<float>(iw) / static_cast<float>(ih) > static_cast<float>(rw) / static_cast<float>(rh)) {
            w = rw;
            h = RoundHalfDown(static_cast<float>(ih) * static_cast<float>(rw) / static_cast<float>(iw));
        } else {
            h = rh;
            w = RoundHalfDown(static_cast<float>(iw) * static_cast<float>(rh) / static_cast<float>(ih));
        }
    }
    const int right = rect.left() + rw;  // exclusive edges
    const int bottom = rect.top() + rh;
    const int cx = (rect.left() + right) / 2;
    const int cy = (rect.top() + bottom) / 2;
    const int hw = w / 2;
    const int hh = h / 2;
    return QRect(cx - hw, cy - hh, 2 * hw, 2 * hh);
}

void CPanoramicView::DrawImageFitted(const QImage& image, QPainter& painter, QRect& rect) {
    rect = FittedRect(image.size(), rect);
    if (rect.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect, image);
    painter.restore();
}

std::int32_t CPanoramicView::FrequencyAt(std::int32_t x) const {
    if (fftSize <= 0) return kMinPickHz;
    const std::int64_t f = static_cast<std::int64_t>(sampleRate) * x / fftSize;
    if (f < kMinPickHz) return kMinPickHz;
    if (f > kMaxPickHz) return kMaxPickHz;
    return static_cast<std::int32_t>(f);
}

std::int32_t CPanoramicView::MarkerX(std::int32_t hz) const {
    if (sampleRate <= 0) return 0;
    return ClampToInt(static_cast<std::int64_t>(hz) * fftSize / sampleRate);
}

std::int32_t CPanoramicView::LabelSpacing() const {
    if (sampleRate <= 0) return 0;
    return ClampToInt(static_cast<std::int64_t>(fftSize) * kLabelStepHz / sampleRate);
}

void CPanoramicView::RepaintNow() {
    m_ownRepaint = true;
    repaint();
    m_ownRepaint = false;
}

void CPanoramicView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_surface.isNull()) return;
    // A repaint the window system asked for repeats the newest spectrum.
    if (!m_ownRepaint) AdvanceWaterfall();

    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.translate(client.topLeft());  // from here on: client coordinates
    QRect covered(0, 0, client.width(), client.height());
    DrawImageFitted(m_surface, painter, covered);

    painter.setFont(m_labelFont);
    const int s = LabelSpacing();
    const int d = s / 2;
    for (int i = 0; i < kLabelCount; ++i) {
        const int x = i * s;
        painter.setPen(kLabelDot);
        painter.drawPoint(x, 0);
        painter.setPen(Qt::black);
        const QString text = QString::number(i * kLabelStepHz);
        if (i == 0)
            painter.drawText(QRect(0, 2, d, 18), Qt::AlignLeft | Qt::AlignTop, text);
        else
            painter.drawText(QRect(x - d, 2, 2 * d, 18), Qt::AlignHCenter | Qt::AlignTop, text);
    }
    const int bottom = covered.top() + covered.height();
    for (const std::int32_t hz : {markerLowHz, markerHighHz}) {
        const int x = MarkerX(hz);
        painter.drawText(QRect(x - 20, bottom - 20, 40, 20), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("|"));
    }
}

void CPanoramicView::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const int x = event->position().toPoint().x() - contentsRect().left();
    const int hz = FrequencyAt(x);
    if (!m_surface.isNull()) {
        AdvanceWaterfall();
        RepaintNow();
    }
    // Delivered after this handler has returned, whoever listens.
    QMetaObject::invokeMethod(this, [this, hz] { emit tonePicked(hz); }, Qt::QueuedConnection);
}

void CPanoramicView::ShowTones(float lowHz, float highHz) {
    const auto marker = [](float hz) {
        return static_cast<std::int32_t>(std::clamp(static_cast<double>(hz),
                                                    static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                                    static_cast<double>(std::numeric_limits<std::int32_t>::max())));
    };
    markerLowHz = marker(lowHz);
    markerHighHz = marker(highHz);
    RedrawMarkers();
}
