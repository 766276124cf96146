#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "WidgetTests.h"
#include "widgets/CNumSpinCtrl.h"
#include "widgets/CUpDown.h"

namespace {

struct IntegerSpin {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    CUpDown* spin = new CUpDown(&window);
    IntegerSpin(int low, int high, int position) {
        edit->setGeometry(10, 10, 80, 22);
        spin->SetBuddy(edit);
        spin->SetRange32(low, high);
        spin->SetPos32(position);
    }
};

struct SlantSpin {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    CNumSpinCtrl* spin = new CNumSpinCtrl(&window);
    explicit SlantSpin(double value) {
        edit->setGeometry(10, 10, 80, 22);
        spin->SetBuddy(edit);
        spin->SetValueRange(-1.0, 1.0, 0.05);
        spin->SetValue(value);
    }
};

}  // namespace

class UpDownTest : public QObject {
    Q_OBJECT

private slots:
    void stepsFromWhatTheBuddyShows_data() {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QString>("shown");
        QTest::newRow("up") << 1 << 1024 << false << "64" << 1 << "65";
        QTest::newRow("down") << 1 << 1024 << false << "64" << -1 << "63";
        QTest::newRow("typed value counts") << 1 << 1024 << false << "1000" << 1 << "1001";
        QTest::newRow("clamped at the top") << 1 << 1024 << false << "1024" << 1 << "1024";
        QTest::newRow("clamped at the bottom") << -10 << 10 << false << "-10" << -1 << "-10";
        QTest::newRow("typed beyond the range") << 1 << 1024 << false << "5000" << -1 << "1023";
        QTest::newRow("wraps at the top") << 1 << 1024 << true << "1024" << 1 << "1";
        QTest::newRow("wraps at the bottom") << 0 << 1024 << true << "0" << -1 << "1024";
        QTest::newRow("no thousands separator") << 1 << 9999 << false << "4999" << 1 << "5000";
        QTest::newRow("text that is no integer keeps the last position") << 1 << 9999 << false << "abc" << 1 << "8";
        QTest::newRow("reversed range: up goes toward high") << 10 << 0 << false << "5" << 1 << "4";
    }
    void stepsFromWhatTheBuddyShows() {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(bool, wrap);
        QFETCH(QString, typed);
        QFETCH(int, delta);
        QFETCH(QString, shown);
        IntegerSpin s(low, high, 7);
        s.spin->SetWrap(wrap);
        s.edit->setText(typed);
        s.spin->Step(delta);
        QCOMPARE(s.edit->text(), shown);
    }

