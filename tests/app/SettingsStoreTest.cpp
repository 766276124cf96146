#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

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
