#pragma once
#include <QString>
#include <QStringList>

#include "scanner/SignalRows.h"

/// The cells of a row of the "Signals" list: its number (as the waterfall's
/// mark shows it), then as decode --all's header names them time, rate,
/// tones, code, quality, dB, and the newest text.
struct SignalCells {
    /// `clock`: the row's first transmission's time as it is shown (HH:MM:SS).
    static QStringList Of(const morvane::SignalRow& row, const QString& clock);
    /// The newest text of a row on one line: its line breaks as spaces, at
    /// most `characters` of its end.
    static QString Newest(const std::string& text, int characters);
    /// The column titles.
    static QStringList Titles();

    static constexpr int kNewestCharacters = 60;
};
