#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "app/CQuitOnSignal.h"

// A signal closes every open menu and dialog, innermost first; the code after
// each modal run goes on as after Esc.
class QuitOnSignalTest : public QObject {
    Q_OBJECT

private slots:
    void signalEndsNestedModalRuns_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalEndsNestedModalRuns() {
        QFETCH(int, signal);
        CQuitOnSignal quit;
        QSignalSpy quitting(&quit, &CQuitOnSignal::Quitting);
        QDialog outer;
        QStringList ended;
        int innerResult = -1, menuDone = 0;
        // Once the outer run has started: an inner dialog, in it a menu, in it the signal.
        QTimer::singleShot(0, &outer, [&] {
            QDialog inner(&outer);
            QTimer::singleShot(0, &inner, [&] {
                QMenu menu(&inner);
                menu.addAction(QStringLiteral("Open recording..."));
                QTimer::singleShot(0, &menu, [&] { std::raise(signal); });
                menu.exec(QPoint(10, 10));
                ++menuDone;
                ended << QStringLiteral("menu");
            });
            innerResult = inner.exec();
            ended << QStringLiteral("inner");
        });
        const int outerResult = outer.exec();
        ended << QStringLiteral("outer");
        QCOMPARE(ended, (QStringList{QStringLiteral("menu"), QStringLiteral("inner"), QStringLiteral("outer")}));
        QCOMPARE(innerResult, int(QDialog::Rejected));
        QCOMPARE(outerResult, int(QDialog::Rejected));
        QCOMPARE(menuDone, 1);
        QCOMPARE(quitting.size(), 1);
        QCOMPARE(quitting.at(0).at(0).toInt(), signal);
        QCOMPARE(quit.Received(), signal);
    }

    void previousHandlingComesBack() {
        struct sigaction before {};
        sigaction(SIGTERM, nullptr, &before);
        {
            CQuitOnSignal quit;
            struct sigaction during {};
            sigaction(SIGTERM, nullptr, &during);
            QVERIFY(during.sa_handler != before.sa_handler);
        }
        struct sigaction after {};
        sigaction(SIGTERM, nullptr, &after);
        QVERIFY(after.sa_handler == before.sa_handler);
    }

    void ignoredSignalStaysIgnored() {
        const auto previous = std::signal(SIGINT, SIG_IGN);
        {
            CQuitOnSignal quit;
            struct sigaction during {};
            sigaction(SIGINT, nullptr, &during);
            QVERIFY(during.sa_handler == SIG_IGN);
        }
        std::signal(SIGINT, previous);
    }
};

QTEST_MAIN(QuitOnSignalTest)
#include "QuitOnSignalTest.moc"
