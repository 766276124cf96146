#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>
#include <QScreen>
#include <QWheelEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <limits>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

#include "support/DecodeRoundTripSupport.h"
#include "align/TimeTrueRaster.h"
#include "app/CMorvaneApp.h"
#include "app/CMorvaneDlg.h"
#include "app/CParameterPanel.h"
#include "app/CSettingsStore.h"
#include "app/CWindowPlacement.h"
#include "live/ProcessingLoop.h"
#include "raster/RasterImage.h"
#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWriter.h"
#include "app/CBitsExtractDlg.h"
#include "app/CLiveTextDlg.h"
#include "app/CLiveTextFeed.h"
#include "app/CStatusLine.h"
#include "app/FileDialogs.h"
#include "synth/RttySynth.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"
#include "widgets/CUpDown.h"

namespace {

// A machine with one sound card that opens but never delivers a block.
class QuietDevice : public morvane::SoundDevice {
public:
    void Start(std::int32_t, BlockHandler) override {}
    void Stop() override {}
};

class QuietSystem : public morvane::SoundSystem {
public:
    int InputCount() override { return 1; }
    std::optional<std::string> InputName(int) override { return "Quiet card"; }
    std::unique_ptr<morvane::SoundDevice> OpenInput(int, const morvane::CaptureFormat&) override {
        return std::make_unique<QuietDevice>();
    }
};

// A card whose blocks the test hands over itself, on the window's thread,
// while the window's queued Process commands wait.
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

class FeedingSystem : public morvane::SoundSystem {
public:
    FeedingDevice* device = nullptr;  // owned by the window's capture
    int InputCount() override { return 1; }
    std::optional<std::string> InputName(int) override { return "Feeding card"; }
    std::unique_ptr<morvane::SoundDevice> OpenInput(int, const morvane::CaptureFormat&) override {
        auto made = std::make_unique<FeedingDevice>();
        device = made.get();
        return made;
    }
};
// The levels the command line gives for a recording (morvane-cli levels).
std::vector<std::int32_t> CommandLineLevels(const std::string& path, float low = 1500, float high = 2000) {
    morvane::RecordingReader reader(path);
    morvane::DemodSettings settings;
    settings.tone1Hz = low;
    settings.tone2Hz = high;
    return morvane::RecordingLevels(reader, settings);
}

constexpr const char* kFoxText = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";

const QString kHint = QStringLiteral("Hint: use '/s0' .. '/s5' argument to change sound card");

// Runs `action` (which opens a modal dialog) and hands the dialog to `inspect`
// once it is up; `inspect` must close it.
template <typename Dialog, typename Inspect>
bool WithModal(const std::function<void()>& action, Inspect inspect) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            seen = true;
            inspect(dialog);
        }
    });
    poll.start(5);
    action();
    return seen;
}

}  // namespace

class MorvaneDlgTest : public QObject {
    Q_OBJECT
    using Field = CParameterPanel::Field;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CSettingsStore> m_store;
    QString m_storePath;
    int m_serial = 0;

    std::unique_ptr<CMorvaneDlg> Make(CMorvaneDlg::Launch launch = {}) {
        return std::make_unique<CMorvaneDlg>(*m_store, std::make_unique<QuietSystem>(), launch);
    }
    // Closes the window as the program does at exit and opens the store again, as a restart does.
    void Restart(std::unique_ptr<CMorvaneDlg>& window) {
        window.reset();
        m_store = std::make_unique<CSettingsStore>(m_storePath);
    }
    template <typename T>
    static T* Child(QWidget* window, const char* name) {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        if (!child)
            qFatal("no control %s", name);
        return child;
    }
    // A recording of `text` (with `idle` seconds of mark around it) in the test folder.
    std::string Recording(const char* name, const std::string& text, double idle = 0.5) {
        const std::string wav = m_dir.filePath(QString::fromLatin1(name)).toStdString();
        morvane::RttySynthSettings settings;
        settings.idleSeconds = idle;
        settings.snrDb = 10.0;
        morvane::WriteWav16Mono(wav, morvane::SynthesizeRtty(text, settings));
        return wav;
    }
    // "Extract bits" pressed in the window: the decoded text its dialog
    // shows, or nothing when the dialog did not open.
    static std::optional<QString> ExtractedText(CMorvaneDlg* window) {
        QString decoded;
        const bool opened = WithModal<CBitsExtractDlg>(
            [&] { QTest::mouseClick(Child<QPushButton>(window, "extractBits"), Qt::LeftButton); },
            [&](CBitsExtractDlg* dialog) {
                decoded = Child<QPlainTextEdit>(dialog, "decodedEdit")->toPlainText();
                dialog->reject();
            });
        if (!opened) return std::nullopt;
        return decoded;
    }
    // Waits until everything posted to the window so far has been handled.
    static void FlushPosted(QObject* window) {
        bool handled = false;
        QMetaObject::invokeMethod(window, [&handled] { handled = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(handled);
    }
    static QAction* Action(QWidget* window, const char* name) {
        auto* action = window->findChild<QAction*>(QString::fromLatin1(name));
        if (!action)
            qFatal("no action %s", name);
        return action;
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    // Edits by object name, with a text each.
    using FieldTexts = std::vector<std::pair<const char*, const char*>>;
    static void ExpectTexts(QWidget* window, const FieldTexts& texts) {
        for (const auto& [name, text] : texts)
            QVERIFY2(Child<QLineEdit>(window, name)->text() == QString::fromLatin1(text), name);
    }

private slots:
    void init() {
        m_storePath = m_dir.filePath(QStringLiteral("settings%1.ini").arg(++m_serial));
        m_store = std::make_unique<CSettingsStore>(m_storePath);
    }
    void cleanup() { m_store.reset(); }

    void firstRunShowsTheDefaults() {
        auto window = Make();
        QCOMPARE(window->windowTitle(), QStringLiteral("Morvane"));
        const FieldTexts defaults = {{"lowEdit", "1500"}, {"highEdit", "2000"}, {"countEdit", "64"}, {"offsetEdit", "0"},
                                     {"slantEdit", "0"},   {"widthEdit", "24"},  {"shiftEdit", "0"}};
        ExpectTexts(window.get(), defaults);
        QVERIFY(Child<QCheckBox>(window.get(), "showGrid")->isChecked());
        QCOMPARE(Child<QLabel>(window.get(), "dfLabel")->text(), QStringLiteral("dF = 500"));
        QCOMPARE(Child<QLabel>(window.get(), "speedLabel")->text(), QStringLiteral("Speed = 50.00"));
        QCOMPARE(window->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(window->Panoramic()->sampleRate, 48000);
        QCOMPARE(window->Panoramic()->markerLowHz, 1500);
        QCOMPARE(window->Panoramic()->markerHighHz, 2000);
        // Start is posted: it runs once the window handles its queue.
        QTRY_COMPARE(window->StatusText(), kHint);
        QVERIFY(window->Loop().IsOpen());
    }

    void longStatusKeepsItsBeginning() {
        const std::string missing = m_dir.filePath(QStringLiteral("no-such-recording-with-a-rather-long-name.wav")).toStdString();
        auto window = Make({{"--input", missing}, missing, false, {}, false});
        QTRY_VERIFY(window->StatusText().startsWith(QStringLiteral("Cannot open recording")));
        auto* label = Child<QLabel>(window.get(), "status");
        QCOMPARE(label->toolTip(), window->StatusText());
        QVERIFY(label->text().startsWith(QStringLiteral("Cannot open recording")));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    }

    void cardSwitchChoosesTheCard() {
        auto window = Make({{"/s0"}, "", false, {}, false});
        QTRY_COMPARE(window->StatusText(), QStringLiteral("Card \"Quiet card\" selected"));
    }

    void commandLineOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QString>("open");
        QTest::newRow("nothing") << QStringList{} << true << "" << false << "";
        QTest::newRow("card switch") << QStringList{"/s1"} << true << "" << false << "";
        QTest::newRow("input") << QStringList{"--input", "a.wav"} << true << "a.wav" << false << "";
        QTest::newRow("input=, fast") << QStringList{"--fast", "--input=b c.wav"} << true << "b c.wav" << true << "";
        QTest::newRow("input without file") << QStringList{"--input"} << false << "" << false << "";
        QTest::newRow("input= without file") << QStringList{"--input="} << false << "" << false << "";
        QTest::newRow("plain file, card") << QStringList{"/s2", "rec.flac"} << true << "" << false << "rec.flac";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << true << "" << false << "";
        // A path is a recording even where it holds a card switch; only the word itself is one.
        QTest::newRow("path holding /s3/") << QStringList{"/tmp/s3/rec.wav"} << true << "" << false << "/tmp/s3/rec.wav";
        QTest::newRow("/s10") << QStringList{"/s10"} << true << "" << false << "/s10";
    }
    void commandLineOptions() {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        QFETCH(QString, input);
        QFETCH(bool, fast);
        QFETCH(QString, open);
        std::vector<std::string> texts{"/usr/bin/morvane"};
        for (const QString& a : args)
            texts.push_back(a.toStdString());
        std::vector<const char*> argv;
        for (const std::string& t : texts)
            argv.push_back(t.c_str());
        std::string error;
        const auto launch = CMorvaneApp::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), error);
        QCOMPARE(launch.has_value(), ok);
        QCOMPARE(error.empty(), ok);
        if (launch) {
            QCOMPARE(QString::fromStdString(launch->inputPath), input);
            QCOMPARE(launch->fast, fast);
            QCOMPARE(QString::fromStdString(launch->openPath), open);
            QCOMPARE(launch->arguments, std::vector<std::string>(texts.begin() + 1, texts.end()));
        }
    }

    void noTextIsCut() {
        // Fonts wider than the one the layout was drawn for widen the window instead.
        auto window = Make();
        CBitsExtractDlg bits(*m_store);
        for (QWidget* top : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(&bits)}) {
            QList<QWidget*> texts;
            for (QLabel* l : top->findChildren<QLabel*>())
                if (l->objectName() != "status")
                    texts.append(l);
            for (QCheckBox* c : top->findChildren<QCheckBox*>())
                texts.append(c);
            QVERIFY(texts.size() > 3);
            for (QWidget* t : texts)
                QVERIFY2(t->width() >= t->sizeHint().width(), qPrintable(t->property("text").toString()));
        }
    }

