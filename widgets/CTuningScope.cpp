#include "widgets/CTuningScope.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int kStateHeight = 16;  // the state's line under the scope
constexpr int kTurnSteps = 512;    // points round the largest ellipse

// Cosine and sine at kTurnSteps steps round a turn.
const std::array<QPointF, kTurnSteps>& Turn() {
    static const std::array<QPointF, kTurnSteps> turn = [] {
        std::array<QPointF, kTurnSteps> t{};
        for (int i = 0; i < kTurnSteps; ++i) {
            const double a = 2.0 * std::numbers::pi * i / kTurnSteps;
            t[static_cast<std::size_t>(i)] = {std::cos(a), std::sin(a)};
        }
        return t;
    }();
    return turn;
}

QColor StateColour(CTuningScope::State state) {
    switch (state) {
        case CTuningScope::State::Locked: return {40, 200, 70};
        case CTuningScope::State::Signal: return {230, 190, 40};
        case CTuningScope::State::NoSignal: break;
    }
    return {120, 120, 120};
}

}  // namespace

CTuningScope::CTuningScope(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tuningScope"));
    setMinimumSize(80, 80);
    setToolTip(QStringLiteral("Tuning: tone 1 draws across, tone 2 upright; tuned right, a keyed signal draws a cross"));
}

QString CTuningScope::StateText(State state) {
    switch (state) {
        case State::Locked: return QStringLiteral("Locked");
        case State::Signal: return QStringLiteral("Signal");
        case State::NoSignal: break;
    }
    return QStringLiteral("No signal");
}

void CTuningScope::SetPicture(const morvane::TuningPicture& picture, State state) {
    m_picture = picture;
    m_state = state;
    Prepare();
    update();
}

QRectF CTuningScope::Scope() const {
    // A square above the state's line, centred.
    const double side = std::max(10, std::min(width(), height() - kStateHeight)) - 4.0;
    return {(width() - side) / 2.0, 2.0, side, side};
}

void CTuningScope::Prepare() {
    const QRectF scope = Scope();
    const QPointF centre = scope.center();
    const double half = scope.width() / 2.0 - 1.0;
    m_ellipses.clear();
    m_ellipses.reserve(m_picture.ellipses.size());
    for (const auto& e : m_picture.ellipses) {
        const double rx = std::max(0.5, e.tone1 * half), ry = std::max(0.5, e.tone2 * half);
        m_ellipses.emplace_back(centre.x() - rx, centre.y() - ry, 2.0 * rx, 2.0 * ry);
    }
    Plot();
}

void CTuningScope::Plot() {
    // The scope's square with its axes and the trace, one pixel a point,
    // drawn here so that a paint only copies it.
    const QRectF scope = Scope();
    const int side = static_cast<int>(scope.width());
    if (m_plot.width() != side) m_plot = QImage(side, side, QImage::Format_RGB32);
    m_plot.fill(QColor(10, 20, 10));
    const QRgb axis = QColor(40, 70, 40).rgb();
    auto* pixels = reinterpret_cast<QRgb*>(m_plot.bits());
    const auto stridePixels = static_cast<std::ptrdiff_t>(m_plot.bytesPerLine() / 4);
    const int middle = side / 2;
    for (int i = 0; i < side; ++i) {
        pixels[middle * stridePixels + i] = axis;
        pixels[i * stridePixels + middle] = axis;
    }
    const QPoint origin = scope.topLeft().toPoint();  // where the square is painted
    const QRgb trace = (m_state == State::NoSignal ? QColor(90, 160, 90) : QColor(90, 255, 120)).rgb();
    const std::array<QPointF, kTurnSteps>& turn = Turn();
    for (const QRectF& e : m_ellipses) {
        const double rx = e.width() / 2.0, ry = e.height() / 2.0;
        const double cx = e.center().x() - origin.x(), cy = e.center().y() - origin.y();
        // About one point a pixel of the outline.
        const double around = 2.0 * std::numbers::pi * std::sqrt((rx * rx + ry * ry) / 2.0);
        const int step = std::clamp(static_cast<int>(kTurnSteps / std::max(1.0, around)), 1, kTurnSteps / 8);
        for (int i = 0; i < kTurnSteps; i += step) {
            const QPointF& at = turn[static_cast<std::size_t>(i)];
            const double fx = cx + rx * at.x(), fy = cy + ry * at.y();
            if (!(fx >= 0.0 && fy >= 0.0)) continue;
            const auto x = static_cast<int>(fx), y = static_cast<int>(fy);
            if (x < side && y < side) pixels[y * stridePixels + x] = trace;
        }
    }
}

void CTuningScope::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Prepare();
}

void CTuningScope::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(Scope().topLeft().toPoint(), m_plot);
    const QRectF line(0, height() - kStateHeight, width(), kStateHeight);
    painter.setPen(StateColour(m_state));
    painter.drawText(line, Qt::AlignCenter, StateText(m_state));
}
