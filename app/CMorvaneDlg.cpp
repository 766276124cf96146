#include "app/CMorvaneDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QMimeData>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <QRegularExpression>
#include <QUrl>
#include <cstdlib>
#include <exception>

#include "app/CDigitsOnlyFilter.h"
#include "app/CLiveTextFeed.h"
#include "app/CSettingsStore.h"
#include "app/CTemplateLayout.h"
#include "app/CWindowPlacement.h"
#include "dsp/SampleFormat.h"
#include "raster/BitExtraction.h"
#include "align/FrameFinder.h"
#include "align/ToneFinder.h"
#include "align/TimeTrueRaster.h"
#include "raster/FollowNewest.h"
#include "raster/RasterImage.h"
#include "recording/RecordingFormats.h"
#include "text/TextNumbers.h"
#include "capture/CaptureFormat.h"
#include "capture/SoundLoss.h"
#include "live/ProcessingLoop.h"
#include "app/CBitsExtractDlg.h"
#include "raster/SoftBitExtraction.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"
#include "widgets/AppIcon.h"
#include "app/CAboutDlg.h"
#include "widgets/CNumSpinCtrl.h"
#include "widgets/CUpDown.h"

namespace {

using Field = CMorvaneDlg::Field;

const QString kData = QString::fromLatin1(CSettingsStore::kSectionData);

std::int32_t ToLong(const QString& text) { return morvane::TextToLong(text.toStdString()); }

/// Where a field stands in the window (dialog units), how it is stored, its
/// spin's range and what its text sets in the raster parameters.
struct FieldSpec {
    Field field;
    const char* name;         // object names: name + "Edit", name + "Spin"
    const char* label;
    int labelX, labelY, labelW, labelH;
    int editX, editY;         // the edit is 38 × 13
    int spinX, spinY;         // the spin is 11 × 16
    const char* settingsKey;  // in the "Data" section
    const char* defaultText;
    double low, high;         // the spin's range
    double step;              // 0: an integer up-down; else the numeric spin's step
    bool digitsOnly;          // the edit takes digits only
    void (*apply)(morvane::RasterParams&, const QString&);  // null: not a raster field
    bool showOnEdit;          // a change of text redraws the raster
    bool showOnSpin;          // a spin step redraws the raster
};

constexpr FieldSpec kFieldSpecs[] = {
    {Field::Low, "low", "Low:", 63, 53, 20, 9, 94, 52, 134, 50, "Freq1", "1500", 1, 9999, 0, false, nullptr, false, false},
    {Field::High, "high", "High:", 155, 53, 19, 9, 182, 52, 222, 50, "Freq2", "2000", 1, 9999, 0, false, nullptr, false, false},
    {Field::Count, "count", "Count:", 63, 78, 24, 9, 94, 77, 134, 75, "DCount", "64", 1, 1024, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.count = ToLong(t); }, false, true},
    {Field::Offset, "offset", "Offset:", 155, 78, 23, 9, 182, 77, 222, 75, "DOffset", "0", 0, 1024, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.offset = ToLong(t); }, false, true},
    {Field::Slant, "slant", "Slant:", 242, 78, 18, 9, 264, 77, 304, 75, "DSlant", "0", -1.0, 1.0, 0.05, false,
     [](morvane::RasterParams& p, const QString& t) { p.slant = static_cast<float>(morvane::TextToDouble(t.toStdString())); },
     true, false},
    {Field::Width, "width", "Width:", 63, 105, 25, 10, 94, 103, 134, 102, "Grid", "24", 1, 1024, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.gridWidth = ToLong(t); }, true, false},
    {Field::Shift, "shift", "Shift:", 155, 105, 18, 9, 182, 103, 222, 102, "GridShift", "0", -10, 10, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.gridShift = ToLong(t); }, true, false},
};
static_assert(std::size(kFieldSpecs) == CMorvaneDlg::kFieldCount);

// Whether a stored text is one a field's edit can hold: a digits-only field
// takes digits, with a minus sign in front as its spin writes it.
bool FieldCanHold(const FieldSpec& spec, const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]*$"));
    return !spec.digitsOnly || digits.match(text).hasMatch();
}

// A duration of `samples` at 48 kHz as "mm:ss", or "h:mm:ss" from an hour on.
QString Duration(std::int64_t samples) {
    const std::int64_t seconds = std::max<std::int64_t>(0, samples) / morvane::kSampleRate;
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = seconds / 60 % 60;
    const std::int64_t sec = seconds % 60;
    if (h > 0) return QString::asprintf("%lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                                        static_cast<long long>(sec));
    return QString::asprintf("%02lld:%02lld", static_cast<long long>(m), static_cast<long long>(sec));
}

// 25200 as "25 200".
QString GroupDigits(std::int64_t value) {
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > (value < 0 ? 1 : 0); i -= 3) digits.insert(i, QLatin1Char(' '));
    return digits;
}

