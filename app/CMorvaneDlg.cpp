#include "app/CMorvaneDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <limits>

#include "align/AlignPolicy.h"
#include "align/ShownRaster.h"
#include "align/ToneFinder.h"
#include "app/CAboutDlg.h"
#include "app/CBitsExtractDlg.h"
#include "app/CLiveTextFeed.h"
#include "app/CSettingsStore.h"
#include "app/CTemplateLayout.h"
#include "app/CWindowPlacement.h"
#include "app/RasterPicture.h"
#include "dsp/SampleFormat.h"
#include "raster/FollowNewest.h"
#include "recording/RecordingFormats.h"
#include "widgets/AppIcon.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"

namespace {

const QString kData = QString::fromLatin1(CSettingsStore::kSectionData);

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

// A tone (Hz) as the waterfall's marker takes it: its whole number, within 32 bits.
std::int32_t MarkerHz(float hz) {
    return static_cast<std::int32_t>(std::clamp(static_cast<double>(hz),
                                                static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                                static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

}  // namespace

template <typename Method>
void CMorvaneDlg::Post(Method method) {
    QMetaObject::invokeMethod(this, method, Qt::QueuedConnection);
}

CMorvaneDlg::CMorvaneDlg(CSettingsStore& settings, std::unique_ptr<morvane::SoundSystem> system, Launch launch,
                         QWidget* parent)
    : QDialog(parent), m_store(settings), m_launch(std::move(launch)), m_icon(MorvaneIcon()) {
    m_toneFinder = std::make_unique<morvane::ToneFinder>();
    m_loop = std::make_unique<morvane::ProcessingLoop>(std::move(system), MakeHooks());
    m_liveText = std::make_unique<CLiveTextFeed>(m_store, m_loop->Stream(), this);
    m_panel = new CParameterPanel(m_store, m_loop->Settings().referenceBaud, this);

    CreateControls();
    ReadSettings();
    Initialise();
    ConnectControls();
}

CMorvaneDlg::~CMorvaneDlg() {
    m_loop->Stop();
    CWindowPlacement::Save(*this, m_store);
    WriteSettings();
}

morvane::ProcessingHooks CMorvaneDlg::MakeHooks() {
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
    hooks.tonesChanged = [this] { ShowTones(); };
    return hooks;
}

// ---------------------------------------------------------------- settings

void CMorvaneDlg::ReadSettings() {
    m_showGridCheck->setChecked(m_store.ReadInt(kData, QStringLiteral("ShowGrid"), 1) != 0);
    m_followNewest = m_store.ReadInt(kData, QStringLiteral("FollowNewest"), 0) != 0;
}

void CMorvaneDlg::WriteSettings() {
    m_panel->WriteSettings();
    m_store.WriteInt(kData, QStringLiteral("ShowGrid"), m_showGridCheck->isChecked() ? 1 : 0);
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
        layout.Add(new QLabel(text, this), x, y, w, h, true);
    };
    auto button = [&](const QString& text, const char* name, int x, int y, int w, int h) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        layout.Add(b, x, y, w, h);
        b->setAutoDefault(false);  // Enter in a field must not press a button.
        return b;
    };
    label(QStringLiteral("Sound input:"), 7, 7, 122, 8);
    m_panoramic = new CPanoramicView(this);
    m_panoramic->setObjectName(QStringLiteral("panoramic"));
    layout.Add(m_panoramic, 7, 17, 426, 29);
    label(QStringLiteral("Frequency"), 7, 52, 37, 9);
    label(QStringLiteral("Data blocks"), 7, 78, 39, 8);
    label(QStringLiteral("Bits grid"), 7, 106, 36, 9);
    m_panel->Create(this, layout);

    auto* exitButton = button(QStringLiteral("Exit"), "exit", 360, 121, 73, 16);
    auto* startButton = button(QStringLiteral("Start capture"), "startCapture", 7, 121, 72, 16);
    auto* stopButton = button(QStringLiteral("Stop capture"), "stopCapture", 87, 121, 72, 16);
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
        if (!Recording()) OnAbout();
    });
}

