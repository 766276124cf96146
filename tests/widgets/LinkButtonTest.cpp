#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "WidgetTests.h"
#include "widgets/CURLLinkButton.h"

namespace {

constexpr auto kAddress = "https://example.org/morvane";

struct Link {
    QWidget window;
    CURLLinkButton* button = new CURLLinkButton(QString::fromLatin1(kAddress), &window);
    QStringList opened;
    Link() {
        button->setGeometry(10, 10, 300, 24);
        button->SetOpener([this](const QString& a) { opened << a; });
        window.resize(320, 60);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    void Move() {
        QMouseEvent move(QEvent::MouseMove, QPointF(20, 12), button->mapToGlobal(QPointF(20, 12)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &move);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
    }
    void Key(QEvent::Type type, int key) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
};

}  // namespace

class LinkButtonTest : public QObject {
    Q_OBJECT

private slots:
    void hoverUnderlinesInTheHoverColour() {
        Link l;
        QCOMPARE(l.button->TextColour(), l.button->normalColour);
        QVERIFY(!l.button->Underlined());
        l.Move();
        QVERIFY(l.button->Underlined());
        QCOMPARE(l.button->TextColour(), l.button->hoverColour);
        l.Leave();
        QVERIFY(!l.button->Underlined());
        QCOMPARE(l.button->TextColour(), l.button->normalColour);
        QVERIFY(l.opened.isEmpty());
    }

    void clickOpensTheCaptionAndShowsVisited() {
        Link l;
        l.Move();
        QTest::mouseClick(l.button, Qt::LeftButton, {}, QPoint(20, 12));
        QCOMPARE(l.opened, QStringList{QString::fromLatin1(kAddress)});
        QVERIFY(l.button->Visited());
        // Still over the link: visited colour at once, no underline.
        QCOMPARE(l.button->TextColour(), QColor(128, 0, 128));
        QVERIFY(!l.button->Underlined());
        l.Move();
        QVERIFY(!l.button->Underlined());
        // The hover look returns only after leaving and coming back.
        l.Leave();
        l.Move();
        QVERIFY(l.button->Underlined());
        l.Leave();
        QCOMPARE(l.button->TextColour(), QColor(128, 0, 128));
    }

    void enterOpensOnReleaseSpaceNever() {
        Link l;
        l.Key(QEvent::KeyRelease, Qt::Key_Return);  // no press before it
        QVERIFY(l.opened.isEmpty());
        l.Key(QEvent::KeyPress, Qt::Key_Space);
        l.Key(QEvent::KeyRelease, Qt::Key_Space);
        QVERIFY(l.opened.isEmpty());
        l.Key(QEvent::KeyPress, Qt::Key_Return);
        QVERIFY(l.opened.isEmpty());
        l.Key(QEvent::KeyRelease, Qt::Key_Return);
        QCOMPARE(l.opened.size(), 1);
        QVERIFY(l.button->Visited());
        // Space down, then Enter up: Space arms the key like Enter does.
        l.Key(QEvent::KeyPress, Qt::Key_Space);
        l.Key(QEvent::KeyRelease, Qt::Key_Enter);
        QCOMPARE(l.opened.size(), 2);
    }

    void disabledLinkIsGreyNeverUnderlinedAndIgnoresClicks() {
        Link l;
        l.button->setEnabled(false);
        QCOMPARE(l.button->TextColour(), l.button->disabledColour);
        l.Move();
        QVERIFY(!l.button->Underlined());
        QTest::mouseClick(l.button, Qt::LeftButton, {}, QPoint(20, 12));
        l.button->OpenLink();
        l.button->click();
        QVERIFY(l.opened.isEmpty());
        QVERIFY(!l.button->Visited());
    }

    void focusRectangleOnlyWhileFocused() {
        Link l;
        QApplication::setActiveWindow(&l.window);
        QVERIFY(QTest::qWaitForWindowActive(&l.window));
        l.button->setFocus();
        QTRY_VERIFY(l.button->hasFocus());
        const QImage focused = l.button->grab().toImage();
        l.button->clearFocus();
        QTRY_VERIFY(!l.button->hasFocus());
        const QImage unfocused = l.button->grab().toImage();
        // The dotted frame sits on the button's top edge, where the caption never is.
        QCOMPARE(focused.size(), unfocused.size());
        int differing = 0;
        for (int x = 0; x < unfocused.width(); ++x) {
            QCOMPARE(unfocused.pixel(x, 0), unfocused.pixel(0, 0));
            differing += focused.pixel(x, 0) != unfocused.pixel(x, 0) ? 1 : 0;
        }
        QVERIFY(differing > 10);
    }
};

MORVANE_WIDGET_TEST(LinkButtonTest);

#include "LinkButtonTest.moc"
