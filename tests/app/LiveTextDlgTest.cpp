#include <QApplication>
#include <QCheckBox>
#include <QSignalSpy>
#include <QComboBox>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CLiveTextDlg.h"
#include "app/CSettingsStore.h"

class LiveTextDlgTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CSettingsStore> m_store;
    int m_serial = 0;

    static QString Header(int n) { return QStringLiteral("14:02:1%1 \u00b7 50 Bd \u00b7 1500/2000 Hz \u00b7 Baudot").arg(n); }

private slots:
    void init() { m_store = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_serial))); }

    // Every line end breaks the line once, however the pieces arrive: a
    // Baudot CR comes as CR LF and its LF as a space; ASCII sends both.
    void lineEndsBreakTheLineOnce_data() {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Baudot CR LF") << QStringList{"AB\r\n CD"} << "AB\nCD";
        QTest::newRow("Baudot CR CR LF") << QStringList{"AB\r\n\r\n CD"} << "AB\nCD";
        QTest::newRow("split CR CR LF") << QStringList{"AB\r\n", "\r\n", " CD"} << "AB\nCD";
        QTest::newRow("lone CR") << QStringList{"AB\rCD"} << "AB\nCD";
        QTest::newRow("ASCII LF") << QStringList{"AB\nCD"} << "AB\nCD";
        QTest::newRow("ASCII CR CR LF") << QStringList{"AB\r\r\nCD"} << "AB\nCD";
        QTest::newRow("space inside a line stays") << QStringList{"AB CD"} << "AB CD";
    }
    void lineEndsBreakTheLineOnce() {
        QFETCH(QStringList, pieces);
        QFETCH(QString, shown);
        CLiveTextDlg dialog(*m_store);
        for (const QString& piece : pieces) dialog.AppendText(piece);
        QCOMPARE(dialog.Text(), shown);
    }

    // Each transmission starts on a line of its own under its header; CRs
    // are dropped, LFs break lines, text split anywhere joins up.
    void transmissionsStandOnTheirOwnLines() {
        CLiveTextDlg dialog(*m_store);
        dialog.BeginTransmission(Header(1));
        dialog.AppendText(QStringLiteral("RYRY THE QU"));
        dialog.AppendText(QStringLiteral("ICK\r\r\nFOX"));
        dialog.BeginTransmission(Header(2));
        dialog.AppendText(QStringLiteral("CQ\r\n"));
        dialog.BeginTransmission(Header(3));
        QCOMPARE(dialog.Text(), Header(1) + QStringLiteral("\nRYRY THE QUICK\nFOX\n") + Header(2) +
                                    QStringLiteral("\nCQ\n") + Header(3) + QStringLiteral("\n"));
    }

    // The view keeps up with the text unless the person scrolled back, and
    // follows again once they are back at the end.
    void scrollsWithTheTextUnlessScrolledBack() {
        CLiveTextDlg dialog(*m_store);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* bar = dialog.findChild<QPlainTextEdit*>(QStringLiteral("liveTextView"))->verticalScrollBar();
        for (int i = 0; i < 200; ++i) dialog.AppendText(QStringLiteral("LINE %1\n").arg(i));
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(dialog.Following());

        bar->setValue(10);
        QVERIFY(!dialog.Following());
        for (int i = 0; i < 50; ++i) dialog.AppendText(QStringLiteral("MORE %1\n").arg(i));
        QCOMPARE(bar->value(), 10);

        bar->setValue(bar->maximum());
        dialog.AppendText(QStringLiteral("LAST\n"));
        QCOMPARE(bar->value(), bar->maximum());
    }

    void copySaveAndClear() {
        CLiveTextDlg dialog(*m_store);
        dialog.BeginTransmission(Header(1));
        dialog.AppendText(QStringLiteral("RYRY 73"));
        const QString expected = Header(1) + QStringLiteral("\nRYRY 73");

        QApplication::clipboard()->clear();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("copy")), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), expected);

        // Saving replaces an earlier file whole, in UTF-8 (the header's dots).
        const QString path = m_dir.filePath(QStringLiteral("live.txt"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(4096, 'x'));
        }
        QString error;
        QVERIFY2(dialog.SaveTo(path, error), qPrintable(error));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), expected.toUtf8());
        QVERIFY(!dialog.SaveTo(m_dir.filePath(QStringLiteral("no/such/folder/live.txt")), error));
        QVERIFY(!error.isEmpty());

        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("clear")), Qt::LeftButton);
        QCOMPARE(dialog.Text(), QString());
        dialog.AppendText(QStringLiteral("NEW"));
        QCOMPARE(dialog.Text(), QStringLiteral("NEW"));
    }

    // The window comes back as large as it was left, with "Read:" and "Soft
    // decision" as they were. The samples are read by default; "Soft
    // decision" only means something for the level stream.
    void remembersItsSizeAndSoftDecision() {
        {
            CLiveTextDlg dialog(*m_store);
            QVERIFY(!dialog.Soft());
            QVERIFY(dialog.ReadsSamples());
            auto* soft = dialog.findChild<QCheckBox*>(QStringLiteral("softDecision"));
            QVERIFY(!soft->isEnabled());
            QSignalSpy switched(&dialog, &CLiveTextDlg::readerChanged);
            dialog.findChild<QComboBox*>(QStringLiteral("reader"))->setCurrentIndex(1);
            QCOMPARE(switched.count(), 1);
            QCOMPARE(switched.front().front().toBool(), false);
            QVERIFY(!dialog.ReadsSamples());
            QVERIFY(soft->isEnabled());
            soft->setChecked(true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            dialog.resize(701, 409);
            QTRY_COMPARE(dialog.size(), QSize(701, 409));
            dialog.hide();
        }
        CLiveTextDlg again(*m_store);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), QSize(701, 409));
        QVERIFY(again.Soft());
        QVERIFY(!again.ReadsSamples());
    }

    // "SITOR-B / NAVTEX" reads the sound too (soft decision means nothing
    // there) and is remembered as the other readings are.
    void sitorIsAReadingOfItsOwn() {
        {
            CLiveTextDlg dialog(*m_store);
            auto* reader = dialog.findChild<QComboBox*>(QStringLiteral("reader"));
            QCOMPARE(reader->itemText(2), QStringLiteral("SITOR-B / NAVTEX"));
            QSignalSpy switched(&dialog, &CLiveTextDlg::readerChanged);
            reader->setCurrentIndex(2);
            QCOMPARE(switched.count(), 1);
            QCOMPARE(switched.front().front().toBool(), true);
            QVERIFY(dialog.ReadsSitor());
            QVERIFY(dialog.ReadsSamples());
            QVERIFY(!dialog.findChild<QCheckBox*>(QStringLiteral("softDecision"))->isEnabled());
        }
        CLiveTextDlg again(*m_store);
        QVERIFY(again.ReadsSitor());
        again.findChild<QComboBox*>(QStringLiteral("reader"))->setCurrentIndex(0);
        QVERIFY(!again.ReadsSitor());
        QVERIFY(again.ReadsSamples());
    }
};

QTEST_MAIN(LiveTextDlgTest)
#include "LiveTextDlgTest.moc"
