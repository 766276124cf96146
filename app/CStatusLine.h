#pragma once
#include <QString>

class QLabel;

/// The main window's status line (bottom right): the last status text; over
/// it what the input is doing (reading a recording, capturing); over both,
/// while the mouse is on the waterfall, which tone a click sets. A text too
/// long for the label keeps its beginning; the whole text is the tooltip.
class CStatusLine {
public:
    explicit CStatusLine(QLabel* label) : m_label(label) {}

    void SetStatus(const QString& text);
    const QString& Status() const { return m_status; }
    /// "Reading ..." or "Capturing ...", or empty.
    void SetActivity(const QString& text);
    /// Which tone a click sets, or empty when the mouse is not on the strip.
    void SetHover(const QString& text);
    bool Hovering() const { return !m_hover.isEmpty(); }
    /// The text shown (before it is shortened to fit).
    QString Text() const;
    /// Shows the text again (after the label changed its width).
    void Refresh();

private:
    QLabel* m_label;
    QString m_status = QStringLiteral("Ready");
    QString m_activity;
    QString m_hover;
};
