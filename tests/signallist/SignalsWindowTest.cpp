// "Signals" in the main window: a recording holding three senders read
// while the window is open lists each with its own rate and code, the
// same as the scanner reads them, marks them on the waterfall, and a click
// on one sets Low and High to its tones.
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <memory>

#include "../scanner/ScannerSupport.h"
#include "app/CMorvaneDlg.h"
#include "app/CSettingsStore.h"
#include "capture/SoundSystem.h"
#include "live/ProcessingLoop.h"
#include "recording/RecordingWriter.h"
#include "scanner/SignalRows.h"
#include "signallist/CSignalMarks.h"
#include "signallist/CSignalsDlg.h"
#include "signallist/CSignalsFeed.h"
#include "signallist/SignalCells.h"
#include "widgets/CPanoramicView.h"

namespace {

using namespace morvane::scannertest;

const std::string kFox = "CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";
const std::string kWx = "WEATHER NW 12 KT PRESSURE 1012 FALLING SEA STATE 4";
const std::string kAscii = "Telemetry frame 0042: volts=12.6 temp=21C all systems nominal.";

// No card: the window reads recordings only.
class NoCards : public morvane::SoundSystem {
public:
    int InputCount() override { return 0; }
    std::optional<std::string> InputName(int) override { return std::nullopt; }
    std::unique_ptr<morvane::SoundDevice> OpenInput(int, const morvane::CaptureFormat&) override {
        throw std::runtime_error("no sound input");
    }
};

}  // namespace

class SignalsWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CSettingsStore> m_store;
    std::vector<std::int16_t> m_sound;
    std::string m_wav;

    std::unique_ptr<CMorvaneDlg> Make() {
        auto window = std::make_unique<CMorvaneDlg>(*m_store, std::make_unique<NoCards>(), CMorvaneDlg::Launch{});
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) qFatal("window not shown");
        return window;
    }
    // The rows the scanner itself gives the same sound, as the list shows them.
    QStringList Expected() const {
        morvane::SignalRows rows;
        rows.Add(Scan(m_sound));
        QStringList out;
        for (const morvane::SignalRow* r : rows.InToneOrder()) {
            QStringList cells = SignalCells::Of(*r, QString());
            cells.removeAt(1);  // the time, told apart below
            cells.removeAt(0);  // the number: the order found
            out << cells.join(QStringLiteral(" | "));
        }
        return out;
    }
    static QStringList WithoutNumberAndTime(const QStringList& shown) {
        QStringList out;
        for (const QString& row : shown) {
            QStringList cells = row.split(QStringLiteral(" | "));
            cells.removeAt(1);
            cells.removeAt(0);
            out << cells.join(QStringLiteral(" | "));
        }
        return out;
    }

