#include "app/CMorvaneDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <exception>

#include "app/CAboutDlg.h"
#include "app/CBitsExtractDlg.h"
#include "app/CLiveTextDlg.h"
#include "app/CLiveTextFeed.h"
#include "app/CTuningWiring.h"
#include "app/CSettingsStore.h"
#include "app/CWindowMenu.h"
#include "app/CPlacementKeeper.h"
#include "app/CWindowPlacement.h"
#include "app/FileDialogs.h"
#include "dsp/SampleFormat.h"
#include "signallist/CSignalsFeed.h"
#include "widgets/AppIcon.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"

namespace {

const QString kData = QString::fromLatin1(CSettingsStore::kSectionData);

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

const QString kMenuHint = QStringLiteral(
    "Right-click for the menu: Open recording (Ctrl+O), Save picture (Ctrl+S), Align (Ctrl+L), Live text (Ctrl+T), ...");

}  // namespace

template <typename Method>
void CMorvaneDlg::Post(Method method) {
    QMetaObject::invokeMethod(this, method, Qt::QueuedConnection);
}

CMorvaneDlg::CMorvaneDlg(CSettingsStore& settings, std::unique_ptr<morvane::SoundSystem> system, Launch launch,
                         QWidget* parent)
    : QDialog(parent), m_store(settings), m_launch(std::move(launch)) {
    morvane::SoundSystem& cards = *system;
    m_loop = std::make_unique<morvane::ProcessingLoop>(std::move(system), MakeHooks());
    m_liveText = std::make_unique<CLiveTextFeed>(m_store, *m_loop, this);
    m_panel = new CParameterPanel(m_store, m_loop->Settings().referenceBaud, this);

    setWindowTitle(QStringLiteral("Morvane"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_controls = std::make_unique<CMainControls>(*this, *m_panel);
    m_panoramic = m_controls->panoramic;
    m_results = m_controls->results;
    m_status = std::make_unique<CStatusLine>(m_controls->status);
    m_raster = std::make_unique<CRasterDisplay>(m_loop->Stream(), *m_results, *m_panel);
    m_align = std::make_unique<CWindowAlign>(*m_loop, *m_panel, *m_raster, m_store, *m_status,
                                             [this](const QString& path) { OpenRecording(path); });
    m_pane = std::make_unique<CReceivePane>(*this, *m_controls, *m_liveText, m_store,
                                            [this](CTuningPanel& tuning, CTuningWaterfall& fall) { m_tuning->Made(tuning, fall); });
    m_tuning = std::make_unique<CTuningWiring>(*m_loop, cards, *m_panel, *m_pane, *m_liveText, m_launch.arguments,
                                               m_launch.inputPath.empty(), [this](const QString& text) { SetStatus(text); },
                                               [this](int hz) { OnTonePicked(hz); });
    // A signal chosen in "Signals": its tones into Low and High, then Align.
    m_signals = std::make_unique<CSignalsFeed>(*m_loop, *m_panoramic, this, [this](int low, int high) {
        m_panel->SetTones(low, high);
        m_align->Session().Ask();
    });
    m_signals->SetWindowMade([this](QWidget& window) {
        m_signalsPlace = std::make_unique<CPlacementKeeper>(window, m_store, QString::fromLatin1(kSignalsSection));
    });
    ReadSettings();
    Initialise();
    ConnectControls();
}

CMorvaneDlg::~CMorvaneDlg() {
    m_loop->Stop();
    CWindowPlacement::Save(*this, m_store);
    if (m_signalsPlace) m_signalsPlace->SaveIfShown();
    WriteSettings();
    m_pane.reset();  // it shows the live text's document
}

void CMorvaneDlg::PostForThisInput(void (CMorvaneDlg::*command)()) {
    // Called on the sound thread: only queue the command, never wait.
    const std::uint64_t generation = m_loop->Generation();
    QMetaObject::invokeMethod(
        this,
        [this, generation, command] {
            if (generation == m_loop->Generation()) (this->*command)();
        },
        Qt::QueuedConnection);
}

morvane::ProcessingHooks CMorvaneDlg::MakeHooks() {
    morvane::ProcessingHooks hooks;
    hooks.postProcess = [this] { PostForThisInput(&CMorvaneDlg::OnProcess); };
    // A recording read as fast as the machine allows delivers blocks far
    // faster than the eye follows: every block still adds its waterfall row
    // and its levels, but the screen is painted at most every kFrameMs.
    hooks.updateSpectrum = [this](const std::vector<std::int16_t>& block, std::int32_t byteCount) {
        // (A repaint asked of the window system would add a row of its own.)
        if (FrameDue())
            m_panoramic->UpdateSpectrum(block.data(), byteCount);
        else
            m_panoramic->AddSpectrumRow(block.data(), byteCount);
        if (m_tuning) m_tuning->BlockArrived(block, m_panoramic->spectrum.get(), m_panoramic->fftSize);
    };
    hooks.redrawResults = [this] { RedrawDuringCapture(); };
    hooks.inputEnded = [this] { PostForThisInput(&CMorvaneDlg::inputEnded); };
    hooks.tonesChanged = [this] { ShowTones(); };
    return hooks;
}

void CMorvaneDlg::ReadSettings() {
    m_controls->showGrid->setChecked(m_store.ReadInt(kData, QStringLiteral("ShowGrid"), 1) != 0);
    m_raster->SetFollowNewest(m_store.ReadInt(kData, QStringLiteral("FollowNewest"), 0) != 0);
    m_raster->SetContrast(m_store.ReadInt(kData, QStringLiteral("Contrast"), 0));
}

void CMorvaneDlg::WriteSettings() {
    m_panel->WriteSettings();
    m_pane->WriteSettings();
    m_store.WriteInt(kData, QStringLiteral("ShowGrid"), m_controls->showGrid->isChecked() ? 1 : 0);
    m_store.WriteInt(kData, QStringLiteral("FollowNewest"), m_raster->FollowNewest() ? 1 : 0);
    m_store.WriteInt(kData, QStringLiteral("Contrast"), m_raster->Contrast());
    m_store.WriteInt(kData, QStringLiteral("ReceivePane"), ReceivePaneShown() ? 1 : 0);
    m_store.WriteInt(kData, QStringLiteral("TuningWaterfall"), m_menu->tuningWaterfall->isChecked() ? 1 : 0);
    m_store.Flush();
}

void CMorvaneDlg::Initialise() {
    m_controls->LayOut(m_store);
    m_menu = std::make_unique<CWindowMenu>(*this, m_raster->FollowNewest());
    insertAction(m_menu->receivePane, m_signals->Action());
    if (m_store.ReadInt(kData, QStringLiteral("ReceivePane"), 0) != 0) SetReceivePane(true);
    m_menu->tuningWaterfall->setChecked(m_store.ReadInt(kData, QStringLiteral("TuningWaterfall"), 0) != 0);
    m_pane->SetWaterfallShown(m_menu->tuningWaterfall->isChecked());
    m_controls->SetTabOrder(*m_panel);
    setAcceptDrops(true);
    m_panoramic->installEventFilter(this);
    m_panoramic->setMouseTracking(true);
    // The raster, and the window wherever nothing else tells more, point to the menu the right button opens.
    m_results->setToolTip(kMenuHint);
    setToolTip(kMenuHint);
    setWindowIcon(MorvaneIcon());
    m_nextPickHigh = false;

    m_panel->Attach();
    m_panoramic->markerLowHz = m_panel->LowHz();
    m_panoramic->markerHighHz = m_panel->HighHz();
    m_panoramic->sampleRate = morvane::kSampleRate;
    m_panoramic->CreateSurface();

    m_raster->SetShowGrid(m_controls->showGrid->isChecked(), false);
    m_raster->TakeFields();
    Post(&CMorvaneDlg::OnStart);
}

void CMorvaneDlg::ConnectControls() {
    const CMainControls& c = *m_controls;
    connect(c.exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(c.startCapture, &QPushButton::clicked, this, &CMorvaneDlg::OnStartCapture);
    connect(c.stopCapture, &QPushButton::clicked, this, &CMorvaneDlg::OnStopCapture);
    connect(c.extractBits, &QPushButton::clicked, this, &CMorvaneDlg::OnExtractBits);
    connect(c.about, &QPushButton::clicked, this, [this] {
        if (!Recording()) OnAbout();
    });
    connect(c.showGrid, &QCheckBox::clicked, this, &CMorvaneDlg::OnShowGrid);
    connect(c.contrast, &QPushButton::clicked, this, &CMorvaneDlg::OnContrast);
    connect(m_panel, &CParameterPanel::showRequested, this, [this] { Post(&CMorvaneDlg::OnShow); });
    connect(m_panel, &CParameterPanel::tonesEdited, this, &CMorvaneDlg::OnTonesEdited);
    connect(m_results, &CResultsView::scrollRows, this, [this](int rows) { m_raster->ScrollRows(rows); });
    connect(m_panoramic, &CPanoramicView::tonePicked, this, &CMorvaneDlg::OnTonePicked, Qt::QueuedConnection);
    connect(this, &CMorvaneDlg::inputEnded, this, [this] { FinishReading(false); });

    const CWindowMenu& m = *m_menu;
    connect(m.openRecording, &QAction::triggered, this, &CMorvaneDlg::OnOpenRecording);
    connect(m.replay, &QAction::triggered, this, &CMorvaneDlg::OnReplay);
    connect(m.savePicture, &QAction::triggered, this, &CMorvaneDlg::OnSavePicture);
    connect(m.followNewest, &QAction::toggled, this, &CMorvaneDlg::SetFollowNewest);
    connect(m.align, &QAction::triggered, this, [this] { m_align->Session().Ask(); });
    connect(m.timeTrue, &QAction::toggled, this, [this](bool on) { m_raster->SetTimeTrue(on); });
    connect(m.liveText, &QAction::triggered, this, &CMorvaneDlg::OnLiveText);
    connect(m.receivePane, &QAction::toggled, this, &CMorvaneDlg::SetReceivePane);
    connect(m.tuningWaterfall, &QAction::toggled, this, [this](bool on) { m_pane->SetWaterfallShown(on); });
    connect(m.about, &QAction::triggered, this, &CMorvaneDlg::OnAbout);
}

void CMorvaneDlg::RedrawDuringCapture() {
    const bool due = FrameDue();
    m_raster->Update(due);
    if (due) m_frameClock.start();
}

void CMorvaneDlg::OnTonesEdited() {
    // A typed tone is used at once, as a picked one is.
    m_loop->SetTones(static_cast<float>(m_panel->LowHz()), static_cast<float>(m_panel->HighHz()));
}

void CMorvaneDlg::ShowTones() {
    m_panoramic->ShowTones(m_loop->Settings().tone1Hz, m_loop->Settings().tone2Hz);
    m_liveText->TonesChanged();
}

void CMorvaneDlg::OnTonePicked(int hz) {
    // With the receive pane a click may centre both tones on a signal.
    if (m_tuning->TonePicked(hz)) return m_panoramic->RedrawMarkers();
    const Field field = m_nextPickHigh ? Field::High : Field::Low;
    const float tone2 = m_loop->Settings().tone2Hz, tone1 = m_loop->Settings().tone1Hz;
    m_loop->SetTones(m_nextPickHigh ? tone1 : static_cast<float>(hz), m_nextPickHigh ? static_cast<float>(hz) : tone2);
    m_panel->SetText(field, QString::number(hz));
    m_nextPickHigh = !m_nextPickHigh;
    m_panoramic->RedrawMarkers();
    if (m_status->Hovering()) m_status->SetHover(NextPickText());
}

QString CMorvaneDlg::NextPickText() const {
    return m_nextPickHigh ? QStringLiteral("A click sets High:") : QStringLiteral("A click sets Low:");
}

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
        SetStatus(FromStd(m_loop->Start(m_launch.arguments, low, high)));
    } catch (const std::exception& e) {
        SetStatus(FromStd(e.what()));
    }
    if (!m_launch.openPath.empty()) OpenRecording(FromStd(m_launch.openPath));
}

void CMorvaneDlg::OnProcess() {
    try {
        m_loop->Process();
        if (m_loop->Recording()) m_liveText->Update(m_loop->RealTime());
        if (m_loop->Recording()) m_signals->Update(m_loop->RealTime());
        m_tuning->AfterProcess();
        // Lost sound shifts every later character, so the status line says so.
        const QString lost = FromStd(m_loop->LossText());
        if (!lost.isEmpty() && lost != m_status->Status()) SetStatus(lost);
    } catch (const std::exception& e) {
        SetStatus(FromStd(e.what()));
    }
    UpdateActivity();
}

void CMorvaneDlg::OpenRecording(const QString& path, morvane::RecordingPace pace) {
    m_raster->TakeFields();
    m_menu->replay->setEnabled(true);
    std::string error;
    const bool reading = m_loop->ReadRecording(path.toStdString(), pace, error);
    m_align->Session().RecordingOpened(reading ? path.toStdString() : std::string(), m_loop->ReadingName());
    m_frameClock.invalidate();
    m_results->Draw();
    if (!reading)
        SetStatus(QStringLiteral("Cannot open recording \"%1\": %2").arg(FromStd(m_loop->ReadingName()), FromStd(error)));
    UpdateActivity();
}

void CMorvaneDlg::OnOpenRecording() {
    const QString path = AskForRecording(this, LastRecording());
    if (!path.isEmpty()) OpenRecording(path);
}

void CMorvaneDlg::OnReplay() {
    if (!m_loop->LastRecording().empty()) OpenRecording(LastRecording(), morvane::RecordingPace::RealTime);
}

void CMorvaneDlg::FinishReading(bool stopped) {
    if (!m_loop->FinishReading()) return;
    m_liveText->Finish();
    m_signals->Finish();
    m_tuning->AfterProcess();  // no longer locked
    SetStatus(FromStd(m_loop->ReadEndText(stopped)));
    UpdateActivity();
    OnShow();
    m_panoramic->RedrawMarkers();  // the rows added since the last frame
    m_align->Session().ReadingFinished(stopped);
    emit readingFinished();
}

bool CMorvaneDlg::FrameDue() const {
    return !m_loop->ReadingFast() || !m_frameClock.isValid() || m_frameClock.elapsed() >= kFrameMs;
}

void CMorvaneDlg::UpdateActivity() {
    m_status->SetActivity(FromStd(m_loop->ActivityText()));
}

void CMorvaneDlg::SetFollowNewest(bool on) {
    if (m_menu->followNewest->isChecked() != on) m_menu->followNewest->setChecked(on);
    m_raster->SetFollowNewest(on);
}

void CMorvaneDlg::OnSavePicture() {
    const auto save = [this](const QString& path, QString& error) { return SavePicture(path, error); };
    const QString saved = AskAndSavePicture(this, save, m_results->ClientSize());
    if (!saved.isEmpty()) SetStatus(saved, true);
}

void CMorvaneDlg::OnStartCapture() {
    m_raster->TakeFields();
    m_loop->StartCapture();
    m_align->Session().CaptureStarted();
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
        m_signals->Finish();
        m_tuning->AfterProcess();
        Post(&CMorvaneDlg::OnShow);
    }
    UpdateActivity();
}

