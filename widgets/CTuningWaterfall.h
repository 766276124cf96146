#pragma once
#include <QImage>
#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

namespace morvane {
class TuningWaterfall;
}

/// The receive column's zoomed waterfall: frequency labels along the top
/// across the whole width, the picture under them, a mark at each tone,
/// and while the mouse is over it a line at the cursor with its frequency.
/// A click picks the frequency under it (tonePicked), the wheel zooms
/// (zoomRequested). The picture and labels are prepared when set; painting
/// only draws them.
class CTuningWaterfall : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLabelHeight = 14;

    explicit CTuningWaterfall(QWidget* parent = nullptr);

    /// Shows `fall` with marks at the tones (Hz).
    void SetPicture(const morvane::TuningWaterfall& fall, double lowHz, double highHz);
    /// The frequency under column `x` of the picture as last set (Hz, whole).
    int FrequencyAt(int x) const;
    /// "2125 Hz" while the mouse is over the picture, else empty.
    const QString& CursorText() const { return m_cursorText; }
    const QImage& Picture() const { return m_image; }
    const std::vector<std::pair<int, QString>>& Labels() const { return m_labels; }

signals:
    void tonePicked(int hz);
    /// The wheel: positive steps zoom in, negative out.
    void zoomRequested(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage m_image;
    std::vector<std::pair<int, QString>> m_labels;
    double m_leftHz = 0.0, m_hzPerColumn = 1.0;
    int m_lowX = -1, m_highX = -1;
    int m_cursorX = -1;
    QString m_cursorText;
    int m_wheel = 0;  // eighths of a degree not yet turned into a step
};
