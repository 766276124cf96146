#include "widgets/CTuningWaterfall.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <cstdint>

#include "tuning/TuningWaterfall.h"

CTuningWaterfall::CTuningWaterfall(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tuningWaterfall"));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setToolTip(QStringLiteral("A click sets the tones; the wheel zooms"));
}

void CTuningWaterfall::SetPicture(const morvane::TuningWaterfall& fall, double lowHz, double highHz) {
    const int columns = fall.Columns(), rows = fall.Rows();
    // In the painting format: a paint only copies it (a grey picture would be
    // converted at every paint).
    if (m_image.width() != columns || m_image.height() != rows) m_image = QImage(columns, rows, QImage::Format_RGB32);
    const std::uint8_t* grey = fall.Pixels().data();
    for (int y = 0; y < rows; ++y) {
        auto* out = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        for (int x = 0; x < columns; ++x, ++grey) out[x] = 0xFF000000U | (std::uint32_t{*grey} * 0x010101U);
    }
    m_labels.clear();
    for (const auto& [column, hz] : fall.Labels()) m_labels.emplace_back(column, QString::number(hz));
    m_leftHz = fall.FrequencyAt(0);
    m_hzPerColumn = fall.FrequencyAt(1) - m_leftHz;
    m_lowX = static_cast<int>(std::floor(fall.ColumnOf(lowHz)));
    m_highX = static_cast<int>(std::floor(fall.ColumnOf(highHz)));
    if (m_cursorX >= 0) m_cursorText = QStringLiteral("%1 Hz").arg(FrequencyAt(m_cursorX));
    update();
}

int CTuningWaterfall::FrequencyAt(int x) const {
    return static_cast<int>(std::lround(m_leftHz + (x + 0.5) * m_hzPerColumn));
}

void CTuningWaterfall::mouseMoveEvent(QMouseEvent* event) {
    m_cursorX = static_cast<int>(event->position().x());
    m_cursorText = QStringLiteral("%1 Hz").arg(FrequencyAt(m_cursorX));
    update();
}

void CTuningWaterfall::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_cursorX = -1;
    m_cursorText.clear();
    update();
}

void CTuningWaterfall::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit tonePicked(FrequencyAt(static_cast<int>(event->position().x())));
}

void CTuningWaterfall::wheelEvent(QWheelEvent* event) {
    m_wheel += event->angleDelta().y();
    const int steps = m_wheel / 120;
    m_wheel -= steps * 120;
    if (steps != 0) emit zoomRequested(steps);
    event->accept();
}

void CTuningWaterfall::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(30, 30, 30));
    painter.drawImage(0, kLabelHeight, m_image);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(QColor(220, 220, 220));
    for (const auto& [x, text] : m_labels) {
        painter.drawLine(x, kLabelHeight - 3, x, kLabelHeight - 1);
        painter.drawText(QRect(x - 30, 0, 60, kLabelHeight - 3), Qt::AlignHCenter | Qt::AlignBottom, text);
    }
    painter.setPen(QPen(QColor(230, 60, 60), 1));
    for (const int x : {m_lowX, m_highX})
        if (x >= 0 && x < width()) painter.drawLine(x, kLabelHeight, x, kLabelHeight + 6);
    if (m_cursorX < 0) return;
    painter.setPen(QColor(255, 220, 0));
    painter.drawLine(m_cursorX, kLabelHeight, m_cursorX, height());
    const bool right = m_cursorX < width() - 70;
    painter.drawText(QRect(right ? m_cursorX + 4 : m_cursorX - 74, kLabelHeight + 2, 70, 14),
                     (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop, m_cursorText);
}