// Sets an edit's text only when it differs, so an unchanged field raises no change.
void ShowText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text)
        edit->setText(text);
}

}  // namespace

template <typename Method>
void CMorvaneDlg::Post(Method method) {
    QMetaObject::invokeMethod(this, method, Qt::QueuedConnection);
}

CMorvaneDlg::CMorvaneDlg(CSettingsStore& settings, std::unique_ptr<morvane::SoundSystem> system, Launch launch,
                         QWidget* parent)
    : QDialog(parent), m_store(settings), m_launch(std::move(launch)),
      m_icon(MorvaneIcon()) {
    for (const FieldSpec& spec : kFieldSpecs) SetText(spec.field, QString::fromLatin1(spec.defaultText));
    ReadSettings();

    morvane::ProcessingHooks hooks;
    // Called on the sound thread: only queue the command, never wait. A
    // command posted by an input closed since (a recording opened in the
    // meantime) is dropped when it arrives.
    hooks.postProcess = [this] {
        const std::uint64_t generation = m_loop->Generation();
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == m_loop->Generation()) OnProcess();
            },
            Qt::QueuedConnection);
    };
    // A recording read as fast as the machine allows delivers blocks far
    // faster than the eye follows: every block still adds its waterfall row
    // and its levels, but the screen is painted at most every kFrameMs.
    hooks.updateSpectrum = [this](const std::vector<std::int16_t>& block, std::int32_t byteCount) {
        // (A repaint asked of the window system would add a row of its own.)
        if (FrameDue())
            m_panoramic->UpdateSpectrum(block.data(), byteCount);
        else
            m_panoramic->AddSpectrumRow(block.data(), byteCount);
        if (m_loop->Recording())
            m_toneFinder->Add(block.data(), std::min(block.size(), static_cast<std::size_t>(byteCount / 2)));
    };
    hooks.redrawResults = [this] {
        RefreshRasterParams();
        ApplyFollowNewest();
        if (FrameDue()) {
            DrawResults();
            m_frameClock.start();
        }
    };
    // The end of a recording replaced since (another one opened) is dropped too.
    hooks.inputEnded = [this] {
        const std::uint64_t generation = m_loop->Generation();
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == m_loop->Generation()) emit inputEnded();
            },
            Qt::QueuedConnection);
    };
    m_toneFinder = std::make_unique<morvane::ToneFinder>();
    m_loop = std::make_unique<morvane::ProcessingLoop>(std::move(system), std::move(hooks));
    m_liveText = std::make_unique<CLiveTextFeed>(m_store, this);

    CreateControls();
    WriteFields();
    Initialise();
    ConnectControls();
}

CMorvaneDlg::~CMorvaneDlg() {
    m_loop->Stop();
    ReadControls();
    CWindowPlacement::Save(*this, m_store);
    WriteSettings();
}

// ---------------------------------------------------------------- settings

void CMorvaneDlg::ReadSettings() {
    for (const FieldSpec& spec : kFieldSpecs) {
        const QString text = m_store.ReadText(kData, QString::fromLatin1(spec.settingsKey), Text(spec.field));
        // A value the field cannot hold reads as the field's default.
        SetText(spec.field, FieldCanHold(spec, text) ? text : QString::fromLatin1(spec.defaultText));
    }
    m_showGrid = m_store.ReadInt(kData, QStringLiteral("ShowGrid"), m_showGrid) != 0 ? 1 : 0;
    m_followNewest = m_store.ReadInt(kData, QStringLiteral("FollowNewest"), 0) != 0;
}

void CMorvaneDlg::WriteSettings() {
    for (const FieldSpec& spec : kFieldSpecs)
        m_store.WriteText(kData, QString::fromLatin1(spec.settingsKey), Text(spec.field));
    m_store.WriteInt(kData, QStringLiteral("ShowGrid"), m_showGrid);
    m_store.WriteInt(kData, QStringLiteral("FollowNewest"), m_followNewest ? 1 : 0);
    m_store.Flush();
}

// ---------------------------------------------------------------- controls

void CMorvaneDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Morvane"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    CTemplateLayout layout(font());

    auto label = [&](const QString& text, int x, int y, int w, int h) {
        auto* l = new QLabel(text, this);
        layout.Add(l, x, y, w, h, true);
        return l;
    };
    auto edit = [&](const QString& name, int x, int y, int w, int h, bool digitsOnly) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        layout.Add(e, x, y, w, h);
        if (digitsOnly)
            e->installEventFilter(new CDigitsOnlyFilter(e));
        return e;
    };
    auto spin = [&](CUpDown* s, const QString& name, int x, int y, int w, int h) {
        s->setObjectName(name);
        layout.Add(s, x, y, w, h);
        return s;
    };
    auto button = [&](const QString& text, const char* name, int x, int y, int w, int h) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        layout.Add(b, x, y, w, h);
        // Enter in a field must not press a button.
        b->setAutoDefault(false);
        return b;
    };

    label(QStringLiteral("Sound input:"), 7, 7, 122, 8);
    m_panoramic = new CPanoramicView(this);
    m_panoramic->setObjectName(QStringLiteral("panoramic"));
    layout.Add(m_panoramic, 7, 17, 426, 29);

    label(QStringLiteral("Frequency"), 7, 52, 37, 9);
    label(QStringLiteral("Data blocks"), 7, 78, 39, 8);
    label(QStringLiteral("Bits grid"), 7, 106, 36, 9);
    for (const FieldSpec& spec : kFieldSpecs) {
        FieldState& state = m_fields[Index(spec.field)];
        const QString name = QString::fromLatin1(spec.name);
        label(QString::fromLatin1(spec.label), spec.labelX, spec.labelY, spec.labelW, spec.labelH);
        state.edit = edit(name + QStringLiteral("Edit"), spec.editX, spec.editY, 38, 13, spec.digitsOnly);
        state.spin = spin(spec.step > 0 ? new CNumSpinCtrl(this) : new CUpDown(this), name + QStringLiteral("Spin"),
                          spec.spinX, spec.spinY, 11, 16);
    }

    auto* exitButton = button(QStringLiteral("Exit"), "exit", 360, 121, 73, 16);
    auto* startButton = button(QStringLiteral("Start capture"), "startCapture", 7, 121, 72, 16);
    auto* stopButton = button(QStringLiteral("Stop capture"), "stopCapture", 87, 121, 72, 16);
    m_dfLabel = label(QStringLiteral("dF = "), 244, 53, 81, 11);
    m_dfLabel->setObjectName(QStringLiteral("dfLabel"));
    m_speedLabel = label(QStringLiteral("Speed = "), 244, 105, 81, 11);
    m_speedLabel->setObjectName(QStringLiteral("speedLabel"));

    m_results = new CResultsView(this);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->SetModel(&m_model);
    layout.Add(m_results, 7, 151, 426, 152);
    label(QStringLiteral("Graphics results:"), 7, 140, 96, 8);

    auto* extractButton = button(QStringLiteral("Extract bits"), "extractBits", 167, 121, 72, 16);
    m_showGridCheck = new QCheckBox(QStringLiteral("Show grid"), this);
    m_showGridCheck->setObjectName(QStringLiteral("showGrid"));
    layout.Add(m_showGridCheck, 71, 305, 63, 10, true);
    m_contrastButton = button(QStringLiteral("Contrast"), "contrast", 7, 306, 57, 9);
    auto* aboutButton = button(QStringLiteral("About"), "about", 282, 121, 72, 16);
    m_statusLabel = new QLabel(QStringLiteral("Ready"), this);
    m_statusLabel->setObjectName(QStringLiteral("status"));
    m_statusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout.Add(m_statusLabel, 168, 306, 265, 9);

    resize(layout.Apply(440, 322));

    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(startButton, &QPushButton::clicked, this, &CMorvaneDlg::OnStartCapture);
    connect(stopButton, &QPushButton::clicked, this, &CMorvaneDlg::OnStopCapture);
    connect(extractButton, &QPushButton::clicked, this, &CMorvaneDlg::OnExtractBits);
    connect(aboutButton, &QPushButton::clicked, this, [this] {
        if (!Recording())
            OnAbout();
    });
}

void CMorvaneDlg::ReadControls() {
    for (FieldState& state : m_fields) state.text = state.edit->text();
    m_showGrid = m_showGridCheck->isChecked() ? 1 : 0;
}

void CMorvaneDlg::WriteFields() {
    for (const FieldState& state : m_fields) ShowText(state.edit, state.text);
    m_showGridCheck->setChecked(m_showGrid != 0);
}

void CMorvaneDlg::RefreshRasterParams() {
    ReadControls();
    for (const FieldSpec& spec : kFieldSpecs)
        if (spec.apply) spec.apply(m_model.params, Text(spec.field));
}

std::int32_t CMorvaneDlg::Long(Field field) const { return ToLong(Text(field)); }

// ---------------------------------------------------------------- initialisation

