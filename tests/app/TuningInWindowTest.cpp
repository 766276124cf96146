// The receive column's tuning controls in the main window: the scope's
// state while a transmission is read, the centring click with a shift and
// Reverse, AFC, the sound card by name and its input level.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QMenu>
#include <QToolButton>
#include <cmath>
#include <memory>
#include <optional>

#include "app/CLiveTextFeed.h"
#include "app/CMorvaneDlg.h"
#include "app/CSettingsStore.h"
#include "app/CTuningPanel.h"
#include "live/ProcessingLoop.h"
#include "recording/RecordingWriter.h"
#include "synth/RttySynth.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CTuningScope.h"
#include "widgets/CTuningWaterfall.h"

namespace {

// Two cards; blocks are handed over by the test on the window's thread.
class FeedingDevice : public morvane::SoundDevice {
public:
    void Start(std::int32_t, BlockHandler handler) override { m_handler = std::move(handler); }
    void Stop() override { m_handler = nullptr; }
    bool Feed(std::vector<std::int16_t> block) {
        return m_handler && m_handler(block.data(), static_cast<std::int32_t>(block.size() * 2));
    }

private:
    BlockHandler m_handler;
};

class TwoCards : public morvane::SoundSystem {
public:
    FeedingDevice* device = nullptr;  // owned by the window's capture
    int opened = -2;                  // the device opened last
    int InputCount() override { return 2; }
    std::optional<std::string> InputName(int device) override {
        return device == 1 ? "Second card" : (device == 0 ? "First card" : "Default card");
    }
    std::unique_ptr<morvane::SoundDevice> OpenInput(int which, const morvane::CaptureFormat&) override {
        opened = which;
        auto made = std::make_unique<FeedingDevice>();
        device = made.get();
        return made;
    }
};

}  // namespace

class TuningInWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CSettingsStore> m_store;
    int m_serial = 0;
    TwoCards* m_cards = nullptr;

    std::unique_ptr<CMorvaneDlg> Make(CMorvaneDlg::Launch launch = {}) {
        auto cards = std::make_unique<TwoCards>();
        m_cards = cards.get();
        auto window = std::make_unique<CMorvaneDlg>(*m_store, std::move(cards), launch);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) qFatal("window not shown");
        QTest::mouseMove(window.get(), QPoint(2, window->height() - 2));  // off the strip, whatever a test before did
        return window;
    }
    template <typename T>
    static T* Child(QWidget* window, const char* name) {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        if (!child) qFatal("no control %s", name);
        return child;
    }
    static QString Text(QWidget* window, const char* edit) { return Child<QLineEdit>(window, edit)->text(); }
    std::string Recording(const char* name, double mark, double space, double snr, double idle = 1.0) {
        const std::string wav = m_dir.filePath(QString::fromLatin1(name)).toStdString();
        morvane::RttySynthSettings synth;
        synth.markHz = mark;
        synth.spaceHz = space;
        synth.snrDb = snr;
        synth.idleSeconds = idle;
        morvane::WriteWav16Mono(wav, morvane::SynthesizeRtty("RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX 73 RYRY", synth));
        return wav;
    }
    static void ClickStrip(CMorvaneDlg* window, int x) {
        QTest::mouseClick(window->Panoramic(), Qt::LeftButton, {}, QPoint(x, 5));
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }

private slots:
    void init() { m_store = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("t%1.ini").arg(++m_serial))); }
    void cleanup() { m_store.reset(); }

    // The tuning controls come with the receive pane, above its text; hidden
    // they are gone with it.
    void tuningComesWithTheReceivePane() {
        auto window = Make();
        QVERIFY(window->findChild<CTuningPanel*>() == nullptr);
        window->SetReceivePane(true);
        auto* tuning = Child<CTuningPanel>(window.get(), "tuningPanel");
        auto* text = Child<QPlainTextEdit>(window.get(), "receivePane");
        QVERIFY(tuning->isVisible());
        QVERIFY(tuning->geometry().bottom() < text->geometry().top());
        QVERIFY(window->rect().contains(tuning->geometry()));
        QCOMPARE(Child<CTuningScope>(window.get(), "tuningScope")->Shown(), CTuningScope::State::NoSignal);
        // "Menu" holds the window's menu, as the right button opens it.
        auto* menu = Child<QToolButton>(window.get(), "menuButton");
        QVERIFY(menu->isVisible() && menu->menu());
        QCOMPARE(menu->menu()->actions(), window->actions());
        QVERIFY(!window->toolTip().isEmpty());
        window->SetReceivePane(false);
        QVERIFY(!tuning->isVisible());
    }

    // A recording read at its own pace: the scope locks while the live
    // text reads the transmission, shows a keyed signal's S/N, and lets go
    // when the reading ends.
    void scopeLocksOnATransmission() {
        const std::string wav = Recording("locks.wav", 1500, 2000, 10.0, 0.5);
        auto window = Make();
        window->SetReceivePane(true);
        auto* scope = Child<CTuningScope>(window.get(), "tuningScope");
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav), morvane::RecordingPace::RealTime);
        QTRY_VERIFY_WITH_TIMEOUT(scope->Shown() == CTuningScope::State::Locked, 15000);
        const QString figures = Child<QLabel>(window.get(), "tuningFigures")->text();
        QVERIFY2(figures.startsWith(QStringLiteral("S/N ")) && !figures.startsWith(QStringLiteral("S/N -")), qPrintable(figures));
        QVERIFY(Child<CTuningPanel>(window.get(), "tuningPanel")->Picture().snrDb >= morvane::kSignalSnrDb);
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 20000);
        QVERIFY(!window->LiveText().Locked());
        QVERIFY(scope->Shown() != CTuningScope::State::Locked);  // shown at once, with no block to come
    }

    // "Click:" with a shift centres both tones on the click; Reverse swaps
    // them at once and for later clicks; in turn (the default), or with
    // the pane hidden, the click sets Low, then High. Both are kept.
    void clickCentresBothTones() {
        auto window = Make();
        // Over the strip the status line tells the frequency a click there picks.
        QTest::mouseMove(window->Panoramic(), QPoint(200, 5));
        const int x = 200 - window->Panoramic()->contentsRect().left();
        QTRY_COMPARE(window->StatusText(), QStringLiteral("A click sets Low: %1 Hz").arg(window->Panoramic()->FrequencyAt(x)));
        ClickStrip(window.get(), 200);  // Low alone, then High
        const int f1 = Text(window.get(), "lowEdit").toInt();
        QCOMPARE(Text(window.get(), "highEdit"), QStringLiteral("2000"));
        window->SetReceivePane(true);
        auto* shift = Child<QComboBox>(window.get(), "clickShift");
        QCOMPARE(shift->currentData().toInt(), CTuningPanel::kInTurn);
        ClickStrip(window.get(), 171);  // High now, in turn
        const int f2 = Text(window.get(), "highEdit").toInt();
        QCOMPARE(Text(window.get(), "lowEdit").toInt(), f1);
        QVERIFY(f1 > 2300 && f2 > 1980 && f2 < 2010);
        shift->setCurrentIndex(shift->findData(170));
        ClickStrip(window.get(), 200);
        QCOMPARE(Text(window.get(), "lowEdit").toInt(), f1 - 85);
        QCOMPARE(Text(window.get(), "highEdit").toInt(), f1 + 85);
        QTRY_COMPARE(window->Loop().Settings().tone1Hz, static_cast<float>(f1 - 85));
        QCOMPARE(window->Loop().Settings().tone2Hz, static_cast<float>(f1 + 85));
        auto* reverse = Child<QCheckBox>(window.get(), "reverse");
        reverse->click();
        QCOMPARE(Text(window.get(), "lowEdit").toInt(), f1 + 85);
        QCOMPARE(Text(window.get(), "highEdit").toInt(), f1 - 85);
        shift->setCurrentIndex(shift->findData(850));
        ClickStrip(window.get(), 171);
        QCOMPARE(Text(window.get(), "lowEdit").toInt(), f2 + 425);
        QCOMPARE(Text(window.get(), "highEdit").toInt(), f2 - 425);
        window->SetReceivePane(false);
        ClickStrip(window.get(), 200);
        QCOMPARE(Text(window.get(), "lowEdit").toInt(), f1);  // in turn again: Low was next

        window.reset();
        m_store = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("t%1.ini").arg(m_serial)));
        window = Make();
        window->SetReceivePane(true);
        QCOMPARE(Child<QComboBox>(window.get(), "clickShift")->currentData().toInt(), 850);
        QVERIFY(Child<QCheckBox>(window.get(), "reverse")->isChecked());
        QVERIFY(!Child<QCheckBox>(window.get(), "afc")->isChecked());
    }

    // AFC on: a recording at 2125 / 2295 Hz read with the fields at
    // 1500 / 2000 moves both tones onto it while it is read.
    void afcFollowsTheSignal() {
        const std::string wav = Recording("afc.wav", 2125, 2295, 20.0, 2.0);
        auto window = Make();
        window->SetReceivePane(true);
        Child<QCheckBox>(window.get(), "afc")->setChecked(true);
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav));
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 20000);
        QVERIFY2(std::abs(Text(window.get(), "lowEdit").toInt() - 2125) <= 20, qPrintable(Text(window.get(), "lowEdit")));
        QVERIFY2(std::abs(Text(window.get(), "highEdit").toInt() - 2295) <= 20, qPrintable(Text(window.get(), "highEdit")));
    }

    // "Squelch" (on at the receiver's own 8 dB at first) reaches the
    // receiver on the live text's thread: a 10 dB recording reads in full
    // at 8 dB and prints nothing at 30 dB; off, the level is greyed. Both
    // are kept between runs.
    void squelchReachesTheReceiverAndIsKept() {
        const std::string wav = Recording("squelch.wav", 1500, 2000, 10.0, 0.5);
        auto read = [&](CMorvaneDlg* window) {
            QSignalSpy finished(window, &CMorvaneDlg::readingFinished);
            window->OpenRecording(QString::fromStdString(wav));
            if (!finished.wait(20000)) return QStringLiteral("(reading did not finish)");
            window->LiveText().Settle();
            return Child<QPlainTextEdit>(window, "receivePane")->toPlainText();
        };
        {
            auto window = Make();
            window->SetReceivePane(true);
            auto* on = Child<QCheckBox>(window.get(), "squelch");
            auto* level = Child<QSpinBox>(window.get(), "squelchDb");
            QVERIFY(on->isChecked() && level->isEnabled());
            QCOMPARE(level->value(), 8);
            QCOMPARE(window->LiveText().Squelch(), std::optional<double>(8.0));
            const QString low = read(window.get());
            QVERIFY2(low.contains(QStringLiteral("QUICK BROWN FOX")), "nothing read at 8 dB");
            level->setValue(30);
            QCOMPARE(window->LiveText().Squelch(), std::optional<double>(30.0));
            const QString high = read(window.get()).mid(low.size());  // what the second reading added
            QVERIFY2(!high.contains(QStringLiteral("QUICK")), qPrintable(high));
            on->setChecked(false);
            QVERIFY(!level->isEnabled());
            QCOMPARE(window->LiveText().Squelch(), std::optional<double>());
        }
        auto window = Make();
        QCOMPARE(window->LiveText().Squelch(), std::optional<double>());  // kept, before the pane is shown
        window->SetReceivePane(true);
        QVERIFY(!Child<QCheckBox>(window.get(), "squelch")->isChecked());
        QCOMPARE(Child<QSpinBox>(window.get(), "squelchDb")->value(), 30);
    }

    // "Tuning waterfall" (Ctrl+W, kept, off at first) puts a zoomed
    // waterfall between the tuning controls and the text; the card's blocks
    // draw on it, a click on it picks as a click in the strip does.
    void tuningWaterfallOption() {
        auto window = Make();
        QTRY_VERIFY(window->Loop().IsOpen());
        auto* option = window->findChild<QAction*>(QStringLiteral("tuningWaterfallAction"));
        QVERIFY(option && option->isCheckable() && !option->isChecked());
        QCOMPARE(option->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
        window->SetReceivePane(true);
        auto* fall = Child<CTuningWaterfall>(window.get(), "tuningWaterfall");
        QVERIFY(!fall->isVisible());
        option->trigger();
        QVERIFY(fall->isVisible());
        const QRect tuning = Child<CTuningPanel>(window.get(), "tuningPanel")->geometry();
        const QRect text = Child<QPlainTextEdit>(window.get(), "receivePane")->geometry();
        QVERIFY(tuning.bottom() < fall->geometry().top() && fall->geometry().bottom() < text.top());
        QVERIFY(window->rect().contains(text));

        std::vector<std::int16_t> tone(32768);
        for (std::size_t n = 0; n < tone.size(); ++n)
            tone[n] = static_cast<std::int16_t>(9000.0 * std::sin(2.0 * 3.141592653589793 * 1650.0 * double(n) / 48000.0));
        QVERIFY(m_cards->device->Feed(tone));
        QTRY_VERIFY(!fall->Picture().isNull());
        const QImage& picture = fall->Picture();
        QCOMPARE(picture.width(), fall->width());
        int brightest = 0;
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, picture.height() - 1)) > qGray(picture.pixel(brightest, picture.height() - 1))) brightest = x;
        QVERIFY2(std::abs(fall->FrequencyAt(brightest) - 1650) <= 8, qPrintable(QString::number(fall->FrequencyAt(brightest))));
        auto* shift = Child<QComboBox>(window.get(), "clickShift");
        shift->setCurrentIndex(shift->findData(170));
        QTest::mouseClick(fall, Qt::LeftButton, {}, QPoint(brightest, 40));
        QTRY_COMPARE(Text(window.get(), "lowEdit").toInt(), fall->FrequencyAt(brightest) - 85);
        QCOMPARE(Text(window.get(), "highEdit").toInt(), fall->FrequencyAt(brightest) + 85);

        window.reset();
        m_store = std::make_unique<CSettingsStore>(m_dir.filePath(QStringLiteral("t%1.ini").arg(m_serial)));
        window = Make();
        window->SetReceivePane(true);
        QVERIFY(window->findChild<QAction*>(QStringLiteral("tuningWaterfallAction"))->isChecked());
        QVERIFY(Child<CTuningWaterfall>(window.get(), "tuningWaterfall")->isVisible());
    }

    // "Card:" names the cards the switches reach, the one the command line
    // chose selected; choosing another opens it. The input level is the
    // card's, before the capture's gain.
    void cardChosenByName() {
        auto window = Make({{"/s1"}, "", false, {}, false});
        QTRY_VERIFY(window->Loop().IsOpen());
        window->SetReceivePane(true);
        auto* card = Child<QComboBox>(window.get(), "soundCard");
        QCOMPARE(card->count(), 3);
        QCOMPARE(card->itemText(0), QStringLiteral("Default input"));
        QCOMPARE(card->itemText(1), QStringLiteral("First card"));
        QCOMPARE(card->itemText(2), QStringLiteral("Second card"));
        QCOMPARE(card->currentIndex(), 2);
        QCOMPARE(m_cards->opened, 1);
        QVERIFY(card->isEnabled());
        card->setCurrentIndex(1);
        emit card->activated(1);
        QCOMPARE(m_cards->opened, 0);
        QVERIFY(window->Loop().IsOpen());
        QCOMPARE(window->StatusText(), QStringLiteral("Card \"First card\" selected"));
        std::vector<std::int16_t> block(32768);
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::int16_t>(i % 4 == 0 ? 1000 : -999 + int(i % 7));
        QVERIFY(m_cards->device->Feed(block));
        QTRY_VERIFY2(Child<QLabel>(window.get(), "tuningFigures")->text().contains(QStringLiteral("Input -30 dBFS")),
                     qPrintable(Child<QLabel>(window.get(), "tuningFigures")->text()));
        emit card->activated(0);
        QCOMPARE(m_cards->opened, morvane::SoundSystem::kDefaultInput);
    }
};

QTEST_MAIN(TuningInWindowTest)
#include "TuningInWindowTest.moc"