private slots:
    void initTestCase() {
        m_sound = Mix({{Keyed(kFox, 670, 500, 45.45), 0.5, -6}, {Keyed(kWx, 900, 1350, 50)},
                       {Keyed(kAscii, 1800, 1600, 100, morvane::TextCode::Ascii7), 1.0, -3}},
                      16.0, 12.0, 31);
        m_wav = m_dir.filePath(QStringLiteral("three.wav")).toStdString();
        morvane::WriteWav16Mono(m_wav, m_sound);
    }
    void init() { m_store = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("s.ini"))); }
    void cleanup() { m_store.reset(); }

    // Ctrl+G and the menu's "Signals" open the window, which lists nothing yet.
    void opensFromTheMenu() {
        auto window = Make();
        QAction* action = window->findChild<QAction*>(QStringLiteral("signalsAction"));
        QVERIFY(action);
        QVERIFY(window->actions().contains(action));
        QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        action->trigger();
        CSignalsDlg* list = window->Signals().Window();
        QVERIFY(list && list->isVisible());
        QVERIFY(list->Shown().isEmpty());
    }

    // The window keeps its place and size: moved and resized, open when the
    // program ends, it comes back there the next run; hidden, it is stored too.
    void keepsItsPlaceBetweenRuns() {
        auto window = Make();
        window->Signals().Show();
        CSignalsDlg* list = window->Signals().Window();
        QVERIFY(QTest::qWaitForWindowExposed(list));
        list->resize(400, 300);
        list->move(60, 50);
        QTRY_COMPARE(list->pos(), QPoint(60, 50));
        const QRect placed = list->frameGeometry();
        window.reset();
        QCOMPARE(m_store->ReadInt(QString::fromLatin1(CMorvaneDlg::kSignalsSection), QStringLiteral("X"), -1), placed.x());
        QCOMPARE(m_store->ReadInt(QString::fromLatin1(CMorvaneDlg::kSignalsSection), QStringLiteral("Width"), -1),
                 placed.width());
        window = Make();
        window->Signals().Show();
        list = window->Signals().Window();
        QVERIFY(QTest::qWaitForWindowExposed(list));
        QCOMPARE(list->frameGeometry(), placed);
        list->move(90, 70);
        QTRY_COMPARE(list->pos(), QPoint(90, 70));
        list->hide();
        QCOMPARE(m_store->ReadInt(QString::fromLatin1(CMorvaneDlg::kSignalsSection), QStringLiteral("Y"), -1),
                 list->frameGeometry().y());
    }

    // Read at its own pace with the window open: while it is read every
    // sender is marked on the waterfall as it is found; in the end each is
    // listed in the order of its lower tone with what the scanner finds in
    // the same sound, its text whole. A click tunes the window to it.
    void listsEverySignalOfARecording() {
        const QStringList expected = Expected();
        QCOMPARE(expected.size(), 3);
        auto window = Make();
        window->Signals().Show();
        CSignalsDlg* list = window->Signals().Window();
        CSignalMarks* marks = window->Signals().Marks();
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(m_wav), morvane::RecordingPace::RealTime);
        const auto received = [marks] {
            int n = 0;
            for (const SignalMark& m : marks->Marks()) n += m.received ? 1 : 0;
            return n;
        };
        QTRY_COMPARE_WITH_TIMEOUT(received(), 3, 30000);
        QCOMPARE(marks->Marks().size(), std::size_t{3});
        QCOMPARE(finished.count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 60000);
        window->Signals().Settle();
        QTRY_COMPARE_WITH_TIMEOUT(WithoutNumberAndTime(list->Shown()), expected, 20000);
        QVERIFY(marks->Marks().empty());  // the stream ended: every signal closed
        QVERIFY2(list->Shown()[0].contains(QStringLiteral("45.45 Bd")), qPrintable(list->Shown()[0]));
        QVERIFY2(list->Shown()[2].contains(QStringLiteral("ASCII 7-bit")), qPrintable(list->Shown()[2]));
        // Read at its own pace, the time is the time of day.
        const QString time = list->Shown()[0].split(QStringLiteral(" | "))[1];
        QVERIFY2(QTime::fromString(time, QStringLiteral("HH:mm:ss")).isValid(), qPrintable(time));

        auto* table = list->findChild<QTableWidget*>(QStringLiteral("signalsTable"));
        const QRect cell = table->visualItemRect(table->item(1, 2));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(list->ChosenText().startsWith(QString::fromStdString(kWx)));
        QTRY_VERIFY(std::abs(window->findChild<QLineEdit*>(QStringLiteral("lowEdit"))->text().toInt() - 900) <= 5);
        QVERIFY(std::abs(window->findChild<QLineEdit*>(QStringLiteral("highEdit"))->text().toInt() - 1350) <= 5);
        QTRY_VERIFY(std::abs(window->Loop().Settings().tone1Hz - 900.0F) <= 5.0F);
    }

    // Read as fast as it goes, the time is the time into the recording; a
    // second reading starts the list over.
    void aFastReadingStartsTheListOver() {
        auto window = Make();
        window->Signals().Show();
        CSignalsDlg* list = window->Signals().Window();
        for (int run = 0; run < 2; ++run) {
            QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
            window->OpenRecording(QString::fromStdString(m_wav));
            QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 60000);
            window->Signals().Settle();
            QTRY_COMPARE_WITH_TIMEOUT(list->Shown().size(), 3, 20000);
            QVERIFY2(list->Shown()[0].split(QStringLiteral(" | "))[1].startsWith(QStringLiteral("00:00:0")),
                     qPrintable(list->Shown()[0]));
        }
    }

    // Closed, the window costs nothing: no scanning, no marks.
    void closedItScansNothing() {
        auto window = Make();
        window->Signals().Show();
        window->Signals().Window()->close();
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(m_wav));
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 60000);
        window->Signals().Settle();
        QVERIFY(window->Signals().Window()->Shown().isEmpty());
        QVERIFY(window->Signals().Marks()->Marks().empty());
    }

    // The list alone: a row clicked stays chosen when a new stream lists
    // the same signal under another number; its newest text is its end.
    void theChosenSignalStaysChosenInANewStream() {
        const auto piece = [](int signal, double low, double high, const std::string& text) {
            morvane::ScannedPiece p;
            p.signal = signal;
            p.piece.opens = true;
            p.piece.transmission.tone1Hz = low;
            p.piece.transmission.tone2Hz = high;
            p.piece.transmission.baud = 45.45;
            p.piece.text = text;
            return p;
        };
        const auto clock = [](std::int64_t) { return QStringLiteral("00:00:00"); };
        CSignalsDlg list;
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy chosen(&list, &CSignalsDlg::signalChosen);
        morvane::SignalRows rows;
        const std::string longText(100, 'X');
        rows.Add({piece(1, 1500, 1670, "FIRST"), piece(2, 900, 1350, "SECOND " + longText)});
        list.Show(rows, clock);
        QCOMPARE(list.Shown().size(), 2);
        QVERIFY(list.Shown()[0].endsWith(QString(SignalCells::kNewestCharacters, QLatin1Char('X'))));
        auto* table = list.findChild<QTableWidget*>(QStringLiteral("signalsTable"));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(1, 0)).center());
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen[0][0].toDouble(), 1500.0);
        QCOMPARE(chosen[0][1].toDouble(), 1670.0);
        QCOMPARE(list.ChosenText(), QStringLiteral("FIRST"));

        list.Clear();
        QVERIFY(list.Shown().isEmpty());
        morvane::SignalRows again;
        again.Add({piece(4, 910, 1350, "OTHER"), piece(5, 1510, 1665, "FIRST AGAIN")});
        list.Show(again, clock);
        QCOMPARE(list.ChosenText(), QStringLiteral("FIRST AGAIN"));
        QCOMPARE(list.Chosen(), 5);
    }

    // Marks stand under the labels from a signal's low to its high tone, and
    // are drawn with the waterfall; the view's clicks go through them.
    void marksLieOverTheirTones() {
        auto window = Make();
        CPanoramicView* view = window->Panoramic();
        CSignalMarks* marks = window->Signals().Marks();
        QCOMPARE(marks->geometry(), view->contentsRect());
        QVERIFY(marks->testAttribute(Qt::WA_TransparentForMouseEvents));
        marks->SetMarks({{1000.0, 1170.0, 1, true}});
        view->RedrawMarkers();
        const QImage shot = view->grab().toImage();
        const QPoint at = view->contentsRect().topLeft() + QPoint((view->MarkerX(1000) + view->MarkerX(1170)) / 2, CSignalMarks::kTop);
        QCOMPARE(shot.pixelColor(at), QColor(255, 200, 0));
        marks->SetMarks({});
        view->RedrawMarkers();
        QVERIFY(view->grab().toImage().pixelColor(at) != QColor(255, 200, 0));
    }
};

QTEST_MAIN(SignalsWindowTest)
#include "SignalsWindowTest.moc"