    void ownerSeesTheRequestBeforeTheBuddyChangesAndMayRefuse() {
        IntegerSpin s(1, 1024, 64);
        QString textWhenAsked;
        int askedPosition = 0;
        int askedDelta = 0;
        bool refuse = true;
        QObject::connect(s.spin, &CUpDown::deltaPos, s.spin, [&](int position, int delta, bool* out) {
            textWhenAsked = s.edit->text();
            askedPosition = position;
            askedDelta = delta;
            *out = refuse;
        });
        QSignalSpy changed(s.spin, &CUpDown::positionChanged);
        s.spin->Step(-1);
        QCOMPARE(textWhenAsked, QStringLiteral("64"));
        QCOMPARE(askedPosition, 64);
        QCOMPARE(askedDelta, -1);
        QCOMPARE(s.edit->text(), QStringLiteral("64"));  // refused
        QCOMPARE(changed.count(), 0);
        refuse = false;
        s.spin->Step(-1);
        QCOMPARE(s.edit->text(), QStringLiteral("63"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 63);
    }

    void arrowKeysInTheBuddyStep() {
        IntegerSpin s(1, 1024, 24);
        QTest::keyClick(s.edit, Qt::Key_Up);
        QTest::keyClick(s.edit, Qt::Key_Up);
        QTest::keyClick(s.edit, Qt::Key_Down);
        QCOMPARE(s.edit->text(), QStringLiteral("25"));
    }

    void holdingAnArrowRepeats() {
        IntegerSpin s(1, 1024, 10);
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        auto* up = s.spin->findChildren<QToolButton*>().value(0);
        QVERIFY(up != nullptr);
        QTest::mousePress(up, Qt::LeftButton);
        QTest::qWait(700);
        QTest::mouseRelease(up, Qt::LeftButton);
        QVERIFY2(s.edit->text().toInt() >= 13, qPrintable(s.edit->text()));
    }

    void sitsOnTheBuddysRightEdge() {
        IntegerSpin s(0, 10, 0);
        const QRect edit = s.edit->geometry();
        const QRect spin = s.spin->geometry();
        QCOMPARE(spin.left(), edit.right() + 1);
        QCOMPARE(spin.top(), edit.top());
        QCOMPARE(spin.height(), edit.height());
        QCOMPARE(spin.right(), 89);  // the pair keeps the edit's original extent
        s.spin->SetBuddy(s.edit);   // attaching again changes nothing
        QCOMPARE(s.edit->geometry(), edit);
        QCOMPARE(s.spin->geometry(), spin);
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        s.edit->move(30, 40);       // the control follows its buddy
        QCOMPARE(s.spin->geometry().topLeft(), QPoint(s.edit->geometry().right() + 1, 40));
    }

    void numericSpinStepsTheSlant_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("delta");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<QString>("shown");
        QTest::newRow("up to the maximum") << "0.95" << 1 << false << "1";
        QTest::newRow("clamped at the maximum") << "1" << 1 << false << "1";
        QTest::newRow("down to the minimum") << "-0.95" << -1 << false << "-1";
        QTest::newRow("clamped at the minimum") << "-1" << -1 << false << "-1";
        QTest::newRow("typed 0.15 down") << "0.15" << -1 << false << "0.1";
        QTest::newRow("typed above the range, down") << "5" << -1 << false << "4.95";
        QTest::newRow("typed above the range, up") << "5" << 1 << false << "1";
        QTest::newRow("typed above the range, up, wrap") << "5" << 1 << true << "-1";
        QTest::newRow("text after the number") << "0.5 levels" << 1 << false << "0.55";
    }
    void numericSpinStepsTheSlant() {
        QFETCH(QString, typed);
        QFETCH(int, delta);
        QFETCH(bool, wrap);
        QFETCH(QString, shown);
        SlantSpin s(0.0);
        s.spin->SetWrap(wrap);
        s.edit->setText(typed);
        s.spin->Step(delta);
        QCOMPARE(s.edit->text(), shown);
    }

    void numericSpinPositionMirrorsTheValue() {
        SlantSpin s(0.0);
        QCOMPARE(s.spin->Model().positionCount, 40);
        QCOMPARE(s.spin->Upper(), 40);
        QCOMPARE(s.spin->GetPos32(), 20);
        QCOMPARE(s.edit->text(), QStringLiteral("0"));
        s.spin->SetValue(0.5);
        QCOMPARE(s.spin->GetPos32(), 30);
        s.edit->setText(QStringLiteral("-2"));  // typed, then synchronised
        s.spin->SyncPositions();
        QCOMPARE(s.spin->GetPos32(), 0);
        QCOMPARE(s.edit->text(), QStringLiteral("-2"));  // the text is the user's
        s.spin->SetFormatText(QStringLiteral("%.3f"));
        s.spin->ShowValue(0.25);
        QCOMPARE(s.edit->text(), QStringLiteral("0.250"));
        s.spin->SetFormatText(QStringLiteral("%s"));  // unusable: the plain form instead
        s.spin->ShowValue(0.25);
        QCOMPARE(s.edit->text(), QStringLiteral("0.25"));
    }

    void numericSpinWithoutBuddy() {
        CNumSpinCtrl spin;
        spin.ShowValue(3.0);
        QCOMPARE(spin.GetValue(), 0.0);
        spin.SetValueRange(-1.0, 1.0, 0.05);
        QCOMPARE(spin.GetPos32(), 20);  // the image of 0.0
    }
};

MORVANE_WIDGET_TEST(UpDownTest);

#include "UpDownTest.moc"
