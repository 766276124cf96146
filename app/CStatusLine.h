#pragma once
#include <QFont>
#include <QString>
#include <QTimer>

class QLabel;

/// The main window's status line (bottom right): the last status text; over
/// it what the input is doing (reading a recording, capturing), except for
/// some seconds after a notice (Align's outcome); over all, while the mouse is
/// on the waterfall, which tone a click sets. A text too long for the label
/// is first set in a slightly smaller font (down to kSmallestScale of the
/// label's own), then keeps its beginning; the whole text is the tooltip.
class CStatusLine {
public:
    explicit CStatusLine(QLabel* label);

    /// `notice`: the text stays in front of the activity for kNoticeMs.
    void SetStatus(const QString& text, bool notice = false);
    const QString& Status() const { return m_status; }
    /// "Reading ..." or "Capturing ...", or empty.
    void SetActivity(const QString& text);
    /// Which tone a click sets, or empty when the mouse is not on the strip.
    void SetHover(const QString& text);
    bool Hovering() const { return !m_hover.isEmpty(); }
    /// Whether a notice is still in front of the activity.
    bool NoticeShown() const { return m_notice.isActive(); }
    /// The text shown (before it is shortened to fit).
    QString Text() const;
    /// Shows the text again (after the label changed its width).
    void Refresh();

    static constexpr int kNoticeMs = 8000;
    static constexpr double kSmallestScale = 0.8;

private:
    QLabel* m_label;
    QFont m_font;  // the label's own
    QString m_status = QStringLiteral("Ready");
    QString m_activity;
    QString m_hover;
    QTimer m_notice;  // runs while the status is a notice
};
