#include "app/CMorvaneDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <cstdlib>
#include <exception>

#include "app/CDigitsOnlyFilter.h"
#include "app/CSettingsStore.h"
#include "app/CTemplateLayout.h"
#include "app/CWindowPlacement.h"
#include "text/TextNumbers.h"
#include "capture/CaptureFormat.h"
#include "capture/SoundLoss.h"
#include "live/ProcessingLoop.h"
#include "app/CBitsExtractDlg.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"
#include "widgets/AppIcon.h"
#include "app/CAboutDlg.h"
#include "widgets/CNumSpinCtrl.h"
#include "widgets/CUpDown.h"

namespace {

const QString kData = QString::fromLatin1(CSettingsStore::kSectionData);

constexpr int kSampleRate = 48000;

std::int32_t ToLong(const QString& text) { return morvane::TextToLong(text.toStdString()); }

// Sets an edit's text only when it differs, so an unchanged field raises no change.
void SetText(QLineEdit* edit, const QString& text) {
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
    ReadSettings();

    morvane::ProcessingHooks hooks;
    // Called on the sound thread: only queue the command, never wait.
    hooks.postProcess = [this] { QMetaObject::invokeMethod(this, &CMorvaneDlg::OnProcess, Qt::QueuedConnection); };
    hooks.updateSpectrum = [this](const std::vector<std::int16_t>& block, std::int32_t byteCount) {
        m_panoramic->UpdateSpectrum(block.data(), byteCount);
    };
    hooks.redrawResults = [this] {
        RefreshRasterParams();
        m_results->Draw();
    };
    hooks.inputEnded = [this] { QMetaObject::invokeMethod(this, &CMorvaneDlg::inputEnded, Qt::QueuedConnection); };
    m_loop = std::make_unique<morvane::ProcessingLoop>(std::move(system), std::move(hooks));
    if (!m_launch.inputPath.empty()) {
        m_loop->UseRecording(m_launch.inputPath,
                             m_launch.fast ? morvane::RecordingPace::AfterProcess : morvane::RecordingPace::RealTime);
    }

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
    m_lowText = m_store.ReadText(kData, QStringLiteral("Freq1"), m_lowText);
    m_highText = m_store.ReadText(kData, QStringLiteral("Freq2"), m_highText);
    m_countText = m_store.ReadText(kData, QStringLiteral("DCount"), m_countText);
    m_offsetText = m_store.ReadText(kData, QStringLiteral("DOffset"), m_offsetText);
    m_slantText = m_store.ReadText(kData, QStringLiteral("DSlant"), m_slantText);
    m_widthText = m_store.ReadText(kData, QStringLiteral("Grid"), m_widthText);
    m_shiftText = m_store.ReadText(kData, QStringLiteral("GridShift"), m_shiftText);
    m_showGrid = m_store.ReadInt(kData, QStringLiteral("ShowGrid"), m_showGrid) != 0 ? 1 : 0;
}

void CMorvaneDlg::WriteSettings() {
    m_store.WriteText(kData, QStringLiteral("Freq1"), m_lowText);
    m_store.WriteText(kData, QStringLiteral("Freq2"), m_highText);
    m_store.WriteText(kData, QStringLiteral("DCount"), m_countText);
    m_store.WriteText(kData, QStringLiteral("DOffset"), m_offsetText);
    m_store.WriteText(kData, QStringLiteral("DSlant"), m_slantText);
    m_store.WriteText(kData, QStringLiteral("Grid"), m_widthText);
    m_store.WriteText(kData, QStringLiteral("GridShift"), m_shiftText);
    m_store.WriteInt(kData, QStringLiteral("ShowGrid"), m_showGrid);
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
    auto edit = [&](const char* name, int x, int y, int w, int h, bool digitsOnly) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        layout.Add(e, x, y, w, h);
        if (digitsOnly)
            e->installEventFilter(new CDigitsOnlyFilter(e));
        return e;
    };
    auto spin = [&](CUpDown* s, const char* name, int x, int y, int w, int h) {
        s->setObjectName(QString::fromLatin1(name));
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
    label(QStringLiteral("Low:"), 63, 53, 20, 9);
    m_lowEdit = edit("lowEdit", 94, 52, 38, 13, false);
    m_lowSpin = spin(new CUpDown(this), "lowSpin", 134, 50, 11, 16);
    label(QStringLiteral("High:"), 155, 53, 19, 9);
    m_highEdit = edit("highEdit", 182, 52, 38, 13, false);
    m_highSpin = spin(new CUpDown(this), "highSpin", 222, 50, 11, 16);

    label(QStringLiteral("Data blocks"), 7, 78, 39, 8);
    label(QStringLiteral("Count:"), 63, 78, 24, 9);
    m_countEdit = edit("countEdit", 94, 77, 38, 13, true);
    m_countSpin = spin(new CUpDown(this), "countSpin", 134, 75, 11, 16);
    label(QStringLiteral("Offset:"), 155, 78, 23, 9);
    m_offsetEdit = edit("offsetEdit", 182, 77, 38, 13, true);
    m_offsetSpin = spin(new CUpDown(this), "offsetSpin", 222, 75, 11, 16);
    label(QStringLiteral("Slant:"), 242, 78, 18, 9);
    m_slantEdit = edit("slantEdit", 264, 77, 38, 13, false);
    m_slantSpin = new CNumSpinCtrl(this);
    spin(m_slantSpin, "slantSpin", 304, 75, 11, 16);

    label(QStringLiteral("Bits grid"), 7, 106, 36, 9);
    label(QStringLiteral("Width:"), 63, 105, 25, 10);
    m_widthEdit = edit("widthEdit", 94, 103, 38, 13, true);
    m_widthSpin = spin(new CUpDown(this), "widthSpin", 134, 102, 11, 16);
    label(QStringLiteral("Shift:"), 155, 105, 18, 9);
    m_shiftEdit = edit("shiftEdit", 182, 103, 38, 13, true);
    m_shiftSpin = spin(new CUpDown(this), "shiftSpin", 222, 102, 11, 16);

    auto* exitButton = button(QStringLiteral("Exit"), "exit", 360, 121, 73, 16);
    auto* startButton = button(QStringLiteral("Start capture"), "startCapture", 7, 121, 72, 16);
    auto* stopButton = button(QStringLiteral("Stop capture"), "stopCapture", 87, 121, 72, 16);
    m_dfLabel = label(QStringLiteral("dF = "), 244, 53, 81, 11);
    m_dfLabel->setObjectName(QStringLiteral("dfLabel"));
    m_speedLabel = label(QStringLiteral("Speed = "), 244, 105, 81, 11);
    m_speedLabel->setObjectName(QStringLiteral("speedLabel"));

    m_results = new CResultsView(this);
    m_results->setObjectName(QStringLiteral("results"));
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
    m_countText = m_countEdit->text();
    m_offsetText = m_offsetEdit->text();
    m_widthText = m_widthEdit->text();
    m_slantText = m_slantEdit->text();
    m_lowText = m_lowEdit->text();
    m_highText = m_highEdit->text();
    m_shiftText = m_shiftEdit->text();
    m_showGrid = m_showGridCheck->isChecked() ? 1 : 0;
}

void CMorvaneDlg::WriteFields() {
    SetText(m_countEdit, m_countText);
    SetText(m_offsetEdit, m_offsetText);
    SetText(m_widthEdit, m_widthText);
    SetText(m_slantEdit, m_slantText);
    SetText(m_lowEdit, m_lowText);
    SetText(m_highEdit, m_highText);
    SetText(m_shiftEdit, m_shiftText);
    m_showGridCheck->setChecked(m_showGrid != 0);
}

void CMorvaneDlg::RefreshRasterParams() {
    ReadControls();
    m_results->count = ToLong(m_countText);
    m_results->offset = ToLong(m_offsetText);
    m_results->gridWidth = ToLong(m_widthText);
    m_results->gridShift = ToLong(m_shiftText);
    m_results->slant = static_cast<float>(morvane::TextToDouble(m_slantText.toStdString()));
}

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

