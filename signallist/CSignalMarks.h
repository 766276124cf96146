#pragma once
#include <QWidget>
#include <vector>

class CPanoramicView;

/// A signal's place on the waterfall.
struct SignalMark {
    double lowHz = 0.0, highHz = 0.0;
    int number = 0;         // shown beside it
    bool received = false;  // its receiver reads it (found only: drawn fainter)
};

/// The marks of the signals found, drawn over the "Sound input" strip: a
/// bracket under the frequency labels from a signal's low to its high tone,
/// its number at its middle. A child of the view, it lets every mouse event
/// through to it and draws what it was last given whenever the view is
/// drawn (it never asks for a repaint of its own: the view adds a waterfall
/// row on every repaint it did not ask for).
class CSignalMarks : public QWidget {
    Q_OBJECT
public:
    explicit CSignalMarks(CPanoramicView& view);
    /// The marks drawn from the view's next repaint on.
    void SetMarks(std::vector<SignalMark> marks) { m_marks = std::move(marks); }
    const std::vector<SignalMark>& Marks() const { return m_marks; }

    static constexpr int kTop = 20;  // pixels below the client area's top: under the labels

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    CPanoramicView& m_view;
    std::vector<SignalMark> m_marks;
};
