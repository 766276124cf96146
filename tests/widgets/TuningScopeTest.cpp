// The tuning scope draws the prepared ellipses: tone 1 across, tone 2
// upright, sized by their amplitudes, with the state under them.
#include <QImage>
#include <QtTest/QtTest>

#include "WidgetTests.h"
#include "widgets/CTuningScope.h"

class TuningScopeTest : public QObject {
    Q_OBJECT
private slots:
    void ellipsesFollowTheToneAmplitudes() {
        CTuningScope scope;
        scope.resize(136, 136);
        morvane::TuningPicture picture;
        picture.ellipses = {{1.0F, 0.0F}, {0.0F, 1.0F}, {0.5F, 0.25F}};
        scope.SetPicture(picture, CTuningScope::State::Locked);
        const std::vector<QRectF>& e = scope.Ellipses();
        QCOMPARE(e.size(), std::size_t{3});
        const double half = (136 - 16 - 4) / 2.0 - 1.0;  // the scope's square above the state's line
        QVERIFY(qAbs(e[0].width() - 2.0 * half) < 0.01 && e[0].height() <= 1.0);  // across
        QVERIFY(qAbs(e[1].height() - 2.0 * half) < 0.01 && e[1].width() <= 1.0);  // upright
        QVERIFY(qAbs(e[2].width() - half) < 0.01 && qAbs(e[2].height() - half / 2.0) < 0.01);
        for (const QRectF& r : e) QCOMPARE(r.center(), e[0].center());
        // Resized, the same picture fills the new square.
        scope.show();
        QVERIFY(QTest::qWaitForWindowExposed(&scope));
        scope.resize(96, 96);
        QTRY_VERIFY(qAbs(scope.Ellipses()[0].width() - 2.0 * ((96 - 16 - 4) / 2.0 - 1.0)) < 0.01);
    }

    void drawsTraceAndState() {
        CTuningScope scope;
        scope.resize(120, 120);
        const QImage empty = scope.grab().toImage();
        morvane::TuningPicture picture;
        picture.ellipses = {{1.0F, 0.05F}};
        scope.SetPicture(picture, CTuningScope::State::Locked);
        QCOMPARE(scope.Shown(), CTuningScope::State::Locked);
        const QImage drawn = scope.grab().toImage();
        // The flat ellipse crosses the scope's middle row near its left edge; nothing is drawn there without it.
        const int y = drawn.height() > 0 ? (120 - 16 - 4) / 2 + 2 : 0;
        int lit = 0;
        for (int x = 10; x < 40; ++x) lit += qGreen(drawn.pixel(x, y - 2)) > 150 ? 1 : 0;
        QVERIFY2(lit > 0, "no trace");
        QVERIFY(drawn != empty);
        QCOMPARE(CTuningScope::StateText(CTuningScope::State::NoSignal), QStringLiteral("No signal"));
        QCOMPARE(CTuningScope::StateText(CTuningScope::State::Signal), QStringLiteral("Signal"));
        QCOMPARE(CTuningScope::StateText(CTuningScope::State::Locked), QStringLiteral("Locked"));
    }
};

MORVANE_WIDGET_TEST(TuningScopeTest);

#include "TuningScopeTest.moc"