    // The desktop has no system menu to extend: the window's own context menu carries the About item.
    auto* about = new QAction(QStringLiteral("&About Morvane..."), this);
    connect(about, &QAction::triggered, this, &CMorvaneDlg::OnAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setWindowIcon(m_icon);

    ReadControls();
    m_nextPickHigh = false;

    // Attach the spins. A spin takes its position from its field but leaves the
    // text as it was typed or stored.
    auto attach = [](CUpDown* spin, QLineEdit* buddy, int low, int high, const QString& text) {
        spin->SetBuddy(buddy);
        spin->SetRange32(low, high);
        spin->SetBuddyInt(false);
        spin->SetPos32(static_cast<std::int16_t>(ToLong(text) & 0xFFFF));
        spin->SetBuddyInt(true);
    };
    attach(m_countSpin, m_countEdit, 1, 1024, m_countText);
    attach(m_offsetSpin, m_offsetEdit, 0, 1024, m_offsetText);
    attach(m_widthSpin, m_widthEdit, 1, 1024, m_widthText);
    attach(m_shiftSpin, m_shiftEdit, -10, 10, m_shiftText);
    attach(m_lowSpin, m_lowEdit, 1, 9999, m_lowText);
    attach(m_highSpin, m_highEdit, 1, 9999, m_highText);
    m_slantSpin->SetBuddy(m_slantEdit);
    m_slantSpin->SetValueRange(-1.0, 1.0, 0.05);  // positions itself from the edit's value

    m_panoramic->markerLowHz = ToLong(m_lowText);
    m_panoramic->markerHighHz = ToLong(m_highText);
    m_panoramic->sampleRate = kSampleRate;
    m_panoramic->CreateSurface();

    m_results->showGrid = m_showGrid;

    UpdateDfLabel();
    RefreshRasterParams();
    UpdateSpeedLabel();

    Post(&CMorvaneDlg::OnStart);
}

void CMorvaneDlg::ConnectControls() {
    connect(m_countSpin, &CUpDown::deltaPos, this, [this](int, int, bool*) { Post(&CMorvaneDlg::OnShow); });
    connect(m_offsetSpin, &CUpDown::deltaPos, this, [this](int, int, bool*) { Post(&CMorvaneDlg::OnShow); });
    connect(m_widthEdit, &QLineEdit::textChanged, this, [this] {
        UpdateSpeedLabel();
        Post(&CMorvaneDlg::OnShow);
    });
    connect(m_slantEdit, &QLineEdit::textChanged, this, [this] { Post(&CMorvaneDlg::OnShow); });
    connect(m_shiftEdit, &QLineEdit::textChanged, this, [this] { Post(&CMorvaneDlg::OnShow); });
    connect(m_lowEdit, &QLineEdit::textChanged, this, &CMorvaneDlg::OnLowChanged);
    connect(m_highEdit, &QLineEdit::textChanged, this, &CMorvaneDlg::OnHighChanged);
    // Enter applies the field it was pressed in.
    for (QLineEdit* e : {m_countEdit, m_offsetEdit, m_widthEdit, m_slantEdit, m_shiftEdit})
        connect(e, &QLineEdit::returnPressed, this, [this] { Post(&CMorvaneDlg::OnShow); });
    connect(m_showGridCheck, &QCheckBox::clicked, this, &CMorvaneDlg::OnShowGrid);
    connect(m_contrastButton, &QPushButton::clicked, this, &CMorvaneDlg::OnContrast);
    connect(m_panoramic, &CPanoramicView::tonePicked, this, &CMorvaneDlg::OnTonePicked, Qt::QueuedConnection);
    connect(this, &CMorvaneDlg::inputEnded, this, [this] {
        const QString name = QFileInfo(QString::fromStdString(m_launch.inputPath)).fileName();
        SetStatus(QStringLiteral("Played \"%1\" to its end").arg(name));
    });
}

// ---------------------------------------------------------------- labels and tones

void CMorvaneDlg::UpdateDfLabel() {
    ReadControls();
    // Both tones are 32-bit; their distance is taken in 64 bits so extreme texts cannot overflow.
    const long long df = std::llabs(static_cast<long long>(ToLong(m_highText)) - ToLong(m_lowText));
    m_dfLabel->setText(QString::asprintf("dF = %lld", df));
}

void CMorvaneDlg::UpdateSpeedLabel() {
    ReadControls();
    const float w = static_cast<float>(ToLong(m_widthText));
    const float speed = m_loop->Settings().referenceBaud * 2.0f * 12.0f / w;
    // Qt's printf formats with '.' whatever the process's locale.
    m_speedLabel->setText(QString::asprintf("Speed = %.2f", static_cast<double>(speed)));
}

void CMorvaneDlg::OnLowChanged() {
    UpdateDfLabel();
    ReadControls();
    const std::int32_t hz = ToLong(m_lowText);
    m_panoramic->markerLowHz = hz;
    // A typed tone is used at once, as a picked one is.
    m_loop->SetTone1(static_cast<float>(hz));
}

void CMorvaneDlg::OnHighChanged() {
    UpdateDfLabel();
    ReadControls();
    const std::int32_t hz = ToLong(m_highText);
    m_panoramic->markerHighHz = hz;
    m_loop->SetTone2(static_cast<float>(hz));
}

void CMorvaneDlg::OnTonePicked(int hz) {
    if (!m_nextPickHigh) {
        m_loop->SetTone1(static_cast<float>(hz));
        m_panoramic->markerLowHz = hz;
        ReadControls();
        m_lowText = QString::number(hz);
        WriteFields();
        UpdateDfLabel();
        m_nextPickHigh = true;
    } else {
        m_loop->SetTone2(static_cast<float>(hz));
        m_panoramic->markerHighHz = hz;
        ReadControls();
        m_highText = QString::number(hz);
        WriteFields();
        UpdateDfLabel();
        m_nextPickHigh = false;
    }
}

// ---------------------------------------------------------------- commands

void CMorvaneDlg::OnStart() {
    ReadControls();
    try {
        const std::string status =
            m_loop->Start(m_launch.commandLine, m_lowText.toStdString(), m_highText.toStdString(), m_results->levels);
        SetStatus(QString::fromStdString(status));
    } catch (const std::exception& e) {
        SetStatus(QString::fromStdString(e.what()));
    }
}

void CMorvaneDlg::OnProcess() {
    try {
        m_loop->Process(m_results->levels);
        // Lost sound shifts every later character, so the status line says so.
        const QString lost = QString::fromStdString(morvane::SoundLossText(m_loop->Loss(), morvane::kDeviceBlockBytes / 2));
        if (!lost.isEmpty() && lost != m_statusText) SetStatus(lost);
    } catch (const std::exception& e) {
        SetStatus(QString::fromStdString(e.what()));
    }
}

void CMorvaneDlg::OnShow() {
    if (m_results->levels.empty())
        return;
    RefreshRasterParams();
    m_results->Draw();
}

void CMorvaneDlg::OnStartCapture() {
    RefreshRasterParams();
    m_loop->StartCapture(m_results->levels);
}

void CMorvaneDlg::OnStopCapture() {
    if (m_loop->StopCapture())
        Post(&CMorvaneDlg::OnShow);
}

void CMorvaneDlg::OnPlay() { m_loop->Play(); }

void CMorvaneDlg::OnExtractBits() {
    if (Recording())
        return;
    RefreshRasterParams();
    CBitsExtractDlg dialog(m_store, this);
    m_results->ExtractBits(dialog.m_sourceBits);
    dialog.exec();
}

void CMorvaneDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMorvaneDlg::OnShowGrid() {
    ReadControls();
    m_results->showGrid = m_showGrid;
    m_results->Draw();
}

void CMorvaneDlg::OnContrast() {
    m_results->contrastMode = (m_results->contrastMode + 1) % 3;
    m_results->Draw();
}

bool CMorvaneDlg::Recording() const { return m_loop->Recording(); }

QString CMorvaneDlg::StatusText() const { return m_statusText; }

void CMorvaneDlg::SetStatus(const QString& text) {
    m_statusText = text;
    m_statusLabel->setToolTip(text);
    ShowStatus();
}

void CMorvaneDlg::ShowStatus() {
    // A text too long for the label keeps its beginning; the whole text is the tooltip.
    m_statusLabel->setText(
        m_statusLabel->fontMetrics().elidedText(m_statusText, Qt::ElideRight, m_statusLabel->width()));
}

void CMorvaneDlg::keyPressEvent(QKeyEvent* event) {
    // Enter only applies the field it was pressed in (see ConnectControls);
    // it never ends the window. Esc still does, as Exit.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
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
