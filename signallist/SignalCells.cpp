#include "signallist/SignalCells.h"

#include "livetext/TransmissionInfo.h"
#include "receiver/RateEstimate.h"
#include "text/TextNumbers.h"

QStringList SignalCells::Titles() {
    return {QStringLiteral("#"), QStringLiteral("Time"),    QStringLiteral("Rate"), QStringLiteral("Tones"), QStringLiteral("Code"),
            QStringLiteral("Quality"), QStringLiteral("dB"),   QStringLiteral("Text")};
}

QStringList SignalCells::Of(const morvane::SignalRow& row, const QString& clock) {
    // The newest transmission's figures: a signal that came back may have changed.
    const morvane::ReceivedTransmission& t = row.latest;
    const double usual = morvane::UsualBaud(t.baud);
    const std::string rate = usual > 0.0 ? morvane::ShortDecimal(usual, 2) : morvane::ShortDecimal(t.baud, 1);
    const QString tones = QString::fromStdString(morvane::ShortDecimal(static_cast<float>(t.tone1Hz), 1) + "/" +
                                                 morvane::ShortDecimal(static_cast<float>(t.tone2Hz), 1) + " Hz");
    return {QString::number(row.block),
            clock,
            QString::fromStdString(rate + " Bd"),
            tones,
            QString::fromStdString(morvane::CodeName(t.code)),
            QString::number(t.quality, 'f', 2),
            QString::number(t.snrDb, 'f', 0),
            Newest(row.text, kNewestCharacters)};
}

QString SignalCells::Newest(const std::string& text, int characters) {
    QString line = QString::fromStdString(text);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line = line.trimmed();
    return line.size() > characters ? line.right(characters).trimmed() : line;
}
