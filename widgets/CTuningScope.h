#pragma once
#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

#include "tuning/TuningScope.h"

/// The mark/space tuning scope: one ellipse a window, its width the tone 1
/// amplitude and its height the tone 2 amplitude, so a keyed signal tuned
/// right draws a cross (tone 1 across, tone 2 upright), noise a round blur,
/// and a signal off its tones a small tangle. Under it the state: "Locked"
/// (a transmission is being read), "Signal" (keyed, not yet read) or
/// "No signal". The ellipses are plotted into a picture when a picture is
/// set; painting only copies it.
class CTuningScope : public QWidget {
    Q_OBJECT
public:
    enum class State { NoSignal, Signal, Locked };

    explicit CTuningScope(QWidget* parent = nullptr);

    /// Shows `picture` in `state`; repaints.
    void SetPicture(const morvane::TuningPicture& picture, State state);
    State Shown() const { return m_state; }
    /// The state's text as drawn.
    static QString StateText(State state);
    /// The ellipses as drawn (widget coordinates), for tests.
    const std::vector<QRectF>& Ellipses() const { return m_ellipses; }

    QSize sizeHint() const override { return {120, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Prepare();
    void Plot();
    QRectF Scope() const;

    morvane::TuningPicture m_picture;
    State m_state = State::NoSignal;
    std::vector<QRectF> m_ellipses;
    QImage m_plot;  // the scope's square as painted
};
