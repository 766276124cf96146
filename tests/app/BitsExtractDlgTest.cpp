#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>
#include <memory>

#include "app/CSettingsStore.h"
#include "app/CBitsExtractDlg.h"
#include "widgets/CUpDown.h"
#include "decode/BaudotDecoder.h"

namespace {

// Two frames of a start bit, five code bits and a stop bit: T Z as they stand,
// E A without the start bit.
const std::string kFrames = "1000011\r\n1000111\r\n";

}  // namespace

class BitsExtractDlgTest : public QObject {
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CSettingsStore> m_store;
    QList<QUrl> m_opened;
    int m_serial = 0;

    std::unique_ptr<CBitsExtractDlg> Open(const std::string& source) {
        auto dialog = std::make_unique<CBitsExtractDlg>(*m_store);
        dialog->SetSourceBits(source);
        dialog->show();
        return dialog;
    }
    template <typename T>
    static T* Child(QWidget* dialog, const char* name) {
        T* child = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!child)
            qFatal("no control %s", name);
        return child;
    }

private slots:
    void init() {
        m_store = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_serial)));
        m_opened.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        m_store.reset();
    }

    void optionsTransformAndDecode_data() {
        QTest::addColumn<bool>("reverseBits");
        QTest::addColumn<bool>("reverseDirection");
        QTest::addColumn<QString>("ignore");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("as delivered") << false << false << "0" << "1000011\r\n1000111\r\n" << "TZ";
        QTest::newRow("empty ignore counts as 0") << false << false << "" << "1000011\r\n1000111\r\n" << "TZ";
        QTest::newRow("start bit ignored") << false << false << "1" << "_000011\r\n_000111\r\n" << "EA";
        QTest::newRow("inverted, then masked") << true << false << "1" << "_111100\r\n_111000\r\n" << "VM";
        QTest::newRow("reversed, then masked") << false << true << "2" << "__00001\r\n__10001\r\n" << "EZ";
        QTest::newRow("inverted and reversed") << true << true << "0" << "0011110\r\n0001110\r\n" << "UA";
        QTest::newRow("count beyond the rows") << false << false << "40" << "_______\r\n_______\r\n" << "??";
    }
    void optionsTransformAndDecode() {
        QFETCH(bool, reverseBits);
        QFETCH(bool, reverseDirection);
        QFETCH(QString, ignore);
        QFETCH(QString, bits);
        QFETCH(QString, decoded);
        auto dialog = Open(kFrames);
        if (reverseBits)
            QTest::mouseClick(Child<QCheckBox>(dialog.get(), "reverseBits"), Qt::LeftButton);
        if (reverseDirection)
            QTest::mouseClick(Child<QCheckBox>(dialog.get(), "reverseDirection"), Qt::LeftButton);
        auto* ignoreEdit = Child<QLineEdit>(dialog.get(), "ignoreEdit");
        ignoreEdit->selectAll();
        QTest::keyClick(ignoreEdit, Qt::Key_Backspace);
        QTest::keyClicks(ignoreEdit, ignore);
        QCOMPARE(QString::fromStdString(dialog->BitsText()), bits);
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), decoded);
        // The boxes show the same, one row per line.
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "decodedEdit")->toPlainText(), decoded);
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "bitsEdit")->toPlainText(),
                 QString(bits).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    // "Copy text" puts the decoded text on the clipboard, one line break a line.
    void copyTextPutsTheDecodedTextOnTheClipboard() {
        auto dialog = Open("1000011\r\n1000111\r\n0100011\r\n");
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::mouseClick(Child<QPushButton>(dialog.get(), "copyText"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), Child<QPlainTextEdit>(dialog.get(), "decodedEdit")->toPlainText());
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromStdString(dialog->DecodedText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY(!dialog->DecodedText().empty());
    }

    // The dialog may be enlarged: the two text boxes take the new space and
    // every text stays whole.
    void resizingGrowsTheTextBoxes() {
        auto dialog = Open(kFrames);
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto* bits = Child<QPlainTextEdit>(dialog.get(), "bitsEdit");
        auto* decoded = Child<QPlainTextEdit>(dialog.get(), "decodedEdit");
        auto* combo = Child<QComboBox>(dialog.get(), "encodingCombo");
        auto* close = Child<QPushButton>(dialog.get(), "close");
        auto* copy = Child<QPushButton>(dialog.get(), "copyText");
        QCOMPARE(combo->currentText(), QStringLiteral("Baudot 5-bit code"));
        QVERIFY(combo->width() >= combo->sizeHint().width());
        QVERIFY(copy->width() >= copy->sizeHint().width());
        QVERIFY(!copy->geometry().intersects(close->geometry()));
        QVERIFY(!combo->geometry().intersects(Child<QLineEdit>(dialog.get(), "ignoreEdit")->geometry()));
        const QSize before = dialog->size();
        const QRect bitsBefore = bits->geometry();
        const QRect decodedBefore = decoded->geometry();
        const QRect closeBefore = close->geometry();
        dialog->resize(before + QSize(150, 90));
        QTRY_COMPARE(dialog->size(), before + QSize(150, 90));
        QCOMPARE(bits->width(), bitsBefore.width() + 150);
        QCOMPARE(bits->height(), bitsBefore.height() + 60);
        QCOMPARE(decoded->width(), decodedBefore.width() + 150);
        QCOMPARE(decoded->height(), decodedBefore.height() + 30);
        QCOMPARE(decoded->y(), decodedBefore.y() + 60);
        QCOMPARE(close->geometry(), closeBefore.translated(150, 90));
        // The up-down stays at its edit's right, inside the dialog, at either size.
        auto* edit = Child<QLineEdit>(dialog.get(), "ignoreEdit");
        auto* spin = Child<CUpDown>(dialog.get(), "ignoreSpin");
        QCOMPARE(spin->x(), edit->geometry().right() + 1);
        QVERIFY(spin->geometry().right() < dialog->width() - 2);
        dialog->resize(before);
        QTRY_COMPARE(dialog->size(), before);
        QCOMPARE(spin->x(), edit->geometry().right() + 1);
        QVERIFY(spin->geometry().right() < dialog->width() - 2);
        // Not smaller than laid out.
        QCOMPARE(dialog->minimumSize(), before);
    }

    void decoderSeesCarriageReturns() {
        // Four bits and CR LF: the carriage return completes a group of five,
        // which is not a code. The box shows no carriage return at all.
        auto dialog = Open("0001\r\n");
        QCOMPARE(QString::fromStdString(dialog->BitsText()), QStringLiteral("0001\r\n"));
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("?"));
    }

    // Baudot line ends: the decoded text stays as the decoder gives it
    // (carriage return CR LF, line feed a space); the box shows every line
    // end sent (CR, LF, CR LF, CR CR LF) as one line break, and "Copy text"
    // copies what the box shows.
    void lineEndsBreakTheShownLineOnce_data() {
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QString>("decoded");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR") << "A CR E" << "A\r\nE" << "A\nE";
        QTest::newRow("LF") << "A LF E" << "A E" << "A\nE";
        QTest::newRow("CR LF") << "A CR LF E" << "A\r\n E" << "A\nE";
        QTest::newRow("CR CR LF") << "A CR CR LF E" << "A\r\n\r\n E" << "A\nE";
        QTest::newRow("two lines end") << "A CR LF CR LF E" << "A\r\n \r\n E" << "A\n\nE";
        QTest::newRow("in figures") << "FIGS A CR CR LF A" << "-\r\n\r\n -" << "-\n-";
    }
    void lineEndsBreakTheShownLineOnce() {
        QFETCH(QString, codes);
        QFETCH(QString, decoded);
        QFETCH(QString, shown);
        // One frame a row: the five code bits, most significant first, then two stop cells.
        const std::map<QString, const char*> groups = {
            {"A", "00011"}, {"E", "00001"}, {"CR", "01000"}, {"LF", "00010"}, {"FIGS", "11011"}};
        std::string bits;
        for (const QString& code : codes.split(QLatin1Char(' '))) bits += std::string(groups.at(code)) + "11\r\n";
        auto dialog = Open(bits);
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), decoded);
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "decodedEdit")->toPlainText(), shown);
        dialog->CopyText();
        QCOMPARE(QGuiApplication::clipboard()->text(), shown);
    }

    // ASCII sends its own CR and LF: each line end is one break there too.
    void asciiLineEndsBreakTheShownLineOnce() {
        const auto row = [](unsigned value) {
            std::string bits;
            for (int bit = 6; bit >= 0; --bit) bits += (value >> bit) & 1 ? '1' : '0';
            return bits + "\r\n";
        };
        m_store->WriteText("Data", "EncodeAs", "ASCII 7-bit");
        std::string bits;
        for (const char c : std::string("A\r\r\nB\nC\rD\r\nE")) bits += row(static_cast<unsigned char>(c));
        auto dialog = Open(bits);
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "decodedEdit")->toPlainText(), QStringLiteral("A\nB\nC\nD\nE"));
    }

    void upDownStepsTheCountWithinItsRange() {
        auto dialog = Open(kFrames);
        auto* spin = Child<CUpDown>(dialog.get(), "ignoreSpin");
        auto* edit = Child<QLineEdit>(dialog.get(), "ignoreEdit");
        spin->Step(+1);
        QCOMPARE(edit->text(), QStringLiteral("1"));
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("EA"));
        spin->Step(-1);
        spin->Step(-1);
        QCOMPARE(edit->text(), QStringLiteral("0"));
        edit->setText(QStringLiteral("32"));
        spin->Step(+1);
        QCOMPARE(edit->text(), QStringLiteral("32"));
    }

    void typingIntoTheBitsBoxIsNotKept() {
        auto dialog = Open(kFrames);
        auto* box = Child<QPlainTextEdit>(dialog.get(), "bitsEdit");
        box->setPlainText(QStringLiteral("11111\n"));
        QTest::mouseClick(Child<QCheckBox>(dialog.get(), "reverseBits"), Qt::LeftButton);
        QCOMPARE(box->toPlainText(), QStringLiteral("0111100\n0111000\n"));
    }

    void storedOptionsApplyAtOnce() {
        m_store->WriteInt("Data", "ReverseBits", 1);
        m_store->WriteText("Data", "BitsIgnore", "1");
        auto dialog = Open(kFrames);
        QVERIFY(Child<QCheckBox>(dialog.get(), "reverseBits")->isChecked());
        QVERIFY(!Child<QCheckBox>(dialog.get(), "reverseDirection")->isChecked());
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("VM"));
    }

    void softDecisionReadsTheSoftBitsAndIsSaved() {
        // The soft reading decided the cells the level reading left open.
        {
            auto dialog = std::make_unique<CBitsExtractDlg>(*m_store);
            dialog->SetSourceBits("1 00011\r\n", "1000111\r\n");
            dialog->show();
            auto* soft = Child<QCheckBox>(dialog.get(), "softDecision");
            QVERIFY(!soft->isChecked());
            QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("?"));
            QTest::mouseClick(soft, Qt::LeftButton);
            QCOMPARE(QString::fromStdString(dialog->BitsText()), QStringLiteral("1000111\r\n"));
            QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("Z"));
        }
        QCOMPARE(m_store->ReadInt("Data", "SoftDecision", -1), 1);
        auto again = Open(kFrames);
        QVERIFY(Child<QCheckBox>(again.get(), "softDecision")->isChecked());
    }

    void optionsSavedHoweverClosed_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Close button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void optionsSavedHoweverClosed() {
        QFETCH(int, way);
        {
            auto dialog = Open(kFrames);
            QTest::mouseClick(Child<QCheckBox>(dialog.get(), "reverseDirection"), Qt::LeftButton);
            auto* edit = Child<QLineEdit>(dialog.get(), "ignoreEdit");
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("3"));
            if (way == 0)
                QTest::mouseClick(Child<QPushButton>(dialog.get(), "close"), Qt::LeftButton);
            else if (way == 1)
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
            else
                dialog->close();
            QVERIFY(!dialog->isVisible());
        }
        QCOMPARE(m_store->ReadInt("Data", "ReverseBits", -1), 0);
        QCOMPARE(m_store->ReadInt("Data", "ReverseDirection", -1), 1);
        QCOMPARE(m_store->ReadText("Data", "BitsIgnore", "x"), QStringLiteral("3"));
        QCOMPARE(m_store->ReadInt("Data", "SoftDecision", -1), 0);
    }

    void emptyIgnoreIsSavedEmptyAndCountsZero() {
        {
            auto dialog = Open(kFrames);
            Child<QLineEdit>(dialog.get(), "ignoreEdit")->clear();
        }
        QCOMPARE(m_store->ReadText("Data", "BitsIgnore", "x"), QString());
        auto again = Open(kFrames);
        QCOMPARE(again->IgnoreCount(), 0);
        QCOMPARE(QString::fromStdString(again->DecodedText()), QStringLiteral("TZ"));
    }

    void encodingStartsWithBaudotThenOffersTheOtherCodes() {
        auto dialog = Open(kFrames);
        auto* combo = Child<QComboBox>(dialog.get(), "encodingCombo");
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(combo->itemText(0), QStringLiteral("Baudot 5-bit code"));
        QCOMPARE(combo->count(), 9);
        QCOMPARE(combo->itemText(8), QStringLiteral("SITOR-B / NAVTEX"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Baudot, US figures"));
        QCOMPARE(combo->itemText(2), QStringLiteral("ASCII 7-bit"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Bits extract"));
    }

    void sitorRowsOfSevenBitsDecode() {
        // CCIR 476 words, bit 1 first, one a row: phasing (RQ, alpha), then
        // D, X in the DX rows and again five rows later (the rest alpha).
        const char* rows = "0110011\r\n1111000\r\n1100101\r\n1111000\r\n0101110\r\n"
                           "1111000\r\n1111000\r\n1100101\r\n1111000\r\n0101110\r\n";
        auto dialog = Open(rows);
        auto* combo = Child<QComboBox>(dialog.get(), "encodingCombo");
        combo->setCurrentIndex(combo->findText(QStringLiteral("SITOR-B / NAVTEX")));
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("DX"));
    }

    void encodingChoiceIsKeptBetweenRuns() {
        {
            auto dialog = Open("01001000\r\n01101001\r\n");
            Child<QLineEdit>(dialog.get(), "ignoreEdit")->setText(QStringLiteral("1"));
            auto* combo = Child<QComboBox>(dialog.get(), "encodingCombo");
            QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(combo, Qt::Key_Down);
            QCOMPARE(combo->currentText(), QStringLiteral("ASCII 7-bit"));
            QCOMPARE(m_store->ReadText("Data", "EncodeAs", "x"), QStringLiteral("ASCII 7-bit"));
            QTest::mouseClick(Child<QPushButton>(dialog.get(), "close"), Qt::LeftButton);
        }
        auto again = Open("01001000\r\n01101001\r\n");
        QCOMPARE(Child<QComboBox>(again.get(), "encodingCombo")->currentText(), QStringLiteral("ASCII 7-bit"));
        QCOMPARE(QString::fromStdString(again->DecodedText()), QStringLiteral("Hi"));
    }

    void unknownStoredEncodingGivesTheFirstEntry_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("unknown name") << "EBCDIC";
        QTest::newRow("empty") << "";
        QTest::newRow("index, not a name") << "2";
        QTest::newRow("other case") << "ascii 7-bit";
    }
    void unknownStoredEncodingGivesTheFirstEntry() {
        QFETCH(QString, stored);
        m_store->WriteText("Data", "EncodeAs", stored);
        {
            auto dialog = Open(kFrames);
            QCOMPARE(Child<QComboBox>(dialog.get(), "encodingCombo")->currentIndex(), 0);
            QCOMPARE(QString::fromStdString(dialog->DecodedText()), QStringLiteral("TZ"));
        }
        QCOMPARE(m_store->ReadText("Data", "EncodeAs", "x"), QStringLiteral("Baudot 5-bit code"));
    }

    // The code Align found is the next dialog's "Encode as"; Baudot frames
    // keep a Baudot entry chosen before (they cannot tell the US figures).
    void alignedCodeIsTheNextChoice_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("parity");
        QTest::addColumn<QString>("after");
        const int baudot = int(morvane::TextCode::Baudot), ascii7 = int(morvane::TextCode::Ascii7),
                  ascii8 = int(morvane::TextCode::Ascii8), none = int(morvane::Parity::None),
                  even = int(morvane::Parity::Even), odd = int(morvane::Parity::Odd);
        QTest::newRow("ascii7 even") << "Baudot 5-bit code" << ascii7 << even << "ASCII 7-bit, even parity";
        QTest::newRow("ascii8 odd") << "Baudot, US figures" << ascii8 << odd << "ASCII 8-bit, odd parity";
        QTest::newRow("ascii7 none") << "" << ascii7 << none << "ASCII 7-bit";
        QTest::newRow("baudot after ascii") << "ASCII 8-bit" << baudot << none << "Baudot 5-bit code";
        QTest::newRow("baudot keeps US") << "Baudot, US figures" << baudot << none << "Baudot, US figures";
    }
    void alignedCodeIsTheNextChoice() {
        QFETCH(QString, before);
        QFETCH(int, code);
        QFETCH(int, parity);
        QFETCH(QString, after);
        if (!before.isEmpty()) m_store->WriteText("Data", "EncodeAs", before);
        CBitsExtractDlg::StoreCode(*m_store, {morvane::TextCode(code), morvane::Parity(parity)});
        auto dialog = Open(kFrames);
        QCOMPARE(Child<QComboBox>(dialog.get(), "encodingCombo")->currentText(), after);
    }

    void chosenCodeDecodesAtOnce_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("ignore");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("decoded");
        // Rows read as shown: start bit first, then the code bits.
        QTest::newRow("Baudot") << "011011\r\n001001\r\n" << "1" << "Baudot 5-bit code" << "?";
        QTest::newRow("US figures") << "011011\r\n001001\r\n" << "1" << "Baudot, US figures" << "$";
        QTest::newRow("ASCII 7") << "01001000\r\n01101001\r\n" << "1" << "ASCII 7-bit" << "Hi";
        QTest::newRow("ASCII 7, odd parity") << "011001000\r\n001101001\r\n" << "1"
                                             << "ASCII 7-bit, odd parity" << "H?";
        QTest::newRow("ASCII 8") << "011101001\r\n000001001\r\n" << "1" << "ASCII 8-bit" << "<xE9><HT>";
        QTest::newRow("ASCII 8, even parity") << "0011010010\r\n" << "1" << "ASCII 8-bit, even parity"
                                              << "<xD2>";
    }
    void chosenCodeDecodesAtOnce() {
        QFETCH(QString, source);
        QFETCH(QString, ignore);
        QFETCH(QString, entry);
        QFETCH(QString, decoded);
        auto dialog = Open(source.toStdString());
        Child<QLineEdit>(dialog.get(), "ignoreEdit")->setText(ignore);
        auto* combo = Child<QComboBox>(dialog.get(), "encodingCombo");
        combo->setCurrentIndex(combo->findText(entry));
        QCOMPARE(QString::fromStdString(dialog->DecodedText()), decoded);
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "decodedEdit")->toPlainText(), decoded);
        // Back to the first entry: Baudot as before.
        combo->setCurrentIndex(0);
        std::string baudot;
        morvane::DecodeBaudot(dialog->BitsText(), dialog->IgnoreCount(), baudot);
        QCOMPARE(dialog->DecodedText(), baudot);
    }

    void checkAllVariationsWritesAndOpensTheReport() {
        auto dialog = Open(kFrames);
        const QString path = m_dir.filePath(QStringLiteral("results.html"));
        dialog->SetReportPath(path.toStdString());
        // The report starts from the source bits whatever the options say.
        QTest::mouseClick(Child<QCheckBox>(dialog.get(), "reverseBits"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(dialog.get(), "checkAllVariations"), Qt::LeftButton);
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.front(), QUrl::fromLocalFile(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString page = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        QVERIFY(page.startsWith(QStringLiteral("<html><table border=\"1\">")));
        QVERIFY(page.contains(QStringLiteral("<B>1 bits ignored, no bit reverse</B><BR/><pre>EA</pre>")));
    }

    void emptyBitsLeaveBoxesEmptyAndWriteNothing() {
        auto dialog = Open("");
        const QString path = m_dir.filePath(QStringLiteral("empty.html"));
        dialog->SetReportPath(path.toStdString());
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "bitsEdit")->toPlainText(), QString());
        QCOMPARE(Child<QPlainTextEdit>(dialog.get(), "decodedEdit")->toPlainText(), QString());
        dialog->CheckAllVariations();
        QVERIFY(!QFile::exists(path));
        QVERIFY(m_opened.isEmpty());
    }

    // The folder beside the program cannot be written (an installed
    // program): the report goes to the cache folder and opens from there.
    void reportFallsBackToTheCacheFolder() {
        auto dialog = Open(kFrames);
        if (qEnvironmentVariableIsSet("HOME"))
            QVERIFY(dialog->FallbackReportPath().string().ends_with("/morvane/results.html"));
        dialog->SetReportPath(m_dir.filePath(QStringLiteral("no/such/folder/results.html")).toStdString());
        const QString cached = m_dir.filePath(QStringLiteral("cache/morvane/results.html"));
        dialog->SetFallbackReportPath(cached.toStdString());
        dialog->CheckAllVariations();
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.front(), QUrl::fromLocalFile(cached));
        QFile file(cached);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(QByteArray("\xFF\xFE<\0", 4)));
    }

    void unwritableReportIsReported() {
        auto dialog = Open(kFrames);
        const QString beside = m_dir.filePath(QStringLiteral("no/such/folder/results.html"));
        dialog->SetReportPath(beside.toStdString());
        // A cache folder that cannot be made: a file stands where it should be.
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString cached = m_dir.filePath(QStringLiteral("blocker/morvane/results.html"));
        dialog->SetFallbackReportPath(cached.toStdString());
        QString caption;
        QString text;
        QString details;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                text = box->text();
                details = box->informativeText();
                box->accept();
            }
        });
        poll.start(10);
        dialog->CheckAllVariations();
        QCOMPARE(caption, QStringLiteral("Warning"));
        QCOMPARE(text, QStringLiteral("Cannot create output file"));
        const QStringList lines = details.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], beside + QStringLiteral(": the folder does not exist"));
        QVERIFY2(lines[1].startsWith(cached + QStringLiteral(": ")) && lines[1].size() > cached.size() + 2,
                 qPrintable(lines[1]));
        QVERIFY(m_opened.isEmpty());
    }
};

QTEST_MAIN(BitsExtractDlgTest)
#include "BitsExtractDlgTest.moc"