void CMorvaneDlg::Initialise() {
    // Layout: the four controls that follow the window's size.
    m_layout.Capture(m_results, CAnchorLayout::Anchor::Stretch, size());
    m_layout.Capture(m_contrastButton, CAnchorLayout::Anchor::BottomLeft, size());
    m_layout.Capture(m_showGridCheck, CAnchorLayout::Anchor::BottomLeft, size());
    m_layout.Capture(m_statusLabel, CAnchorLayout::Anchor::BottomRight, size());
    m_layout.Apply(size());
    m_templateClientWidth = width();
    m_minWidth = frameGeometry().width();
    ApplyMinimumSize();
    RestorePlacement();
    setSizeGripEnabled(true);

    BuildContextMenu();
    SetTabOrder();
    setAcceptDrops(true);
    m_panoramic->installEventFilter(this);

    setWindowIcon(m_icon);

    ReadControls();
    m_nextPickHigh = false;

    // Attach the spins. A spin takes its position from its field but leaves the
    // text as it was typed or stored.
    for (const FieldSpec& spec : kFieldSpecs) {
        const FieldState& state = m_fields[Index(spec.field)];
        state.spin->SetBuddy(state.edit);
        if (spec.step > 0) {
            // The numeric spin positions itself from the edit's value.
            static_cast<CNumSpinCtrl*>(state.spin)->SetValueRange(spec.low, spec.high, spec.step);
            continue;
        }
        state.spin->SetRange32(static_cast<int>(spec.low), static_cast<int>(spec.high));
        state.spin->SetBuddyInt(false);
        state.spin->SetPos32(static_cast<std::int16_t>(ToLong(state.text) & 0xFFFF));
        state.spin->SetBuddyInt(true);
    }

    m_panoramic->markerLowHz = Long(Field::Low);
    m_panoramic->markerHighHz = Long(Field::High);
    m_panoramic->sampleRate = morvane::kSampleRate;
    m_panoramic->CreateSurface();

    m_model.params.showGrid = m_showGrid;

    UpdateDfLabel();
    RefreshRasterParams();
    UpdateSpeedLabel();

    Post(&CMorvaneDlg::OnStart);
}

