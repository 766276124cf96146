// The zoomed waterfall widget: the prepared picture and labels, the
// frequency under the cursor, clicks and the wheel.
#include <QSignalSpy>
#include <QtTest/QtTest>
#include <cmath>
#include <vector>

#include "WidgetTests.h"
#include "tuning/TuningWaterfall.h"
#include "widgets/CTuningWaterfall.h"

class TuningWaterfallTest : public QObject {
    Q_OBJECT
private slots:
    void pictureCursorClickAndWheel() {
        morvane::TuningWaterfall fall(300, 50);
        fall.SetView(2000.0, 2);  // 3 Hz a column: 1550 … 2450 Hz
        std::vector<std::int16_t> tone(32768);
        for (std::size_t n = 0; n < tone.size(); ++n)
            tone[n] = static_cast<std::int16_t>(20000.0 * std::sin(2.0 * 3.141592653589793 * 2125.0 * n / 48000.0));
        fall.AddBlock(tone.data(), tone.size());
        CTuningWaterfall view;
        view.resize(300, 50 + CTuningWaterfall::kLabelHeight);
        view.SetPicture(fall, 2125.0, 2295.0);
        QCOMPARE(view.Picture().size(), QSize(300, 50));
        // The tone's column is the bright one of the newest row.
        int brightest = 0;
        for (int x = 0; x < 300; ++x)
            if (qGray(view.Picture().pixel(x, 49)) > qGray(view.Picture().pixel(brightest, 49))) brightest = x;
        QVERIFY2(std::abs(view.FrequencyAt(brightest) - 2125) <= 6, qPrintable(QString::number(view.FrequencyAt(brightest))));
        QVERIFY(view.Labels().size() >= 3);
        QCOMPARE(view.Labels().front().second.toInt() % 100, 0);

        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseMove(&view, QPoint(150, 30));
        QTRY_COMPARE(view.CursorText(), QStringLiteral("%1 Hz").arg(view.FrequencyAt(150)));
        QCOMPARE(view.FrequencyAt(150), 2002);  // the middle column's centre
        QSignalSpy picked(&view, &CTuningWaterfall::tonePicked);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(brightest, 30));
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0).at(0).toInt(), view.FrequencyAt(brightest));
        QSignalSpy zoom(&view, &CTuningWaterfall::zoomRequested);
        QWheelEvent wheel(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), {}, {0, 240}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
        QCOMPARE(zoom.count(), 1);
        QCOMPARE(zoom.at(0).at(0).toInt(), 2);
    }
};

MORVANE_WIDGET_TEST(TuningWaterfallTest);

#include "TuningWaterfallTest.moc"
