#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QFileInfo>
#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

#include "app/CSettingsStore.h"

class SettingsStoreTest : public QObject {
    Q_OBJECT

private:
    QString FreshPath() {
        static int serial = 0;
        return m_dir.filePath(QStringLiteral("store%1.ini").arg(++serial));
    }
    QTemporaryDir m_dir;

private slots:
    void missingValuesReadAsDefaults() {
        CSettingsStore store(FreshPath());
        QCOMPARE(store.ReadText("Data", "Freq1", "1500"), QStringLiteral("1500"));
        QCOMPARE(store.ReadInt("Data", "ShowGrid", 1), 1);
        QCOMPARE(store.ReadInt("Windows\\MainDlg", "X", -1717171717), -1717171717);
    }

    void textsSurviveAsTyped_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "1500";
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "abc";
        QTest::newRow("decimal") << "0.05";
        QTest::newRow("spaces") << " 12 ";
        QTest::newRow("comma") << "1,5";
        QTest::newRow("at sign") << "@Invalid()";
        QTest::newRow("equals and quotes") << "a=\"b\";c";
        QTest::newRow("backslash") << "C:\\x";
        QTest::newRow("non-latin") << QString::fromUtf8("Привет ü");
    }
    void textsSurviveAsTyped() {
        QFETCH(QString, text);
        const QString path = FreshPath();
        {
            CSettingsStore store(path);
            store.WriteText("Data", "Freq1", text);
        }
        CSettingsStore again(path);
        QCOMPARE(again.ReadText("Data", "Freq1", "default"), text);
    }

    void integersSurvive_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("missing marker") << -1717171717;
        QTest::newRow("min") << std::numeric_limits<int>::min();
        QTest::newRow("max") << std::numeric_limits<int>::max();
    }
    void integersSurvive() {
        QFETCH(int, value);
        const QString path = FreshPath();
        {
            CSettingsStore store(path);
            store.WriteInt("Windows\\MainDlg", "Width", value);
        }
        CSettingsStore again(path);
        QCOMPARE(again.ReadInt("Windows\\MainDlg", "Width", 77), value);
    }

    void integerHoldingTextReadsAsDefault_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("letters") << "abc";
        QTest::newRow("trailing letters") << "12abc";
        QTest::newRow("empty") << "";
        QTest::newRow("above 32 bits") << "4294967296";
        QTest::newRow("below 32 bits") << "-2147483649";
        QTest::newRow("decimal") << "1.5";
    }
    void integerHoldingTextReadsAsDefault() {
        QFETCH(QString, stored);
        CSettingsStore store(FreshPath());
        store.WriteText("Data", "ShowGrid", stored);
        QCOMPARE(store.ReadInt("Data", "ShowGrid", 42), 42);
    }

    void sectionsKeepTheirOwnValues() {
        CSettingsStore store(FreshPath());
        store.WriteInt("Data", "Width", 5);
        store.WriteInt("Windows\\MainDlg", "Width", 700);
        QCOMPARE(store.ReadInt("Data", "Width", 0), 5);
        QCOMPARE(store.ReadInt("Windows\\MainDlg", "Width", 0), 700);
        QCOMPARE(store.ReadInt("MainDlg", "Width", -1), -1);
    }

    void damagedFileGivesDefaultsAndIsRepaired_data() {
        QTest::addColumn<QByteArray>("content");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(static_cast<char>((i * 7919) & 0xFF));
        QTest::newRow("binary") << binary;
        QTest::newRow("unterminated section") << QByteArray("[Data\nShowGrid=\"unterminated\n\\\\\\\n[Windows");
        QTest::newRow("long line") << QByteArray(1 << 20, '[');
        QTest::newRow("nul bytes") << QByteArray(64, '\0');
    }
    void damagedFileGivesDefaultsAndIsRepaired() {
        QFETCH(QByteArray, content);
        const QString path = FreshPath();
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        {
            CSettingsStore store(path);
            QCOMPARE(store.ReadInt("Data", "ShowGrid", 1), 1);
            QCOMPARE(store.ReadText("Data", "Freq1", "1500"), QStringLiteral("1500"));
            store.WriteText("Data", "Freq1", "1700");
        }
        CSettingsStore again(path);
        QCOMPARE(again.ReadText("Data", "Freq1", "1500"), QStringLiteral("1700"));
    }

    void killedWritesLeftoversGoAfterAGoodWrite() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("morvane.ini"));
        const auto put = [&](const QString& name) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        };
        // Qt's temporaries and second names of ended processes go; what is
        // not a temporary of this file, or belongs to a running process, stays.
        const QStringList stale = {QStringLiteral("morvane.ini.AbC123"), QStringLiteral("morvane.ini.zzzzzz"),
                                   QStringLiteral(".morvane-2147483646-0000abcd.tmp")};
        const QStringList kept = {QStringLiteral("morvane.ini.keep-me"), QStringLiteral("morvane.ini.AbC12"),
                                  QStringLiteral("morvane.ini.AbC1234"), QStringLiteral("morvane.ini.AbC-23"),
                                  QStringLiteral("other.ini.AbC123"), QStringLiteral(".morvane-1-0000abcd.tmp"),
                                  QStringLiteral("notes.txt")};
        for (const QString& name : stale + kept) put(name);
        {
            CSettingsStore store(path);
            store.WriteText("Data", "Freq1", "1700");
            QVERIFY(store.Flush());
        }
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QStringList expected = kept + QStringList{QStringLiteral("morvane.ini")};
        expected.sort();
        QCOMPARE(left, expected);
    }

    void qtTemporaryNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("temporary");
        QTest::newRow("six letters") << "morvane.ini.lDCtoV" << true;
        QTest::newRow("digits") << "morvane.ini.a1B2c3" << true;
        QTest::newRow("five") << "morvane.ini.lDCto" << false;
        QTest::newRow("seven") << "morvane.ini.lDCtoVx" << false;
        QTest::newRow("lock") << "morvane.ini.lock" << false;
        QTest::newRow("dash") << "morvane.ini.lD-toV" << false;
        QTest::newRow("other file") << "morvane.iniXlDCtoV" << false;
        QTest::newRow("the file") << "morvane.ini" << false;
    }
    void qtTemporaryNames() {
        QFETCH(QString, name);
        QFETCH(bool, temporary);
        QCOMPARE(CSettingsStore::IsQtTemporaryName(name, QStringLiteral("morvane.ini")), temporary);
    }

    void writeThatCannotBeMadeWholeLeavesTheEarlierFile_data() {
        QTest::addColumn<bool>("earlier");
        QTest::newRow("earlier file") << true;
        QTest::newRow("first write") << false;
    }
    void writeThatCannotBeMadeWholeLeavesTheEarlierFile() {
        // A file size limit cuts the write short as a full disk does; Qt
        // itself reports success.
        QFETCH(bool, earlier);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("morvane.ini"));
        QByteArray before;
        if (earlier) {
            {
                CSettingsStore store(path);
                store.WriteText("Data", "Freq1", "1700");
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            before = file.readAll();
            QVERIFY(!before.isEmpty());
        }
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool flushed = true;
        {
            CSettingsStore store(path);
            store.WriteText("Data", "Note", QString(4000, QLatin1Char('n')));
            flushed = store.Flush();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!flushed);
        if (earlier) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), before);
        } else {
            QVERIFY(!QFileInfo::exists(path));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), earlier ? 1 : 0);
    }

    void unusableLocationIsHarmless() {
        // A folder where the file should be: nothing can be read or written.
        const QString path = FreshPath();
        QVERIFY(QDir().mkpath(path));
        CSettingsStore store(path);
        store.WriteText("Data", "Freq1", "1700");
        store.Flush();
        QCOMPARE(store.ReadInt("Data", "ShowGrid", 1), 1);
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"