    void speedLabel_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("label");
        QTest::newRow("24") << "24" << "Speed = 50.00";
        QTest::newRow("48") << "48" << "Speed = 25.00";
        QTest::newRow("22") << "22" << "Speed = 54.55";
        QTest::newRow("zero") << "0" << "Speed = inf";
        QTest::newRow("empty") << "" << "Speed = inf";
    }
    void speedLabel() {
        QFETCH(QString, width);
        QFETCH(QString, label);
        auto window = Make();
        Type(Child<QLineEdit>(window.get(), "widthEdit"), width);
        QCOMPARE(Child<QLabel>(window.get(), "speedLabel")->text(), label);
    }

    void dfLabel_data() {
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("label");
        QTest::newRow("low below high") << "1500" << "2000" << "dF = 500";
        QTest::newRow("low above high") << "2000" << "1500" << "dF = 500";
        QTest::newRow("letters count 0") << "abc" << "2000" << "dF = 2000";
        QTest::newRow("extremes") << "-2147483648" << "2147483647" << "dF = 4294967295";
    }
    void dfLabel() {
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(QString, label);
        auto window = Make();
        Type(Child<QLineEdit>(window.get(), "lowEdit"), low);
        Type(Child<QLineEdit>(window.get(), "highEdit"), high);
        QCOMPARE(Child<QLabel>(window.get(), "dfLabel")->text(), label);
    }

    void clicksPickLowAndHighInTurn() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        CPanoramicView* strip = window->Panoramic();
        const struct {
            int x;
            const char* field;
            int hz;
        } picks[] = {{171, "lowEdit", 2003}, {200, "highEdit", 2343}, {17, "lowEdit", 200}};
        for (const auto& pick : picks) {
            // x counts from the inside of the strip's frame.
            QTest::mouseClick(strip, Qt::LeftButton, {}, strip->contentsRect().topLeft() + QPoint(pick.x, 10));
            QTRY_COMPARE(Child<QLineEdit>(window.get(), pick.field)->text(), QString::number(pick.hz));
        }
        QCOMPARE(window->Loop().Settings().tone1Hz, 200.0f);
        QCOMPARE(window->Loop().Settings().tone2Hz, 2343.0f);
        QCOMPARE(strip->markerLowHz, 200);
        QCOMPARE(strip->markerHighHz, 2343);
        QCOMPARE(Child<QLabel>(window.get(), "dfLabel")->text(), QStringLiteral("dF = 2143"));
    }

    void typedToneIsUsedAtOnce() {
        auto window = Make();
        QTRY_VERIFY(window->Loop().IsOpen());
        Type(Child<QLineEdit>(window.get(), "lowEdit"), QStringLiteral("1275"));
        Type(Child<QLineEdit>(window.get(), "highEdit"), QStringLiteral("1445"));
        QCOMPARE(window->Loop().Settings().tone1Hz, 1275.0f);
        QCOMPARE(window->Loop().Settings().tone2Hz, 1445.0f);
        QCOMPARE(window->Panoramic()->markerLowHz, 1275);
        QCOMPARE(window->Panoramic()->markerHighHz, 1445);
    }

    void rasterTextsConvertAsNumbers() {
        auto window = Make();
        // Contrast and Show grid are not raster fields: refreshing keeps them.
        Child<QPushButton>(window.get(), "contrast")->click();
        Child<QPushButton>(window.get(), "contrast")->click();
        Child<QCheckBox>(window.get(), "showGrid")->click();
        Type(Child<QLineEdit>(window.get(), "countEdit"), QStringLiteral("90"));
        Child<QLineEdit>(window.get(), "offsetEdit")->setText(QStringLiteral("abc"));
        Child<QLineEdit>(window.get(), "slantEdit")->setText(QStringLiteral("1e3"));
        Child<QLineEdit>(window.get(), "widthEdit")->setText(QStringLiteral(" 12ab"));
        Child<QLineEdit>(window.get(), "shiftEdit")->setText(QStringLiteral("-3"));
        window->RefreshRasterParams();
        const morvane::RasterParams& results = window->Params();
        QCOMPARE(results.count, 90);
        QCOMPARE(results.offset, 0);
        QCOMPARE(results.slant, 1000.0f);
        QCOMPARE(results.gridWidth, 12);
        QCOMPARE(results.gridShift, -3);
        QCOMPARE(results.contrastMode, 2);
        QCOMPARE(results.showGrid, 0);
    }

    void numberFieldsTakeOnlyDigitsFromTheKeyboard() {
        auto window = Make();
        auto* count = Child<QLineEdit>(window.get(), "countEdit");
        Type(count, QStringLiteral("9a-0."));
        QCOMPARE(count->text(), QStringLiteral("90"));
        auto* slant = Child<QLineEdit>(window.get(), "slantEdit");
        Type(slant, QStringLiteral("-0.05"));
        QCOMPARE(slant->text(), QStringLiteral("-0.05"));
    }

    void contrastCyclesAndShowGridToggles() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(window->Loop().IsOpen());  // Start has emptied the stream
        // Levels between the extremes look different in every contrast mode.
        std::vector<std::int32_t> levels;
        for (int i = 0; i < 2000; ++i) levels.push_back(100 + (i / 12) % 60);
        window->ShowLevels(levels);
        window->Results()->Draw();
        auto* contrast = Child<QPushButton>(window.get(), "contrast");
        for (int expected : {1, 2, 0}) {
            const QImage before = window->Results()->Image();
            QTest::mouseClick(contrast, Qt::LeftButton);
            QCOMPARE(window->Params().contrastMode, expected);
            QVERIFY(window->Results()->Image() != before);  // redrawn at once
        }
        auto* grid = Child<QCheckBox>(window.get(), "showGrid");
        for (int expected : {0, 1}) {
            const QImage before = window->Results()->Image();
            QTest::mouseClick(grid, Qt::LeftButton);
            QCOMPARE(window->Params().showGrid, expected);
            QVERIFY(window->Results()->Image() != before);
        }
    }

    void countSpinShowsAtOnceTypingWaits() {
        auto window = Make();
        QTRY_VERIFY(window->Loop().IsOpen());  // Start has emptied the stream
        window->ShowLevels(std::vector<std::int32_t>(1000, 200));
        auto* count = Child<QLineEdit>(window.get(), "countEdit");
        Type(count, QStringLiteral("90"));
        FlushPosted(window.get());
        QCOMPARE(window->Params().count, 64);  // typed, not yet applied
        Child<CUpDown>(window.get(), "countSpin")->Step(+1);
        QCOMPARE(count->text(), QStringLiteral("91"));
        QTRY_COMPARE(window->Params().count, 91);
        // Width applies as it is typed.
        Type(Child<QLineEdit>(window.get(), "widthEdit"), QStringLiteral("30"));
        QTRY_COMPARE(window->Params().gridWidth, 30);
    }

    void enterAppliesTheFieldAndEscapeEnds() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->ShowLevels(std::vector<std::int32_t>(1000, 200));
        auto* count = Child<QLineEdit>(window.get(), "countEdit");
        Type(count, QStringLiteral("90"));
        QTest::keyClick(count, Qt::Key_Return);
        QTest::keyClick(count, Qt::Key_Enter);
        QVERIFY(window->isVisible());
        QTRY_COMPARE(window->Params().count, 90);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
    }

    // Esc (in any field), Exit or the close box ask first while the live text
    // holds text not saved: Cancel keeps the window, Discard ends it. Without
    // such text (none, or cleared) Esc ends at once.
    void escapeAsksWhileTheLiveTextIsUnsaved() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        Action(window.get(), "liveTextAction")->trigger();
        CLiveTextDlg* live = window->LiveText().Window();
        QVERIFY(live);
        live->AppendText(QStringLiteral("RYRY CQ DE MORVANE"));
        auto* low = Child<QLineEdit>(window.get(), "lowEdit");
        const auto answer = [&](QMessageBox::StandardButton button, const std::function<void()>& press) {
            return WithModal<QMessageBox>(press, [&](QMessageBox* box) {
                QCOMPARE(box->objectName(), QStringLiteral("quitQuestion"));
                box->button(button)->click();
            });
        };
        QVERIFY(answer(QMessageBox::Cancel, [&] { QTest::keyClick(low, Qt::Key_Escape); }));
        QVERIFY(window->isVisible());
        QVERIFY(answer(QMessageBox::Cancel, [&] { QTest::mouseClick(Child<QPushButton>(window.get(), "exit"), Qt::LeftButton); }));
        QVERIFY(window->isVisible());
        QCOMPARE(live->Text(), QStringLiteral("RYRY CQ DE MORVANE"));
        QVERIFY(answer(QMessageBox::Discard, [&] { QTest::keyClick(low, Qt::Key_Escape); }));
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));

        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        live->Clear();
        QVERIFY(!answer(QMessageBox::Cancel, [&] { QTest::keyClick(low, Qt::Key_Escape); }));
        QVERIFY(!window->isVisible());
    }

    void aboutAndExtractWaitWhileRecording() {
        auto window = Make();
        QTRY_VERIFY(window->Loop().IsOpen());
        QTest::mouseClick(Child<QPushButton>(window.get(), "startCapture"), Qt::LeftButton);
        QVERIFY(window->Recording());
        bool opened = WithModal<QDialog>(
            [&] {
                QTest::mouseClick(Child<QPushButton>(window.get(), "about"), Qt::LeftButton);
                QTest::mouseClick(Child<QPushButton>(window.get(), "extractBits"), Qt::LeftButton);
                FlushPosted(window.get());
            },
            [](QDialog* d) { d->reject(); });
        QVERIFY(!opened);
        QTest::mouseClick(Child<QPushButton>(window.get(), "stopCapture"), Qt::LeftButton);
        QVERIFY(!window->Recording());
        opened = WithModal<QDialog>([&] { QTest::mouseClick(Child<QPushButton>(window.get(), "about"), Qt::LeftButton); },
                                    [](QDialog* d) { d->reject(); });
        QVERIFY(opened);
    }

    void settingsSurviveARestart() {
        auto window = Make();
        const FieldTexts typed = {{"lowEdit", "abc"},    {"highEdit", "2125"}, {"countEdit", "90"}, {"offsetEdit", "17"},
                                  {"slantEdit", "0.05"}, {"widthEdit", "22"},  {"shiftEdit", "3"}};
        for (const auto& [name, text] : typed) Type(Child<QLineEdit>(window.get(), name), QString::fromLatin1(text));
        Child<QCheckBox>(window.get(), "showGrid")->setChecked(false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QSize bigger = window->size() + QSize(60, 40);
        window->resize(bigger);
        Restart(window);
        QCOMPARE(m_store->ReadText("Data", "Freq1", ""), QStringLiteral("abc"));
        QCOMPARE(m_store->ReadInt("Data", "ShowGrid", -1), 0);
        QCOMPARE(m_store->ReadInt("Windows\\MainDlg", "State", -1), 1);

        window = Make();
        QCOMPARE(window->Text(CMorvaneDlg::Field::Low), QStringLiteral("abc"));
        ExpectTexts(window.get(), typed);
        QVERIFY(!Child<QCheckBox>(window.get(), "showGrid")->isChecked());
        QCOMPARE(window->Params().showGrid, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->size(), bigger);
        // Letters in Low are tone 0 for the demodulator.
        QTRY_VERIFY(window->Loop().IsOpen());
        QCOMPARE(window->Loop().Settings().tone1Hz, 0.0f);
        // The next pick goes to the low tone whatever was picked before.
        QVERIFY(!window->NextPickHigh());
    }

    void damagedSettingsFileStillStarts() {
        m_store.reset();
        {
            QFile file(m_storePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 5000; ++i)
                file.putChar(static_cast<char>((i * 131 + 7) & 0xFF));
        }
        m_store = std::make_unique<CSettingsStore>(m_storePath);
        auto window = Make();
        QCOMPARE(Child<QLineEdit>(window.get(), "countEdit")->text(), QStringLiteral("64"));
        QTRY_COMPARE(window->StatusText(), kHint);
        Restart(window);
        QCOMPARE(m_store->ReadText("Data", "DCount", ""), QStringLiteral("64"));
    }

    void resizingMovesOnlyTheAnchoredControls() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->isSizeGripEnabled());
        QCOMPARE(window->minimumWidth(), window->width());
        auto geometryOf = [&](const char* name) { return Child<QWidget>(window.get(), name)->geometry(); };
        const QRect results = geometryOf("results");
        const QRect contrast = geometryOf("contrast");
        const QRect grid = geometryOf("showGrid");
        const QRect status = geometryOf("status");
        const QRect count = geometryOf("countEdit");
        const QRect strip = geometryOf("panoramic");
        window->resize(window->size() + QSize(100, 80));
        QTRY_COMPARE(geometryOf("results"), results.adjusted(0, 0, 100, 80));
        QCOMPARE(geometryOf("contrast"), contrast.translated(0, 80));
        QCOMPARE(geometryOf("showGrid"), grid.translated(0, 80));
        QCOMPARE(geometryOf("status"), status.translated(100, 80));
        QCOMPARE(geometryOf("countEdit"), count);
        QCOMPARE(geometryOf("panoramic"), strip);
        // Never narrower than at the start, never lower than the minimum height.
        window->resize(100, 100);
        QCOMPARE(window->frameGeometry().width(), window->MinWidth());
        QCOMPARE(window->frameGeometry().height(), CMorvaneDlg::kMinHeight);
    }

    void savedPlacementRules() {
        // A saved size below the minimum comes back at the minimum; a position
        // on no screen at all is not used.
        m_store->WriteInt("Windows\\MainDlg", "X", 90000);
        m_store->WriteInt("Windows\\MainDlg", "Y", 90000);
        m_store->WriteInt("Windows\\MainDlg", "Width", 200);
        m_store->WriteInt("Windows\\MainDlg", "Height", 200);
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->frameGeometry().width(), window->MinWidth());
        QCOMPARE(window->frameGeometry().height(), CMorvaneDlg::kMinHeight);
        QVERIFY(window->x() < 90000);
        QVERIFY(window->y() < 90000);
    }

    // The size is saved with the frame the desktop drew around it (here 8 ×
    // 30 pixels); a window made again, before the desktop frames it, takes
    // the client size of that run, not the outer size: three restarts give
    // the same geometry.
    void restartsKeepTheGeometry() {
        m_store->WriteInt("Windows\\MainDlg", "X", 40);
        m_store->WriteInt("Windows\\MainDlg", "Y", 30);
        m_store->WriteInt("Windows\\MainDlg", "Width", 850);
        m_store->WriteInt("Windows\\MainDlg", "Height", 600);
        m_store->WriteInt("Windows\\MainDlg", "FrameWidth", 8);
        m_store->WriteInt("Windows\\MainDlg", "FrameHeight", 30);
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Framed at once (the platform knows its frame): the outer size comes
        // back; not yet framed: the client size of the run that saved it.
        const QSize liveFrame = window->frameGeometry().size() - window->size();
        QCOMPARE(liveFrame.isNull() ? window->size() : window->frameGeometry().size(),
                 liveFrame.isNull() ? QSize(842, 570) : QSize(850, 600));
        const QRect first = window->frameGeometry();
        for (int restart = 0; restart < 3; ++restart) {
            Restart(window);
            window = Make();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QCOMPARE(window->frameGeometry(), first);
        }
        // The arithmetic: the live frame once there is one, the saved one before.
        QCOMPARE(CWindowPlacement::ClientFor(QSize(850, 600), QSize(0, 0), QSize(8, 30)), QSize(842, 570));
        QCOMPARE(CWindowPlacement::ClientFor(QSize(850, 600), QSize(2, 25), QSize(8, 30)), QSize(848, 575));
        QCOMPARE(CWindowPlacement::ClientFor(QSize(850, 600), QSize(0, 0), std::nullopt), QSize(850, 600));
        QCOMPARE(CWindowPlacement::ClientFor(QSize(5, 5), QSize(0, 0), QSize(8, 30)), QSize(1, 1));
    }

    void impossiblePlacementIsIgnored() {
        // Values no desktop makes (a damaged or hand-edited file) leave the
        // window where and as large as a first run opens it.
        QSize firstSize;
        QPoint firstPos;
        {
            auto plain = Make();
            plain->show();
            QVERIFY(QTest::qWaitForWindowExposed(plain.get()));
            firstSize = plain->frameGeometry().size();
            firstPos = plain->pos();
        }
        constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
        constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
        const std::int32_t cases[][4] = {
            {kMax, kMax, kMax, kMax},       {kMin, kMin, kMin, kMin},          {kMax - 10, 5, kMin + 10, 300},
            {40, kMin, 0, -5},              {-1717171717, 30, 900, -1717171717}, {kMax, -kMax, 65537, 500},
        };
        for (const auto& c : cases) {
            m_store->WriteInt("Windows\\MainDlg", "X", c[0]);
            m_store->WriteInt("Windows\\MainDlg", "Y", c[1]);
            m_store->WriteInt("Windows\\MainDlg", "Width", c[2]);
            m_store->WriteInt("Windows\\MainDlg", "Height", c[3]);
            auto window = Make();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QCOMPARE(window->frameGeometry().size(), firstSize);
            QCOMPARE(window->pos(), firstPos);
        }
    }

    void droppedBlocksAreShownWhileCapturing() {
        // The window falls behind: 20 blocks arrive before it handles any.
        // The pending buffer takes 11 (8 s of sound); the other 9 are lost,
        // and the status line says so.
        auto system = std::make_unique<FeedingSystem>();
        FeedingSystem* feeding = system.get();
        CMorvaneDlg window(*m_store, std::move(system), CMorvaneDlg::Launch{{}, "", false, {}, false});
        QTRY_VERIFY(window.Loop().IsOpen());
        QTest::mouseClick(Child<QPushButton>(&window, "startCapture"), Qt::LeftButton);
        QVERIFY(window.Recording());
        int taken = 0;
        for (int i = 0; i < 20; ++i) taken += feeding->device->Feed(std::vector<std::int16_t>(32768, 1000));
        QCOMPARE(taken, 11);
        QTRY_COMPARE(window.StatusText(), QStringLiteral("9 blocks dropped (6.1 s of sound lost)"));
        QTRY_VERIFY(window.Stream().levels.size() >= 11u * 409u);
    }

    void placementOnScreenIsRestored() {
        m_store->WriteInt("Windows\\MainDlg", "X", 40);
        m_store->WriteInt("Windows\\MainDlg", "Y", 30);
        auto window = Make();
        QCOMPARE(window->pos(), QPoint(40, 30));
    }

    // "Open recording..." (Ctrl+O) reads the chosen file from its first
    // sample with capture on: the levels are the command line's, byte for byte.
    void openByActionGivesTheCommandLinesLevels() {
        const std::string wav = Recording("opened.wav", "RYRY CQ CQ DE MORVANE");
        auto window = Make();
        window->show();
        QTRY_COMPARE(window->StatusText(), kHint);
        QCOMPARE(Action(window.get(), "openRecordingAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QVERIFY(!Action(window.get(), "replayAction")->isEnabled());
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        const bool asked = WithModal<QFileDialog>(
            [&] { Action(window.get(), "openRecordingAction")->trigger(); },
            [&](QFileDialog* dialog) {
                QVERIFY(dialog->nameFilters().first().contains(QStringLiteral("*.wav")));
                QVERIFY(dialog->nameFilters().first().contains(QStringLiteral("*.flac")));
                dialog->selectFile(QString::fromStdString(wav));
                static_cast<QDialog*>(dialog)->accept();
            });
        QVERIFY(asked);
        QVERIFY(finished.wait(20000));
        QCOMPARE(window->Stream().levels, CommandLineLevels(wav));
        QCOMPARE(window->StatusText(), QStringLiteral("opened.wav: 00:04 read"));
        // Capture is off again and the card is back.
        QVERIFY(!window->Recording());
        QVERIFY(window->Loop().IsOpen());
        QVERIFY(Action(window.get(), "replayAction")->isEnabled());
    }

    // A file dropped on the window is read the same way, with the tones of the fields.
    void dropReadsTheRecording() {
        const std::string wav = Recording("dropped.wav", "RYRY DROPPED");
        auto window = Make();
        Type(Child<QLineEdit>(window.get(), "lowEdit"), QStringLiteral("1400"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(wav))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QVERIFY(finished.wait(20000));
        QCOMPARE(window->Stream().levels, CommandLineLevels(wav, 1400, 2000));
    }

    // While reading, the status line tells how far; Stop capture ends the
    // reading early with what was read so far.
    void progressThenStopWhileReading() {
        const std::string wav = Recording("long.wav", "RYRY", 20.0);
        auto window = Make();
        window->OpenRecording(QString::fromStdString(wav), morvane::RecordingPace::RealTime);
        QVERIFY(window->Reading());
        QVERIFY(window->Recording());
        const QRegularExpression progress(QStringLiteral("^Reading long\\.wav: ([0-9]+) %$"));
        QTRY_VERIFY(progress.match(window->StatusText()).hasMatch() &&
                    progress.match(window->StatusText()).captured(1).toInt() > 0);
        QVERIFY(progress.match(window->StatusText()).captured(1).toInt() < 100);
        QTRY_VERIFY(!window->Stream().levels.empty());
        QTest::mouseClick(Child<QPushButton>(window.get(), "stopCapture"), Qt::LeftButton);
        QVERIFY(!window->Reading());
        QVERIFY(!window->Recording());
        QVERIFY2(QRegularExpression(QStringLiteral("^long\\.wav: 00:0[0-9] read \\(stopped\\)$"))
                     .match(window->StatusText()).hasMatch(),
                 qPrintable(window->StatusText()));
        // What was read is the beginning of the command line's levels.
        const std::vector<std::int32_t> all = CommandLineLevels(wav);
        const std::vector<std::int32_t>& read = window->Stream().levels;
        QVERIFY(read.size() < all.size());
        QVERIFY(std::equal(read.begin(), read.end(), all.begin()));
        // Nothing more arrives: the recording is closed, and what it posted
        // before is dropped when it is handled.
        FlushPosted(window.get());
        QCOMPARE(window->Stream().levels.size(), read.size());
    }

    void escapeEndsTheReadingNotTheWindow() {
        const std::string wav = Recording("esc.wav", "RYRY", 20.0);
        auto window = Make();
        window->show();
        window->OpenRecording(QString::fromStdString(wav), morvane::RecordingPace::RealTime);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->Reading());
        QVERIFY(window->isVisible());
        QVERIFY(window->StatusText().endsWith(QStringLiteral("read (stopped)")));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    // A recording opened during a live capture stops that capture first: the
    // levels are the recording's alone, and the card is captured no further.
    void openingDuringACaptureStopsItFirst() {
        const std::string wav = Recording("during.wav", "RYRY DURING");
        auto window = Make();
        QTRY_COMPARE(window->StatusText(), kHint);
        QTest::mouseClick(Child<QPushButton>(window.get(), "startCapture"), Qt::LeftButton);
        QVERIFY(window->Recording());
        QVERIFY(window->StatusText().startsWith(QStringLiteral("Capturing 00:0")));
        QVERIFY(window->StatusText().endsWith(QStringLiteral(" levels")));
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav));
        QVERIFY(finished.wait(20000));
        QCOMPARE(window->Stream().levels, CommandLineLevels(wav));
        QVERIFY(!window->Recording());
        QVERIFY(window->Loop().IsOpen());
    }

    void capturingStatusCountsLevels() {
        const std::string wav = Recording("count.wav", "RYRY", 5.0);
        auto window = Make({{"--input", wav}, wav, false, {}, false});
        // Real time: after a block or two the status shows the reading, not the capture.
        QTRY_VERIFY(window->StatusText().startsWith(QStringLiteral("Reading count.wav: ")));
        QTest::mouseClick(Child<QPushButton>(window.get(), "stopCapture"), Qt::LeftButton);
        QVERIFY(!window->Reading());
        // A capture on the live card counts its levels with a space every three digits.
        auto live = Make();
        QTRY_COMPARE(live->StatusText(), kHint);
        QTest::mouseClick(Child<QPushButton>(live.get(), "startCapture"), Qt::LeftButton);
        live->ShowLevels(std::vector<std::int32_t>(25200, 128));
        live->OnProcess();
        QVERIFY2(QRegularExpression(QStringLiteral("^Capturing 00:0[0-9] \u00B7 25 200 levels$"))
                     .match(live->StatusText()).hasMatch(),
                 qPrintable(live->StatusText()));
        QTest::mouseClick(Child<QPushButton>(live.get(), "stopCapture"), Qt::LeftButton);
        QCOMPARE(live->StatusText(), kHint);
    }

    // Follow newest rows: the view shows the last rows that fit, Offset shows
    // the value in use (beyond the arrows' 1024) and the columns stay aligned.
    void followNewestShowsTheLastRows() {
        const std::string wav = Recording("follow.wav", "RYRY CQ CQ CQ DE MORVANE MORVANE MORVANE", 8.0);
        auto window = Make();
        QVERIFY(!window->FollowNewest());
        QVERIFY(!Action(window.get(), "followNewestAction")->isChecked());
        Type(Child<QLineEdit>(window.get(), "countEdit"), QStringLiteral("90"));
        Type(Child<QLineEdit>(window.get(), "offsetEdit"), QStringLiteral("7"));
        Action(window.get(), "followNewestAction")->trigger();
        QVERIFY(window->FollowNewest());
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav));
        QVERIFY(finished.wait(20000));
        const auto n = static_cast<std::int32_t>(window->Stream().levels.size());
        const std::int32_t offset = window->Params().offset;
        const int rowsFit = (window->Results()->ClientSize().height() + 2) / 3;
        QVERIFY(offset > 1024);
        QCOMPARE(offset % 90, 7);
        QVERIFY(offset + (rowsFit - 1) * 90 < n);  // the last row drawn holds levels
        QVERIFY(offset + rowsFit * 90 >= n);       // and it is the newest one
        QCOMPARE(Child<QLineEdit>(window.get(), "offsetEdit")->text(), QString::number(offset));
        // The newest level is drawn: its block is not white.
        const QImage& image = window->Results()->Image();
        const int lastRow = (n - 1 - offset) / 90;
        const int lastColumn = (n - 1 - offset) % 90;
        QVERIFY(image.pixelColor(2 * lastColumn, 3 * lastRow) != QColor(Qt::white));
        // Saved in the settings; off by default.
        Restart(window);
        window = Make();
        QVERIFY(window->FollowNewest());
        QCOMPARE(Child<QLineEdit>(window.get(), "offsetEdit")->text(), QString::number(offset));
    }

    // Offset's arrows stop at 1024, but a larger typed value is used and kept.
    void offsetBeyondItsArrowsIsKept() {
        auto window = Make();
        Type(Child<QLineEdit>(window.get(), "offsetEdit"), QStringLiteral("5000"));
        window->RefreshRasterParams();
        QCOMPARE(window->Params().offset, 5000);
        Restart(window);
        window = Make();
        QCOMPARE(Child<QLineEdit>(window.get(), "offsetEdit")->text(), QStringLiteral("5000"));
        QCOMPARE(window->Params().offset, 5000);
    }

    // "Save picture..." writes the pixels the command line's raster writes.
    void savePictureEqualsTheRasterImage() {
        const std::string wav = Recording("picture.wav", "RYRY PICTURE");
        auto window = Make();
        QCOMPARE(Action(window.get(), "savePictureAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav));
        QVERIFY(finished.wait(20000));
        Type(Child<QLineEdit>(window.get(), "countEdit"), QStringLiteral("90"));
        Type(Child<QLineEdit>(window.get(), "slantEdit"), QStringLiteral("0.5"));
        QTest::mouseClick(Child<QPushButton>(window.get(), "contrast"), Qt::LeftButton);
        const QString path = m_dir.filePath(QStringLiteral("picture.png"));
        const bool saved = WithModal<QFileDialog>([&] { Action(window.get(), "savePictureAction")->trigger(); },
                                                  [&](QFileDialog* dialog) {
                                                      dialog->selectFile(path);
                                                      static_cast<QDialog*>(dialog)->accept();
                                                  });
        QVERIFY(saved);
        QImage png(path);
        QVERIFY(!png.isNull());
        png = png.convertToFormat(QImage::Format_RGB888);
        const QSize size = window->Results()->ClientSize();
        morvane::RasterParams params = window->Params();
        QCOMPARE(params.count, 90);
        QCOMPARE(params.contrastMode, 1);
        const morvane::RgbImage expected =
            morvane::RenderRaster(window->Stream().levels, params, size.width(), size.height());
        QCOMPARE(png.width(), expected.width);
        QCOMPARE(png.height(), expected.height);
        for (int y = 0; y < png.height(); ++y)
            QVERIFY(std::memcmp(png.constScanLine(y), expected.rgb.data() + std::size_t(y) * expected.width * 3,
                                std::size_t(expected.width) * 3) == 0);
        QString error;
        QVERIFY(!window->SavePicture(m_dir.filePath(QStringLiteral("no/such/folder/x.png")), error));
        QVERIFY(!error.isEmpty());
    }

    // A name chosen without an extension is saved with ".png"; the status
    // line confirms where and how large.
    void savePictureAddsTheExtensionAndConfirms() {
        auto window = Make();
        window->ShowLevels(std::vector<std::int32_t>(5000, 200));
        const QString path = m_dir.filePath(QStringLiteral("plain"));
        const bool saved = WithModal<QFileDialog>([&] { Action(window.get(), "savePictureAction")->trigger(); },
                                                  [&](QFileDialog* dialog) {
                                                      dialog->selectFile(path);
                                                      static_cast<QDialog*>(dialog)->accept();
                                                  });
        QVERIFY(saved);
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".png")));
        QVERIFY(!QImage(path + QStringLiteral(".png")).isNull());
        const QSize size = window->Results()->ClientSize();
        QCOMPARE(window->StatusText(),
                 QStringLiteral("Picture saved: plain.png (%1 \u00D7 %2)").arg(size.width()).arg(size.height()));
        QCOMPARE(WithPngExtension(QStringLiteral("/a/b.c/pic")), QStringLiteral("/a/b.c/pic.png"));
        QCOMPARE(WithPngExtension(QStringLiteral("/a/pic.PNG")), QStringLiteral("/a/pic.PNG"));
    }

    // The contrast mode chosen comes back after a restart (0 at first).
    void contrastIsKept() {
        auto window = Make();
        QCOMPARE(window->Params().contrastMode, 0);
        QTest::mouseClick(Child<QPushButton>(window.get(), "contrast"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(window.get(), "contrast"), Qt::LeftButton);
        Restart(window);
        window = Make();
        QCOMPARE(window->Params().contrastMode, 2);
        Restart(window);
        m_store->WriteInt("Data", "Contrast", 7);  // not a mode
        window = Make();
        QCOMPARE(window->Params().contrastMode, 0);
    }

    // Text that is not wholly a number is still converted as before ("abc"
    // 0, "1e3" 1 in Low, 1000 in Slant) but the field shows it: a red frame
    // and a tooltip with the value used.
    void notANumberIsShown_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("tip");
        QTest::newRow("low abc") << "low" << "abc" << true << "Not a number: used as 0";
        QTest::newRow("low 1e3") << "low" << "1e3" << true << "Not a number: used as 1";
        QTest::newRow("low 1500") << "low" << "1500" << false << "";
        QTest::newRow("high 2000Hz") << "high" << "2000Hz" << true << "Not a number: used as 2000";
        QTest::newRow("slant 1e3") << "slant" << "1e3" << false << "";
        QTest::newRow("slant 0.5x") << "slant" << "0.5x" << true << "Not a number: used as 0.5";
        QTest::newRow("slant -.25") << "slant" << "-.25" << false << "";
        QTest::newRow("empty") << "high" << "" << true << "Not a number: used as 0";
    }
    void notANumberIsShown() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, marked);
        QFETCH(QString, tip);
        auto window = Make();
        auto* edit = Child<QLineEdit>(window.get(), qPrintable(field + QStringLiteral("Edit")));
        edit->setText(QStringLiteral("7"));
        edit->setText(text);
        const Field f = field == QStringLiteral("low") ? Field::Low : field == QStringLiteral("high") ? Field::High : Field::Slant;
        QCOMPARE(window->Parameters().NotANumber(f), marked);
        QCOMPARE(edit->toolTip(), tip);
        QCOMPARE(!edit->styleSheet().isEmpty(), marked);
        edit->setText(QStringLiteral("12"));
        QVERIFY(!window->Parameters().NotANumber(f));
        QVERIFY(edit->styleSheet().isEmpty());
    }

    // The wheel over the raster moves Offset by whole rows, never below 0.
    void wheelScrollsTheRaster() {
        auto window = Make();
        window->ShowLevels(std::vector<std::int32_t>(20000, 200));
        Type(Child<QLineEdit>(window.get(), "countEdit"), QStringLiteral("90"));
        Type(Child<QLineEdit>(window.get(), "offsetEdit"), QStringLiteral("7"));
        window->RefreshRasterParams();
        CResultsView* view = window->Results();
        const auto turn = [&](int eighths) {
            QWheelEvent wheel(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, eighths),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &wheel);
        };
        auto* offset = Child<QLineEdit>(window.get(), "offsetEdit");
        turn(-120);  // towards the user: on down the stream
        QCOMPARE(offset->text(), QStringLiteral("%1").arg(7 + 3 * 90));
        QCOMPARE(window->Params().offset, 7 + 3 * 90);
        turn(60);
        QCOMPARE(offset->text(), QStringLiteral("%1").arg(7 + 3 * 90));  // half a notch: nothing yet
        turn(60);
        QCOMPARE(offset->text(), QStringLiteral("7"));
        turn(120);
        QCOMPARE(offset->text(), QStringLiteral("0"));
    }

    // Align's outcome stays in front of "Capturing ..." for some seconds.
    void alignOutcomeStaysInFrontOfTheCapture() {
        auto window = Make();
        QTRY_VERIFY(window->Loop().IsOpen());
        QTest::mouseClick(Child<QPushButton>(window.get(), "startCapture"), Qt::LeftButton);
        QTRY_VERIFY(window->StatusText().startsWith(QStringLiteral("Capturing ")));
        Action(window.get(), "alignAction")->trigger();
        const QString aligned = window->StatusText();
        QVERIFY2(aligned.startsWith(QStringLiteral("Align on the capture: ")), qPrintable(aligned));
        window->OnProcess();  // what the next block does to the status line
        QCOMPARE(window->StatusText(), aligned);
        QTRY_VERIFY_WITH_TIMEOUT(window->StatusText().startsWith(QStringLiteral("Capturing ")),
                                 CStatusLine::kNoticeMs + 5000);
    }

    // The live text opens wholly on the screen, even over a window at the
    // screen's corner, and Ctrl+O there opens a recording as in the window.
    void liveTextOpensOnTheScreenAndTakesTheShortcuts() {
        auto window = Make();
        const QRect area = window->screen()->availableGeometry();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->move(area.right() - 100, area.bottom() - 80);
        Action(window.get(), "liveTextAction")->trigger();
        CLiveTextDlg* live = window->LiveText().Window();
        QVERIFY(QTest::qWaitForWindowExposed(live));
        QVERIFY2(area.contains(live->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                     .arg(live->frameGeometry().x())
                                                                     .arg(live->frameGeometry().y())
                                                                     .arg(live->frameGeometry().width())
                                                                     .arg(live->frameGeometry().height())));
        live->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(live));
        const bool asked = WithModal<QFileDialog>([&] { QTest::keyClick(live, Qt::Key_O, Qt::ControlModifier); },
                                                  [](QFileDialog* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        QVERIFY(asked);
        QCOMPARE(CWindowPlacement::FitInto(QRect(700, 500, 300, 200), QRect(0, 0, 800, 600)), QRect(500, 400, 300, 200));
        QCOMPARE(CWindowPlacement::FitInto(QRect(-50, 10, 900, 200), QRect(0, 0, 800, 600)), QRect(0, 10, 800, 200));
    }

    // A stored text a digits-only field cannot hold reads as its default;
    // Low and High come back as typed.
    void storedTextsAFieldCannotHold() {
        m_store->WriteText("Data", "DCount", "abc");
        m_store->WriteText("Data", "DOffset", "12x");
        m_store->WriteText("Data", "GridShift", "-3");
        m_store->WriteText("Data", "Grid", "");
        m_store->WriteText("Data", "Freq1", "hello");
        m_store->WriteText("Data", "DSlant", "0.05");
        auto window = Make();
        QCOMPARE(Child<QLineEdit>(window.get(), "countEdit")->text(), QStringLiteral("64"));
        QCOMPARE(Child<QLineEdit>(window.get(), "offsetEdit")->text(), QStringLiteral("0"));
        QCOMPARE(Child<QLineEdit>(window.get(), "shiftEdit")->text(), QStringLiteral("-3"));
        QCOMPARE(Child<QLineEdit>(window.get(), "widthEdit")->text(), QString());
        QCOMPARE(Child<QLineEdit>(window.get(), "lowEdit")->text(), QStringLiteral("hello"));
        QCOMPARE(Child<QLineEdit>(window.get(), "slantEdit")->text(), QStringLiteral("0.05"));
    }

    // Tab goes row by row, left to right.
    void tabOrderFollowsTheRows() {
        auto window = Make();
        QStringList seen;
        QWidget* w = Child<QLineEdit>(window.get(), "lowEdit");
        for (int i = 0; i < 20; ++i) {
            seen << w->objectName();
            w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || w->objectName().isEmpty()) w = w->nextInFocusChain();
            if (w->objectName() == QStringLiteral("lowEdit")) break;
        }
        const QStringList expected{"lowEdit", "highEdit", "countEdit", "offsetEdit", "slantEdit", "widthEdit",
                                   "shiftEdit", "startCapture", "stopCapture", "extractBits", "about", "exit",
                                   "contrast", "showGrid"};
        QStringList focusable;
        for (const QString& name : seen)
            if (!name.endsWith(QStringLiteral("Spin"))) focusable << name;
        QCOMPARE(focusable, expected);
    }

    // The status line tells which tone the next click sets while the mouse is on the strip.
    void statusTellsWhichToneAClickSets() {
        auto window = Make();
        window->show();
        QTRY_COMPARE(window->StatusText(), kHint);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(window->Panoramic(), &enter);
        QCOMPARE(window->StatusText(), QStringLiteral("A click sets Low:"));
        window->OnTonePicked(1200);
        QCOMPARE(window->StatusText(), QStringLiteral("A click sets High:"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(window->Panoramic(), &leave);
        QCOMPARE(window->StatusText(), kHint);
    }

    // A recording opened while another is read replaces it; the end of the
    // first, if it is still on its way, does not end the second.
    void openingAgainReplacesTheReading() {
        const std::string first = Recording("first.wav", "RY", 0.1);
        const std::string second = Recording("second.wav", "RYRY CQ CQ CQ DE MORVANE", 2.0);
        auto window = Make();
        // At real time the first delivers its blocks and its end without
        // waiting for the window, which handles none of it meanwhile.
        window->OpenRecording(QString::fromStdString(first), morvane::RecordingPace::RealTime);
        for (int i = 0; i < 100 && !window->Loop().Progress()->finished.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QVERIFY(window->Loop().Progress()->finished.load());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // its end is posted, not yet handled
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(second));
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(window->Stream().levels, CommandLineLevels(second));
        QVERIFY(window->StatusText().startsWith(QStringLiteral("second.wav: ")));
    }

    // Read as fast as the machine allows, every block still adds exactly its
    // own waterfall row, though the screen is painted less often.
    void fastReadingAddsOneWaterfallRowPerBlock() {
        const std::string wav = Recording("rows.wav", "RYRY CQ", 1.0);
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav));
        QVERIFY(finished.wait(20000));
        CPanoramicView expected;
        expected.resize(window->Panoramic()->size());
        expected.sampleRate = window->Panoramic()->sampleRate;
        expected.CreateSurface();
        std::int64_t blocks = 0;
        for (std::int64_t k = 0;; ++k) {
            morvane::RecordingReader reader(wav);
            const auto block = morvane::RecordingBlock(reader, k);
            if (!block) break;
            QVERIFY(expected.AddSpectrumRow(block->data(), 65536));
            ++blocks;
        }
        QVERIFY(blocks >= 4);
        QCOMPARE(window->Panoramic()->Surface(), expected.Surface());
    }

    // A changed tone moves its marker at once, without a new waterfall row.
    void toneMarkerMovesWithoutANewRow() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QImage before = window->Panoramic()->Surface();
        Type(Child<QLineEdit>(window.get(), "lowEdit"), QStringLiteral("1171"));
        QCOMPARE(window->Panoramic()->markerLowHz, 1171);
        QCOMPARE(window->Panoramic()->Surface(), before);
        const QImage shown = window->Panoramic()->grab().toImage();
        const int frame = window->Panoramic()->frameWidth();
        const int x = window->Panoramic()->MarkerX(1171) + frame;
        bool markerDrawn = false;
        for (int y = 0; y < shown.height() && !markerDrawn; ++y)
            markerDrawn = shown.pixelColor(x, y) != shown.pixelColor(x + 40, y);
        QVERIFY(markerDrawn);
    }

    // A recording of known text played in place of the sound card, captured,
    // aligned and decoded through the window and the Bits extract dialog.
    void synthesisedRecordingDecodesEndToEnd() {
        const std::string text = "RYRY CQ DE MORVANE 73";
        const std::string wav = m_dir.filePath(QStringLiteral("signal.wav")).toStdString();
        morvane::WriteWav16Mono(wav, morvane::SynthesizeRtty(text, morvane::RttySynthSettings{}));

        // --input --fast: capture runs from the first block, nothing to press.
        auto window = Make({{"--input", wav, "--fast"}, wav, true, {}, false});
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        QVERIFY(finished.wait(20000));
        QVERIFY(!window->Recording());
        QCOMPARE(window->StatusText(), QStringLiteral("signal.wav: 00:04 read"));
        const std::vector<std::int32_t> levels = window->Stream().levels;
        QCOMPARE(levels, CommandLineLevels(wav));

        // One frame (start, five bits, 1.5 stop bits) per row.
        const std::int32_t offset = morvane::roundtrip::FindFrameOffset(levels);
        Type(Child<QLineEdit>(window.get(), "countEdit"), QStringLiteral("90"));
        Type(Child<QLineEdit>(window.get(), "offsetEdit"), QString::number(offset));
        Type(Child<QLineEdit>(window.get(), "slantEdit"), QStringLiteral("0"));

        // Read backwards, the stop bits come first: two cells to ignore.
        m_store->WriteInt("Data", "ReverseDirection", 1);
        m_store->WriteText("Data", "BitsIgnore", "2");
        const std::optional<QString> extracted = ExtractedText(window.get());
        QVERIFY(extracted);
        const QString& decoded = *extracted;
        QVERIFY2(decoded.contains(QString::fromStdString(text)), qPrintable(decoded));
        QCOMPARE(window->Params().count, 90);
        QCOMPARE(window->Params().offset, offset);
    }

    // With the live text window open, a recording played as the card is
    // read as it comes: the text under a header naming the rate, the tones
    // and the code; the tones picked anew start a new transmission.
    void liveTextFollowsTheCapture() {
        const std::string text = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";
        const std::string wav = Recording("live.wav", text, 1.0);
        auto window = Make();
        window->show();
        QTRY_COMPARE(window->StatusText(), kHint);
        QCOMPARE(Action(window.get(), "liveTextAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
        Action(window.get(), "liveTextAction")->trigger();
        CLiveTextDlg* live = window->LiveText().Window();
        QVERIFY(live);
        QVERIFY(QTest::qWaitForWindowExposed(live));

        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(wav));
        QVERIFY(finished.wait(20000));
        window->LiveText().Settle();
        const QString shown = live->Text();
        // Read faster than real time: the clock is the time into the
        // recording. The receiver reads the samples: the tones it found and
        // followed, and the quality.
        const QRegularExpression header(QStringLiteral(
            "^00:00:0[0-9] \u00b7 50 Bd \u00b7 1(49[5-9]|50[0-4])(\\.[0-9])?/(199[5-9]|200[0-4])(\\.[0-9])? Hz \u00b7 "
            "Baudot \u00b7 quality [01]\\.[0-9][0-9]\n"));
        QVERIFY2(header.match(shown).hasMatch(), qPrintable(shown));
        QVERIFY2(shown.contains(QString::fromStdString(text)), qPrintable(shown));

        // Read a noisier recording (-6 dB, where hard decisions lose whole
        // words) from the level stream with the tones the other way round,
        // deciding soft: the stream starts over, and so does the text, on a
        // new line under a header naming the new tones (mark is now tone 2:
        // the alignment finds that too).
        const std::string noisy = m_dir.filePath(QStringLiteral("noisy.wav")).toStdString();
        morvane::RttySynthSettings synth;
        synth.idleSeconds = 1.0;
        synth.snrDb = -6.0;
        morvane::WriteWav16Mono(noisy, morvane::SynthesizeRtty(text, synth));
        Child<QComboBox>(live, "reader")->setCurrentIndex(1);
        Child<QCheckBox>(live, "softDecision")->setChecked(true);
        Type(Child<QLineEdit>(window.get(), "lowEdit"), QStringLiteral("2000"));
        Type(Child<QLineEdit>(window.get(), "highEdit"), QStringLiteral("1500"));
        QSignalSpy again(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(noisy));
        QVERIFY(again.wait(20000));
        window->LiveText().Settle();
        const QString both = live->Text();
        const qsizetype second = both.indexOf(QStringLiteral("2000/1500 Hz"));
        QVERIFY2(second > shown.size() - 1, qPrintable(both));
        QVERIFY2(both.indexOf(QString::fromStdString(text), second) > second, qPrintable(both));
        QCOMPARE(both.count(QStringLiteral(" Hz \u00b7 Baudot")), 2);
    }

    // A recording read with the fields' tones (1500/2000) far from its own:
    // one Align sets both of its tones at once, reads it again with them and
    // aligns on it, naming it; Bits extract then decodes the text. Made by
    // our synthesiser (2125/2295 Hz) and by minimodem (50 Bd, 450 Hz shift,
    // 8 kHz, mark low).
    void alignUsesTheTonesOfTheRecordingRead_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        morvane::RttySynthSettings synth;
        synth.markHz = 2125;
        synth.spaceHz = 2295;
        synth.idleSeconds = 1.0;
        synth.snrDb = 10.0;
        const std::string wav = m_dir.filePath(QStringLiteral("rtty2125.wav")).toStdString();
        morvane::WriteWav16Mono(wav, morvane::SynthesizeRtty(kFoxText, synth));
        QTest::newRow("synth 2125/2295") << QString::fromStdString(wav) << 2125 << 2295;
        QTest::newRow("minimodem 1753/2201 8 kHz")
            << QStringLiteral(MORVANE_TEST_DATA "/minimodem-baudot50-450-8k.wav") << 1753 << 2201;
    }
    void alignUsesTheTonesOfTheRecordingRead() {
        QFETCH(QString, path);
        QFETCH(int, low);
        QFETCH(int, high);
        auto window = Make();
        QTRY_COMPARE(window->StatusText(), kHint);
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(path);
        QVERIFY(finished.wait(20000));
        QSignalSpy tones(&window->Parameters(), &CParameterPanel::tonesEdited);
        Action(window.get(), "alignAction")->trigger();
        // Both tones in one step.
        QCOMPARE(tones.count(), 1);
        const int lowSet = Child<QLineEdit>(window.get(), "lowEdit")->text().toInt();
        const int highSet = Child<QLineEdit>(window.get(), "highEdit")->text().toInt();
        QVERIFY2(std::abs(lowSet - low) <= 3 && std::abs(highSet - high) <= 3,
                 qPrintable(QStringLiteral("%1 / %2").arg(lowSet).arg(highSet)));
        QCOMPARE(window->Loop().Settings().tone1Hz, float(lowSet));
        QCOMPARE(window->Loop().Settings().tone2Hz, float(highSet));
        // Read again with them, then aligned on it.
        const QString name = QFileInfo(path).fileName();
        QTRY_VERIFY_WITH_TIMEOUT(window->StatusText().startsWith(QStringLiteral("Aligned on ") + name), 20000);
        QVERIFY2(window->StatusText().startsWith(QStringLiteral("Aligned on ") + name) &&
                     window->StatusText().endsWith(
                         QStringLiteral("; Tones set to %1 / %2 Hz from %3, read again").arg(lowSet).arg(highSet).arg(name)),
                 qPrintable(window->StatusText()));
        QVERIFY(!window->Loop().Reading());
        QCOMPARE(window->Stream().levels, CommandLineLevels(path.toStdString(), float(lowSet), float(highSet)));
        const std::optional<QString> extracted = ExtractedText(window.get());
        QVERIFY(extracted);
        QVERIFY2(extracted->contains(QString::fromLatin1(kFoxText)), qPrintable(*extracted));
        // A second Align keeps the tones and reads nothing again.
        Action(window.get(), "alignAction")->trigger();
        QVERIFY(!window->Loop().Reading());
        QCOMPARE(tones.count(), 1);
        QVERIFY2(window->StatusText().startsWith(QStringLiteral("Aligned on ") + name), qPrintable(window->StatusText()));
    }

    // A recording deep in noise (-6 dB): the hard reading of the aligned
    // raster is mostly '?', the soft one reads the text, so Align leaves
    // "Soft decision" ticked for Bits extract and says so. On a clean one it
    // is left off.
    void alignChoosesTheReadingThatFrames() {
        morvane::RttySynthSettings synth;
        synth.idleSeconds = 1.0;
        synth.snrDb = -6.0;
        synth.seed = 3;
        const std::string noisy = m_dir.filePath(QStringLiteral("deep.wav")).toStdString();
        morvane::WriteWav16Mono(noisy, morvane::SynthesizeRtty(kFoxText, synth));
        auto window = Make();
        QSignalSpy finished(window.get(), &CMorvaneDlg::readingFinished);
        window->OpenRecording(QString::fromStdString(noisy));
        QVERIFY(finished.wait(20000));
        Action(window.get(), "alignAction")->trigger();
        QVERIFY2(window->StatusText().startsWith(QStringLiteral("Aligned on deep.wav: ")) &&
                     window->StatusText().endsWith(QStringLiteral(", soft decision")),
                 qPrintable(window->StatusText()));
        QCOMPARE(m_store->ReadInt("Data", "SoftDecision", 0), 1);
        std::optional<QString> extracted = ExtractedText(window.get());
        QVERIFY(extracted);
        QVERIFY2(extracted->contains(QStringLiteral("QUICK BROWN FOX")), qPrintable(*extracted));

        synth.snrDb = 20.0;
        const std::string clean = m_dir.filePath(QStringLiteral("clean.wav")).toStdString();
        morvane::WriteWav16Mono(clean, morvane::SynthesizeRtty(kFoxText, synth));
        window->OpenRecording(QString::fromStdString(clean));
        QVERIFY(finished.wait(20000));
        Action(window.get(), "alignAction")->trigger();
        QVERIFY2(!window->StatusText().contains(QStringLiteral("soft")), qPrintable(window->StatusText()));
        QCOMPARE(m_store->ReadInt("Data", "SoftDecision", 1), 0);
        extracted = ExtractedText(window.get());
        QVERIFY(extracted);
        QVERIFY2(extracted->contains(QString::fromLatin1(kFoxText)), qPrintable(*extracted));
    }

    // "Receive pane" (Ctrl+R, off at first) shows the live text's running
    // text on the right: the window grows by the pane, every other control
    // stays where it was; hidden again the window is as before. The choice
    // is kept, and the window comes back with the pane and its size.
    void receivePaneShowsTheLiveTextBeside() {
        auto window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QAction* pane = Action(window.get(), "receivePaneAction");
        QVERIFY(pane->isCheckable() && !pane->isChecked());
        QCOMPARE(pane->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        QVERIFY(window->findChild<QPlainTextEdit*>(QStringLiteral("receivePane")) == nullptr);
        const QSize before = window->size();
        const int resultsWidth = Child<QWidget>(window.get(), "results")->width();
        std::vector<std::pair<QString, QRect>> places;
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            places.emplace_back(child->objectName(), child->geometry());
        pane->trigger();
        QVERIFY(window->ReceivePaneShown());
        QCOMPARE(window->size(), before + QSize(CMorvaneDlg::kPaneWidth, 0));
        for (const auto& [name, place] : places)
            if (!name.isEmpty()) QVERIFY2(Child<QWidget>(window.get(), qPrintable(name))->geometry() == place, qPrintable(name));
        auto* shown = Child<QPlainTextEdit>(window.get(), "receivePane");
        QVERIFY(shown->isVisible());
        QVERIFY(shown->geometry().left() >= Child<QWidget>(window.get(), "results")->geometry().right());
        QVERIFY(window->rect().contains(shown->geometry()));
        // The live text's text, line ends and headers as there.
        CLiveTextDlg* live = window->LiveText().Window();
        QVERIFY(live && !live->isVisible());
        live->BeginTransmission(QStringLiteral("14:02:11 \u00b7 50 Bd \u00b7 1500/2000 Hz \u00b7 Baudot"));
        live->AppendText(QStringLiteral("RYRY\r\n\r\n CQ"));
        QCOMPARE(shown->toPlainText(), QStringLiteral("14:02:11 \u00b7 50 Bd \u00b7 1500/2000 Hz \u00b7 Baudot\nRYRY\nCQ"));
        // Resizing keeps it on the right, the raster stretching beside it.
        window->resize(window->width() + 100, window->height() + 50);
        QCOMPARE(shown->geometry().right(), window->width() - 1 - Child<QWidget>(window.get(), "panoramic")->x());
        QCOMPARE(Child<QWidget>(window.get(), "results")->width(), resultsWidth + 100);
        pane->trigger();
        QVERIFY(!shown->isVisible());
        QCOMPARE(window->size(), before + QSize(100, 50));
        pane->trigger();
        const QSize withPane = window->frameGeometry().size();
        live->Clear();  // nothing to ask about at the end
        Restart(window);
        window = Make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->ReceivePaneShown());
        QVERIFY(Action(window.get(), "receivePaneAction")->isChecked());
        QCOMPARE(window->frameGeometry().size(), withPane);
    }

    // Ctrl+L aligns the levels captured so far: Count, Offset, Slant, Width
    // and the Bits extract options are filled, and the text decodes.
    void alignFillsTheFieldsFromTheCapture() {
        const std::string text = "RYRY CQ DE MORVANE THE QUICK BROWN FOX 73";
        const std::string wav = m_dir.filePath(QStringLiteral("align.wav")).toStdString();
        morvane::RttySynthSettings synth;
        synth.baud = 75;
        synth.stopBits = 1;
        synth.markHz = 2000;  // mark is the high tone: bits read inverted
        synth.spaceHz = 1500;
        synth.idleSeconds = 2.0;  // the recording plays from Start on; capture starts a little later
        morvane::WriteWav16Mono(wav, morvane::SynthesizeRtty(text, synth));

        auto window = Make({{"--input", wav, "--fast"}, wav, true, {}, false});
        QSignalSpy ended(window.get(), &CMorvaneDlg::inputEnded);
        // "Align" stands in the window's context menu with Ctrl+L.
        QAction* align = nullptr;
        for (QAction* action : window->actions())
            if (action->text() == QStringLiteral("A&lign")) align = action;
        QVERIFY(align != nullptr);
        QCOMPARE(align->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        QCOMPARE(window->contextMenuPolicy(), Qt::ActionsContextMenu);

        // The recording is read from its first sample with capture on; once it
        // has been read, Align looks at what was captured.
        QTRY_VERIFY_WITH_TIMEOUT(ended.count() > 0, 20000);
        QTRY_VERIFY(!window->Loop().Reading());
        align->trigger();
        // "Aligned on align.wav: 75.01 Bd, 1 stop bits, mark high, confidence 1.00, ...": four
        // seconds of keying measure the rate to a few hundredths of a baud.
        const QString status = window->StatusText();
        QVERIFY2(status.startsWith(QStringLiteral("Aligned on align.wav: ")) &&
                     status.contains(QStringLiteral(" Bd, 1 stop bits, mark high")),
                 qPrintable(status));
        QVERIFY2(std::fabs(status.section(QLatin1Char(' '), 3, 3).toDouble() - 75.0) < 0.1, qPrintable(status));
        QCOMPARE(Child<QLineEdit>(window.get(), "countEdit")->text(), QStringLiteral("56"));
        QCOMPARE(Child<QLineEdit>(window.get(), "widthEdit")->text(), QStringLiteral("16"));
        QCOMPARE(window->Params().count, 56);
        QCOMPARE(window->Params().gridWidth, 16);
        QCOMPARE(m_store->ReadInt("Data", "ReverseBits", 0), 1);
        QCOMPARE(m_store->ReadInt("Data", "ReverseDirection", 0), 1);

        const std::optional<QString> extracted = ExtractedText(window.get());
        QVERIFY(extracted);
        const QString& decoded = *extracted;
        QVERIFY2(decoded.startsWith(QString::fromStdString(text)), qPrintable(decoded));
        QCOMPARE(window->Params().offset, Child<QLineEdit>(window.get(), "offsetEdit")->text().toInt());

        // "Time-true raster" in the context menu shows (and extracts) the rows
        // placed on the sound's time line; off again, the plain raster.
        QAction* timeTrue = window->findChild<QAction*>(QStringLiteral("timeTrueAction"));
        QVERIFY(timeTrue != nullptr && timeTrue->isCheckable() && !timeTrue->isChecked());
        QVERIFY(window->actions().contains(timeTrue));
        timeTrue->trigger();
        morvane::RasterParams params = window->Params();
        const std::vector<std::int32_t> rows =
            morvane::TimeTrueRows(window->Stream().levels, window->Stream().timeline, params);
        QCOMPARE(window->Results()->Levels(), rows);
        QCOMPARE(window->Results()->Params().offset, 0);
        QCOMPARE(window->Params().offset, Child<QLineEdit>(window.get(), "offsetEdit")->text().toInt());
        timeTrue->trigger();
        QCOMPARE(&window->Results()->Levels(), &window->Stream().levels);
        QCOMPARE(&window->Results()->Params(), &window->Params());
    }
};

QTEST_MAIN(MorvaneDlgTest)
#include "MorvaneDlgTest.moc"