void CMorvaneDlg::SetReceivePane(bool on) {
    if (m_menu->receivePane->isChecked() != on) m_menu->receivePane->setChecked(on);
    m_pane->SetShown(on);
}

void CMorvaneDlg::OnLiveText() {
    m_liveText->Show();
    // The window's shortcuts (Ctrl+O, Ctrl+L, ...) work from the live text too.
    CLiveTextDlg* live = m_liveText->Window();
    for (QAction* action : actions())
        if (!action->isSeparator() && action != m_menu->about && !live->actions().contains(action)) live->addAction(action);
}

void CMorvaneDlg::OnExtractBits() {
    if (Recording()) return;
    m_raster->TakeFields();
    CBitsExtractDlg dialog(m_store, this);
    morvane::ShownBits bits = m_raster->Bits();
    dialog.SetSourceBits(std::move(bits.hard), std::move(bits.soft));
    dialog.exec();
}

void CMorvaneDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

bool CMorvaneDlg::eventFilter(QObject* watched, QEvent* event) {
    // While the mouse is over the strip, the status line tells which tone a click sets, and to what.
    if (watched == m_panoramic && (event->type() == QEvent::Enter || event->type() == QEvent::Leave))
        m_status->SetHover(event->type() == QEvent::Enter ? NextPickText() : QString());
    if (watched == m_panoramic && event->type() == QEvent::MouseMove) {
        const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x() - m_panoramic->contentsRect().left();
        m_status->SetHover(NextPickText() + QStringLiteral(" %1 Hz").arg(m_panoramic->FrequencyAt(x)));
    }
    return QDialog::eventFilter(watched, event);
}

void CMorvaneDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMorvaneDlg::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    OpenRecording(path);
}

void CMorvaneDlg::reject() {
    if (MayEndWithLiveText(this, m_liveText->Window())) QDialog::reject();
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

void CMorvaneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_controls && m_controls->Resized()) m_status->Refresh();
    m_pane->Place();
}

void CMorvaneDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_controls->Shown();
}