void CMorvaneDlg::RefreshRasterParams() { m_panel->ApplyRaster(m_params); }

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
    m_nextPickHigh = false;

    m_panel->Attach();
    m_panoramic->markerLowHz = m_panel->LowHz();
    m_panoramic->markerHighHz = m_panel->HighHz();
    m_panoramic->sampleRate = morvane::kSampleRate;
    m_panoramic->CreateSurface();

    m_params.showGrid = m_showGridCheck->isChecked() ? 1 : 0;
    RefreshRasterParams();
    m_results->SetRaster(&m_loop->Stream().levels, &m_params);
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
    QList<QWidget*> order = m_panel->TabOrder();
    for (const char* name : {"startCapture", "stopCapture", "extractBits", "about", "exit"})
        order << findChild<QPushButton*>(QString::fromLatin1(name));
    order << m_contrastButton << m_showGridCheck;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void CMorvaneDlg::ConnectControls() {
    connect(m_panel, &CParameterPanel::showRequested, this, [this] { Post(&CMorvaneDlg::OnShow); });
    connect(m_panel, &CParameterPanel::tonesEdited, this, &CMorvaneDlg::OnTonesEdited);
    connect(m_showGridCheck, &QCheckBox::clicked, this, &CMorvaneDlg::OnShowGrid);
    connect(m_contrastButton, &QPushButton::clicked, this, &CMorvaneDlg::OnContrast);
    connect(m_panoramic, &CPanoramicView::tonePicked, this, &CMorvaneDlg::OnTonePicked, Qt::QueuedConnection);
    connect(this, &CMorvaneDlg::inputEnded, this, [this] { FinishReading(false); });
}

// ---------------------------------------------------------------- tones

void CMorvaneDlg::OnTonesEdited() {
    // A typed tone is used at once, as a picked one is.
    m_loop->SetTones(static_cast<float>(m_panel->LowHz()), static_cast<float>(m_panel->HighHz()));
}

void CMorvaneDlg::ShowTones() {
    m_panoramic->markerLowHz = MarkerHz(m_loop->Settings().tone1Hz);
    m_panoramic->markerHighHz = MarkerHz(m_loop->Settings().tone2Hz);
    m_panoramic->RedrawMarkers();
    m_liveText->TonesChanged();
}

void CMorvaneDlg::OnTonePicked(int hz) {
    const Field field = m_nextPickHigh ? Field::High : Field::Low;
    const float tone2 = m_loop->Settings().tone2Hz, tone1 = m_loop->Settings().tone1Hz;
    m_loop->SetTones(m_nextPickHigh ? tone1 : static_cast<float>(hz), m_nextPickHigh ? static_cast<float>(hz) : tone2);
    m_panel->SetText(field, QString::number(hz));
    m_nextPickHigh = !m_nextPickHigh;
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
    const auto low = static_cast<float>(m_panel->LowHz());
    const auto high = static_cast<float>(m_panel->HighHz());
    if (!m_launch.inputPath.empty()) {
        // A recording in place of the card: read from its first block on.
        m_loop->SetTones(low, high);
        OpenRecording(FromStd(m_launch.inputPath),
                      m_launch.fast ? morvane::RecordingPace::AfterProcess : morvane::RecordingPace::RealTime);
        return;
    }
    try {
        SetStatus(FromStd(m_loop->Start(m_launch.commandLine, low, high)));
    } catch (const std::exception& e) {
        SetStatus(FromStd(e.what()));
    }
    if (!m_launch.openPath.empty()) OpenRecording(FromStd(m_launch.openPath));
}

void CMorvaneDlg::OnProcess() {
    try {
        m_loop->Process();
        if (m_loop->Recording()) m_liveText->Update(m_loop->RealTime());
        // Lost sound shifts every later character, so the status line says so.
        const QString lost = FromStd(m_loop->LossText());
        if (!lost.isEmpty() && lost != m_statusText) SetStatus(lost);
    } catch (const std::exception& e) {
        SetStatus(FromStd(e.what()));
    }
    UpdateActivity();
}

void CMorvaneDlg::OpenRecording(const QString& path, morvane::RecordingPace pace) {
    RefreshRasterParams();
    findChild<QAction*>(QStringLiteral("replayAction"))->setEnabled(true);
    std::string error;
    const bool reading = m_loop->ReadRecording(path.toStdString(), pace, error);
    m_frameClock.invalidate();
    m_results->Draw();
    if (!reading)
        SetStatus(QStringLiteral("Cannot open recording \"%1\": %2").arg(FromStd(m_loop->ReadingName()), FromStd(error)));
    UpdateActivity();
}