void CMorvaneDlg::BuildContextMenu() {
    // The desktop has no system menu to extend: the window's own context menu
    // carries the About item and the additions, each with its shortcut.
    struct Entry {
        const char* text;  // null: a separator
        QKeySequence key;
        void (CMorvaneDlg::*command)();
        const char* name;  // object name of the action
    };
    const Entry entries[] = {
        {"&Open recording...", QKeySequence(Qt::CTRL | Qt::Key_O), &CMorvaneDlg::OnOpenRecording, "openRecording"},
        {"&Replay at real time", QKeySequence(), &CMorvaneDlg::OnReplay, "replay"},
        {"&Save picture...", QKeySequence(Qt::CTRL | Qt::Key_S), &CMorvaneDlg::OnSavePicture, "savePicture"},
        {nullptr, QKeySequence(), nullptr, nullptr},
        {"&Follow newest rows", QKeySequence(), nullptr, "followNewest"},
        {"A&lign", QKeySequence(Qt::CTRL | Qt::Key_L), &CMorvaneDlg::OnAlign, "align"},
        {"&Time-true raster", QKeySequence(), nullptr, "timeTrue"},
        {"Live te&xt", QKeySequence(Qt::CTRL | Qt::Key_T), &CMorvaneDlg::OnLiveText, "liveText"},
        {nullptr, QKeySequence(), nullptr, nullptr},
        {"&About Morvane...", QKeySequence(), &CMorvaneDlg::OnAbout, "about"},
    };
    for (const Entry& entry : entries) {
        auto* action = new QAction(this);
        if (!entry.text) {
            action->setSeparator(true);
            addAction(action);
            continue;
        }
        action->setText(QString::fromLatin1(entry.text));
        action->setObjectName(QString::fromLatin1(entry.name) + QStringLiteral("Action"));
        action->setShortcut(entry.key);
        if (entry.command) connect(action, &QAction::triggered, this, entry.command);
        addAction(action);
    }
    auto* follow = findChild<QAction*>(QStringLiteral("followNewestAction"));
    follow->setCheckable(true);
    follow->setChecked(m_followNewest);
    connect(follow, &QAction::toggled, this, &CMorvaneDlg::SetFollowNewest);
    auto* timeTrue = findChild<QAction*>(QStringLiteral("timeTrueAction"));
    timeTrue->setCheckable(true);
    connect(timeTrue, &QAction::toggled, this, [this](bool on) {
        m_timeTrue = on;
        DrawResults();
    });
    auto* replay = findChild<QAction*>(QStringLiteral("replayAction"));
    replay->setEnabled(false);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CMorvaneDlg::SetTabOrder() {
    // Row by row, left to right, as the controls stand.
    QList<QWidget*> order;
    for (Field field : {Field::Low, Field::High, Field::Count, Field::Offset, Field::Slant, Field::Width, Field::Shift})
        order << Edit(field) << m_fields[Index(field)].spin;
    for (const char* name : {"startCapture", "stopCapture", "extractBits", "about", "exit"})
        order << findChild<QPushButton*>(QString::fromLatin1(name));
    order << m_contrastButton << m_showGridCheck;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void CMorvaneDlg::ConnectControls() {
    for (const FieldSpec& spec : kFieldSpecs) {
        const FieldState& state = m_fields[Index(spec.field)];
        if (spec.showOnSpin)
            connect(state.spin, &CUpDown::deltaPos, this, [this](int, int, bool*) { Post(&CMorvaneDlg::OnShow); });
        if (spec.showOnEdit)
            connect(state.edit, &QLineEdit::textChanged, this, [this] { Post(&CMorvaneDlg::OnShow); });
        // Enter applies the raster field it was pressed in.
        if (spec.apply)
            connect(state.edit, &QLineEdit::returnPressed, this, [this] { Post(&CMorvaneDlg::OnShow); });
    }
    connect(Edit(Field::Width), &QLineEdit::textChanged, this, &CMorvaneDlg::UpdateSpeedLabel);
    connect(Edit(Field::Low), &QLineEdit::textChanged, this, &CMorvaneDlg::OnLowChanged);
    connect(Edit(Field::High), &QLineEdit::textChanged, this, &CMorvaneDlg::OnHighChanged);
    connect(m_showGridCheck, &QCheckBox::clicked, this, &CMorvaneDlg::OnShowGrid);
    connect(m_contrastButton, &QPushButton::clicked, this, &CMorvaneDlg::OnContrast);
    connect(m_panoramic, &CPanoramicView::tonePicked, this, &CMorvaneDlg::OnTonePicked, Qt::QueuedConnection);
    connect(this, &CMorvaneDlg::inputEnded, this, [this] { FinishReading(false); });
}

// ---------------------------------------------------------------- labels and tones

void CMorvaneDlg::UpdateDfLabel() {
    ReadControls();
    // Both tones are 32-bit; their distance is taken in 64 bits so extreme texts cannot overflow.
    const long long df = std::llabs(static_cast<long long>(Long(Field::High)) - Long(Field::Low));
    m_dfLabel->setText(QString::asprintf("dF = %lld", df));
}

void CMorvaneDlg::UpdateSpeedLabel() {
    ReadControls();
    const float speed =
        morvane::SpeedForCellWidth(m_loop->Settings().referenceBaud, static_cast<float>(Long(Field::Width)));
    // Qt's printf formats with '.' whatever the process's locale.
    m_speedLabel->setText(QString::asprintf("Speed = %.2f", static_cast<double>(speed)));
}

void CMorvaneDlg::OnLowChanged() {
    UpdateDfLabel();
    ReadControls();
    const std::int32_t hz = Long(Field::Low);
    m_panoramic->markerLowHz = hz;
    m_panoramic->RedrawMarkers();
    // A typed tone is used at once, as a picked one is.
    m_loop->SetTone1(static_cast<float>(hz));
}

void CMorvaneDlg::OnHighChanged() {
    UpdateDfLabel();
    ReadControls();
    const std::int32_t hz = Long(Field::High);
    m_panoramic->markerHighHz = hz;
    m_panoramic->RedrawMarkers();
    m_loop->SetTone2(static_cast<float>(hz));
}

void CMorvaneDlg::OnTonePicked(int hz) {
    if (!m_nextPickHigh) {
        m_loop->SetTone1(static_cast<float>(hz));
        m_panoramic->markerLowHz = hz;
        ReadControls();
        SetText(Field::Low, QString::number(hz));
        WriteFields();
        UpdateDfLabel();
        m_nextPickHigh = true;
    } else {
        m_loop->SetTone2(static_cast<float>(hz));
        m_panoramic->markerHighHz = hz;
        ReadControls();
        SetText(Field::High, QString::number(hz));
        WriteFields();
        UpdateDfLabel();
        m_nextPickHigh = false;
    }
    m_panoramic->RedrawMarkers();
    if (!m_hoverText.isEmpty()) {
        m_hoverText = NextPickText();
        ShowStatus();
    }
}

QString CMorvaneDlg::NextPickText() const {
    return m_nextPickHigh ? QStringLiteral("A click sets High:") : QStringLiteral("A click sets Low:");
}

// ---------------------------------------------------------------- commands

void CMorvaneDlg::OnStart() {
    ReadControls();
    if (!m_launch.inputPath.empty()) {
        // A recording in place of the card: read from its first block on.
        m_loop->SetTone1(static_cast<float>(Long(Field::Low)));
        m_loop->SetTone2(static_cast<float>(Long(Field::High)));
        OpenRecording(QString::fromStdString(m_launch.inputPath),
                      m_launch.fast ? morvane::RecordingPace::AfterProcess : morvane::RecordingPace::RealTime);
        return;
    }
    try {
        // The tones are the whole numbers the two texts start with.
        const std::string status = m_loop->Start(m_launch.arguments, static_cast<float>(Long(Field::Low)),
                                                 static_cast<float>(Long(Field::High)), m_model.levels);
        SetStatus(QString::fromStdString(status));
    } catch (const std::exception& e) {
        SetStatus(QString::fromStdString(e.what()));
    }
    if (!m_launch.openPath.empty()) OpenRecording(QString::fromStdString(m_launch.openPath));
}

void CMorvaneDlg::OnProcess() {
    try {
        m_loop->Process(m_model.levels);
        if (m_loop->Recording())
            m_liveText->Update(*m_loop, m_model.levels,
                               !m_loop->Reading() || m_readingPace == morvane::RecordingPace::RealTime);
        // Lost sound shifts every later character, so the status line says so.
        const QString lost = QString::fromStdString(morvane::SoundLossText(m_loop->Loss(), morvane::kDeviceBlockBytes / 2));
        if (!lost.isEmpty() && lost != m_statusText) SetStatus(lost);
    } catch (const std::exception& e) {
        SetStatus(QString::fromStdString(e.what()));
    }
    UpdateActivity();
}

void CMorvaneDlg::OpenRecording(const QString& path, morvane::RecordingPace pace) {
    RefreshRasterParams();
    m_lastRecording = path;
    m_readingName = QFileInfo(path).fileName();
    findChild<QAction*>(QStringLiteral("replayAction"))->setEnabled(true);
    std::string error;
    const bool reading = m_loop->ReadRecording(path.toStdString(), pace, m_model.levels, error);
    m_readingPace = pace;
    m_frameClock.invalidate();
    m_results->Draw();
    if (!reading) {
        SetStatus(QStringLiteral("Cannot open recording \"%1\": %2").arg(m_readingName, QString::fromStdString(error)));
        UpdateActivity();
        return;
    }
    m_captureClock.start();
    UpdateActivity();
}

void CMorvaneDlg::OnOpenRecording() {
    QStringList patterns;
    for (const std::string& extension : morvane::RecordingExtensions())
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    const QString filter = QStringLiteral("Recordings (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
    const QString folder = m_lastRecording.isEmpty() ? QString() : QFileInfo(m_lastRecording).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open recording"), folder, filter);
    if (!path.isEmpty()) OpenRecording(path);
}

void CMorvaneDlg::OnReplay() {
    if (!m_lastRecording.isEmpty()) OpenRecording(m_lastRecording, morvane::RecordingPace::RealTime);
}

void CMorvaneDlg::FinishReading(bool stopped) {
    if (!m_loop->Reading()) return;
    const morvane::RecordingProgress* progress = m_loop->Progress();
    const std::int64_t delivered = progress ? progress->delivered.load() : 0;
    m_loop->FinishReading();
    m_liveText->Finish(*m_loop, m_model.levels);
    SetStatus(QStringLiteral("%1: %2 read%3")
                  .arg(m_readingName, Duration(delivered), stopped ? QStringLiteral(" (stopped)") : QString()));
    UpdateActivity();
    OnShow();
    m_panoramic->RedrawMarkers();  // the rows added since the last frame
    emit readingFinished();
}

bool CMorvaneDlg::Reading() const { return m_loop->Reading(); }

bool CMorvaneDlg::FrameDue() const {
    return !m_loop->Reading() || m_readingPace != morvane::RecordingPace::AfterProcess || !m_frameClock.isValid() ||
           m_frameClock.elapsed() >= kFrameMs;
}

void CMorvaneDlg::UpdateActivity() {
    if (m_loop->Reading()) {
        const morvane::RecordingProgress* progress = m_loop->Progress();
        const std::int64_t delivered = progress->delivered.load();
        const std::int64_t expected = progress->expected.load();
        if (expected > 0)
            m_activityText = QStringLiteral("Reading %1: %2 %")
                                 .arg(m_readingName)
                                 .arg(std::min<std::int64_t>(100, delivered * 100 / expected));
        else
            m_activityText = QStringLiteral("Reading %1: %2").arg(m_readingName, Duration(delivered));
    } else if (Recording()) {
        // Lost sound shifts every later character: while it is counted, it is
        // what the status line says.
        const QString lost =
            QString::fromStdString(morvane::SoundLossText(m_loop->Loss(), morvane::kDeviceBlockBytes / 2));
        const std::int64_t seconds = m_captureClock.isValid() ? m_captureClock.elapsed() / 1000 : 0;
        m_activityText = !lost.isEmpty() ? lost
                                         : QStringLiteral("Capturing %1 \u00B7 %2 levels")
                                               .arg(Duration(seconds * morvane::kSampleRate),
                                                    GroupDigits(static_cast<std::int64_t>(m_model.levels.size())));
    } else {
        m_activityText.clear();
    }
    ShowStatus();
}

void CMorvaneDlg::SetFollowNewest(bool on) {
    m_followNewest = on;
    if (auto* action = findChild<QAction*>(QStringLiteral("followNewestAction")); action && action->isChecked() != on)
        action->setChecked(on);
    if (on && !m_model.levels.empty()) {
        RefreshRasterParams();
        ApplyFollowNewest();
        m_results->Draw();
    }
}

void CMorvaneDlg::ApplyFollowNewest() {
    if (!m_followNewest) return;
    const std::int32_t offset = morvane::FollowNewestOffset(static_cast<std::int64_t>(m_model.levels.size()),
                                                            m_model.params, m_results->ClientSize().height());
    if (offset == m_model.params.offset) return;
    // Offset's field shows the value in use, beyond its arrows' range too.
    m_model.params.offset = offset;
    SetText(Field::Offset, QString::number(offset));
    ShowText(Edit(Field::Offset), Text(Field::Offset));
}

void CMorvaneDlg::OnSavePicture() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save picture"),
                                                      QStringLiteral("raster.png"), QStringLiteral("PNG images (*.png)"));
    if (path.isEmpty()) return;
    QString error;
    if (!SavePicture(path, error))
        QMessageBox::warning(this, QStringLiteral("Warning"), QStringLiteral("Cannot save %1: %2").arg(path, error));
}

bool CMorvaneDlg::SavePicture(const QString& path, QString& error) {
    if (!m_model.levels.empty()) RefreshRasterParams();
    const QSize size = m_results->ClientSize();
    morvane::RgbImage image;
    try {
        image = morvane::RenderRaster(m_model.levels, m_model.params, std::max(0, size.width()),
                                      std::max(0, size.height()));
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    const QImage picture(image.rgb.data(), image.width, image.height, image.width * 3, QImage::Format_RGB888);
    QImageWriter writer(path, "png");
    if (!writer.write(picture)) {
        error = writer.errorString();
        return false;
    }
    return true;
}

void CMorvaneDlg::OnShow() {
    if (m_model.levels.empty())
        return;
    RefreshRasterParams();
    DrawResults();
}

void CMorvaneDlg::OnStartCapture() {
    RefreshRasterParams();
    *m_toneFinder = morvane::ToneFinder();
    m_loop->StartCapture(m_model.levels);
    m_captureClock.start();
    UpdateActivity();
}

void CMorvaneDlg::OnStopCapture() {
    // A recording being read stops reading.
    if (m_loop->Reading()) {
        FinishReading(true);
        return;
    }
    if (m_loop->StopCapture()) {
        m_liveText->Finish(*m_loop, m_model.levels);
        Post(&CMorvaneDlg::OnShow);
    }
    UpdateActivity();
}

void CMorvaneDlg::OnLiveText() { m_liveText->Show(); }

void CMorvaneDlg::OnPlay() { m_loop->Play(); }

void CMorvaneDlg::OnExtractBits() {
    if (Recording())
        return;
    RefreshRasterParams();
    CBitsExtractDlg dialog(m_store, this);
    const morvane::RasterModel& shown = ShownModel();
    dialog.m_sourceBits = morvane::ExtractBits(shown.levels, shown.params);
    // The soft reading of the same raster, from the energies kept beside the
    // levels (for the plain raster; the time-true rows have none).
    if (!m_timeTrue && m_loop->Soft().size() == m_model.levels.size())
        dialog.m_softSourceBits = morvane::ExtractSoftBits(m_loop->Soft(), m_model.params);
    dialog.exec();
}

const morvane::RasterModel& CMorvaneDlg::ShownModel() {
    if (!m_timeTrue) return m_model;
    m_timeTrueModel.params = m_model.params;
    m_timeTrueModel.levels = morvane::TimeTrueRows(m_model.levels, m_loop->Timeline(), m_timeTrueModel.params);
    return m_timeTrueModel;
}

void CMorvaneDlg::DrawResults() {
    m_results->SetModel(&ShownModel());
    m_results->Draw();
}

namespace {
// A tone found this close (Hz) to the field's tone leaves the field alone.
constexpr std::int32_t kToneTolerance = 20;
}  // namespace

void CMorvaneDlg::OnAlign() {
    ReadControls();
    // Tones first: levels demodulated against tones far from the sender's
    // cannot show its frames.
    QString tonesNote;
    const morvane::ToneEstimate tones = m_toneFinder->Find();
    if (tones.found) {
        const auto low = static_cast<std::int32_t>(std::lround(tones.lowHz));
        const auto high = static_cast<std::int32_t>(std::lround(tones.highHz));
        if (std::abs(low - Long(Field::Low)) > kToneTolerance || std::abs(high - Long(Field::High)) > kToneTolerance) {
            SetText(Field::Low, QString::number(low));
            SetText(Field::High, QString::number(high));
            WriteFields();  // the fields' change handlers hand the tones to the demodulator
            tonesNote = QStringLiteral("Tones set to %1 / %2 Hz").arg(low).arg(high);
        }
    }
    const morvane::FrameAlignment a = morvane::FindFrames(m_model.levels, m_loop->Timeline());
    if (!a.found) {
        SetStatus(tonesNote.isEmpty() ? QStringLiteral("Align: %1").arg(QString::fromStdString(a.reason))
                                      : tonesNote + QStringLiteral(": capture again, then Align"));
        return;
    }
    SetText(Field::Count, QString::number(a.raster.count));
    SetText(Field::Offset, QString::number(a.raster.offset));
    SetText(Field::Slant, QString::number(static_cast<double>(a.raster.slant), 'f', 4));
    SetText(Field::Width, QString::number(a.raster.gridWidth));
    WriteFields();
    CBitsExtractDlg::StoreOptions(m_store, a.reverseBits, a.reverseDirection, a.ignore);
    CBitsExtractDlg::StoreCode(m_store, a.code);
    RefreshRasterParams();
    UpdateSpeedLabel();
    DrawResults();
    QString found = QStringLiteral("Aligned: %1 baud, %2 stop bits, mark %3, confidence %4, code %5")
                        .arg(a.baud, 0, 'f', 2)
                        .arg(a.model.stopBits)
                        .arg(a.model.polarity > 0 ? QStringLiteral("low") : QStringLiteral("high"))
                        .arg(a.confidence, 0, 'f', 2)
                        .arg(QString::fromStdString(morvane::CodeSettingsName(a.code)));
    SetStatus(tonesNote.isEmpty() ? found : tonesNote + QStringLiteral("; ") + found);
}

void CMorvaneDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMorvaneDlg::OnShowGrid() {
    ReadControls();
    m_model.params.showGrid = m_showGrid;
    DrawResults();
}

void CMorvaneDlg::OnContrast() {
    m_model.params.contrastMode = (m_model.params.contrastMode + 1) % 3;
    DrawResults();
}

bool CMorvaneDlg::Recording() const { return m_loop->Recording(); }

QString CMorvaneDlg::StatusText() const {
    if (!m_hoverText.isEmpty()) return m_hoverText;
    return m_activityText.isEmpty() ? m_statusText : m_activityText;
}

void CMorvaneDlg::SetStatus(const QString& text) {
    m_statusText = text;
    ShowStatus();
}

void CMorvaneDlg::ShowStatus() {
    // A text too long for the label keeps its beginning; the whole text is the tooltip.
    const QString shown = StatusText();
    m_statusLabel->setToolTip(shown);
    m_statusLabel->setText(m_statusLabel->fontMetrics().elidedText(shown, Qt::ElideRight, m_statusLabel->width()));
}

bool CMorvaneDlg::eventFilter(QObject* watched, QEvent* event) {
    // While the mouse is over the strip, the status line tells which tone a click sets.
    if (watched == m_panoramic && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        m_hoverText = event->type() == QEvent::Enter ? NextPickText() : QString();
        ShowStatus();
    }
    return QDialog::eventFilter(watched, event);
}

void CMorvaneDlg::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) event->acceptProposedAction();
}

void CMorvaneDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    OpenRecording(urls.first().toLocalFile());
}

void CMorvaneDlg::keyPressEvent(QKeyEvent* event) {
    // Enter only applies the field it was pressed in (see ConnectControls);
    // it never ends the window. Esc still does, as Exit.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    // Esc while a recording is read ends the reading, not the window.
    if (event->key() == Qt::Key_Escape && m_loop->Reading()) {
        event->accept();
        FinishReading(true);
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- layout and placement

void CMorvaneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!m_layout.Empty()) {
        m_layout.Apply(size());
        ShowStatus();
    }
}

void CMorvaneDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // The desktop's frame is known only once the window is shown: the
        // outer sizes (minimum and restored) are converted again with it.
        m_minWidth = m_templateClientWidth + (frameGeometry().width() - width());
        ApplyMinimumSize();
        if (m_restoredSize.isValid())
            CWindowPlacement::ResizeOuter(*this, m_restoredSize);
    }
}

void CMorvaneDlg::ApplyMinimumSize() {
    // m_minWidth and kMinHeight are outer sizes; Qt limits the client area.
    const int frameHeight = frameGeometry().height() - height();
    setMinimumSize(m_templateClientWidth, std::max(0, kMinHeight - frameHeight));
}

void CMorvaneDlg::RestorePlacement() {
    const CWindowPlacement::Saved saved = CWindowPlacement::Read(m_store);
    if (saved.size) {
        m_restoredSize = *saved.size;
        CWindowPlacement::ResizeOuter(*this, m_restoredSize);
    }
    if (saved.position) CWindowPlacement::MoveOntoAScreen(*this, *saved.position);
}
