#pragma once
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "scanner/SignalRows.h"

class QLabel;
class QPlainTextEdit;
class QTableWidget;

/// "Signals": every signal found in the sound, one row each in the order of
/// its lower tone, with its first transmission's time, its rate, tones,
/// code, quality and tone-over-noise (dB) and its newest text; below the
/// list, the whole text of the row chosen. A click on a row chooses it and
/// asks for its tones (signalChosen). Signals no longer followed stay
/// listed, greyed. Non-modal; it shows only what it is given.
class CSignalsDlg : public QWidget {
    Q_OBJECT
public:
    explicit CSignalsDlg(QWidget* parent = nullptr);

    /// Shows `rows`; `clock` gives the time shown for a row's first sample.
    void Show(const morvane::SignalRows& rows, const std::function<QString(std::int64_t)>& clock);
    /// Empties the list (a new stream). The signal chosen stays chosen: the
    /// first row listed again within 30 Hz of its tones is.
    void Clear();
    /// The rows shown, each as its cells joined by " | " (tests).
    QStringList Shown() const;
    /// The whole text of the row chosen.
    QString ChosenText() const;
    /// The block of the row chosen; 0 when none is.
    int Chosen() const { return m_chosen; }
    /// Says how many signals are followed (the line under the list).
    void SetStatus(const QString& text);

signals:
    /// A row was clicked: its low and high tone (Hz).
    void signalChosen(double lowHz, double highHz);

private:
    void OnClicked(int row);
    void ShowChosenText();

    QTableWidget* m_table = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_status = nullptr;
    std::vector<int> m_blocks;  // the block of every table row
    std::vector<std::pair<double, double>> m_tones;
    std::vector<std::string> m_texts;
    int m_chosen = 0;
    std::optional<std::pair<double, double>> m_chosenTones;
};