void CMorvaneDlg::OnOpenRecording() {
    QStringList patterns;
    for (const std::string& extension : morvane::RecordingExtensions())
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    const QString filter = QStringLiteral("Recordings (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
    const QString folder = LastRecording().isEmpty() ? QString() : QFileInfo(LastRecording()).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open recording"), folder, filter);
    if (!path.isEmpty()) OpenRecording(path);
}

void CMorvaneDlg::OnReplay() {
    if (!m_loop->LastRecording().empty()) OpenRecording(LastRecording(), morvane::RecordingPace::RealTime);
}

QString CMorvaneDlg::LastRecording() const { return FromStd(m_loop->LastRecording()); }

void CMorvaneDlg::FinishReading(bool stopped) {
    if (!m_loop->FinishReading()) return;
    m_liveText->Finish();
    SetStatus(FromStd(m_loop->ReadEndText(stopped)));
    UpdateActivity();
    OnShow();
    m_panoramic->RedrawMarkers();  // the rows added since the last frame
    emit readingFinished();
}

bool CMorvaneDlg::Reading() const { return m_loop->Reading(); }

bool CMorvaneDlg::FrameDue() const {
    return !m_loop->ReadingFast() || !m_frameClock.isValid() || m_frameClock.elapsed() >= kFrameMs;
}

void CMorvaneDlg::UpdateActivity() {
    m_activityText = FromStd(m_loop->ActivityText());
    ShowStatus();
}

const morvane::LevelStream& CMorvaneDlg::Stream() const { return m_loop->Stream(); }

void CMorvaneDlg::ShowLevels(std::vector<std::int32_t> levels) { m_loop->AdoptLevels(std::move(levels)); }

void CMorvaneDlg::SetFollowNewest(bool on) {
    m_followNewest = on;
    if (auto* action = findChild<QAction*>(QStringLiteral("followNewestAction")); action && action->isChecked() != on)
        action->setChecked(on);
    if (on && !Stream().levels.empty()) {
        RefreshRasterParams();
        ApplyFollowNewest();
        m_results->Draw();
    }
}

void CMorvaneDlg::ApplyFollowNewest() {
    if (!m_followNewest) return;
    const std::int32_t offset = morvane::FollowNewestOffset(static_cast<std::int64_t>(Stream().levels.size()),
                                                            m_params, m_results->ClientSize().height());
    if (offset == m_params.offset) return;
    // Offset's field shows the value in use, beyond its arrows' range too.
    m_params.offset = offset;
    m_panel->SetText(Field::Offset, QString::number(offset));
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
    if (!Stream().levels.empty()) RefreshRasterParams();
    return SaveRasterPicture(Stream().levels, m_params, m_results->ClientSize(), path, error);
}

void CMorvaneDlg::OnShow() {
    if (Stream().levels.empty()) return;
    RefreshRasterParams();
    DrawResults();
}

void CMorvaneDlg::OnStartCapture() {
    RefreshRasterParams();
    *m_toneFinder = morvane::ToneFinder();
    m_loop->StartCapture();
    UpdateActivity();
}

void CMorvaneDlg::OnStopCapture() {
    // A recording being read stops reading.
    if (m_loop->Reading()) {
        FinishReading(true);
        return;
    }
    if (m_loop->StopCapture()) {
        m_liveText->Finish();
        Post(&CMorvaneDlg::OnShow);
    }
    UpdateActivity();
}

void CMorvaneDlg::OnLiveText() { m_liveText->Show(); }

void CMorvaneDlg::OnPlay() { m_loop->Play(); }

void CMorvaneDlg::OnExtractBits() {
    if (Recording()) return;
    RefreshRasterParams();
    CBitsExtractDlg dialog(m_store, this);
    morvane::ShownBits bits = morvane::ExtractShownBits(Stream(), m_params, m_timeTrue);
    dialog.SetSourceBits(std::move(bits.hard), std::move(bits.soft));
    dialog.exec();
}

void CMorvaneDlg::DrawResults() {
    if (morvane::PrepareTimeTrue(Stream(), m_params, m_timeTrue, m_timeTrueModel))
        m_results->SetModel(&m_timeTrueModel);
    else
        m_results->SetRaster(&Stream().levels, &m_params);
    m_results->Draw();
}

void CMorvaneDlg::OnAlign() {
    // Tones first: levels demodulated against tones far from the sender's
    // cannot show its frames.
    const morvane::AlignOutcome found =
        morvane::AlignStream(Stream(), m_panel->LowHz(), m_panel->HighHz(), m_toneFinder->Find());
    if (found.lowHz) {
        // The fields' change hands the tones to the demodulator.
        m_panel->SetText(Field::Low, QString::number(*found.lowHz));
        m_panel->SetText(Field::High, QString::number(*found.highHz));
    }
    if (found.fields) {
        m_panel->SetText(Field::Count, FromStd(found.fields->count));
        m_panel->SetText(Field::Offset, FromStd(found.fields->offset));
        m_panel->SetText(Field::Slant, FromStd(found.fields->slant));
        m_panel->SetText(Field::Width, FromStd(found.fields->width));
        const morvane::FrameAlignment& a = found.frames;
        CBitsExtractDlg::StoreOptions(m_store, a.reverseBits, a.reverseDirection, a.ignore);
        CBitsExtractDlg::StoreCode(m_store, a.code);
        RefreshRasterParams();
        DrawResults();
    }
    SetStatus(FromStd(found.status));
}

void CMorvaneDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMorvaneDlg::OnShowGrid() {
    m_params.showGrid = m_showGridCheck->isChecked() ? 1 : 0;
    DrawResults();
}

void CMorvaneDlg::OnContrast() {
    m_params.contrastMode = (m_params.contrastMode + 1) % 3;
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
