#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/CMainControls.h"
#include "app/CParameterPanel.h"
#include "app/CRasterDisplay.h"
#include "app/CReceivePane.h"
#include "app/CWindowAlign.h"
#include "app/CStatusLine.h"
#include "live/ProcessingLoop.h"
#include "recording/RecordingPace.h"

class CLiveTextFeed;
class CPanoramicView;
class CResultsView;
class CSettingsStore;
class CTuningPanel;
class CTuningWiring;
class CSignalsFeed;
class CPlacementKeeper;
struct CWindowMenu;

/// The main window "Morvane": the waterfall strip, the tone and raster
/// fields with their spins, the capture buttons, the results raster, and the
/// processing loop that feeds them from the sound input.
///
/// Its parameters are read from the settings store at construction and
/// written back at destruction, with the window's placement. Commands that
/// the program posts to itself (Start, Process, Show) run as queued calls on
/// the window's thread.
class CMorvaneDlg : public QDialog {
    Q_OBJECT
public:
    /// How the program was started.
    struct Launch {
        std::vector<std::string> arguments;  // the arguments after the program path; "/s0" … "/s5" choose the card
        std::string inputPath;    // a recording read in place of the card (no card opened), or empty
        bool fast = false;        // read that recording as fast as the window keeps up
        std::string openPath;     // a recording read once the card is open (a plain argument), or empty
        bool help = false;        // only print the usage
    };

    CMorvaneDlg(CSettingsStore& settings, std::unique_ptr<morvane::SoundSystem> system, Launch launch,
                QWidget* parent = nullptr);
    ~CMorvaneDlg() override;

    using Field = CParameterPanel::Field;
    /// The parameter fields, and a field's text as its edit holds it.
    CParameterPanel& Parameters() const { return *m_panel; }
    QString Text(Field field) const { return m_panel->Text(field); }
    /// Whether the next click in the waterfall sets High (else Low).
    bool NextPickHigh() const { return m_nextPickHigh; }

    /// Takes the raster fields into the raster parameters in use.
    void RefreshRasterParams() { m_raster->TakeFields(); }

    // Commands.
    void OnStart();
    void OnProcess();
    void OnShow() { m_raster->Show(); }
    void OnStartCapture();
    void OnStopCapture();
    void OnPlay() { m_loop->Play(); }
    void OnExtractBits();
    void OnAbout();
    void OnShowGrid() { m_raster->SetShowGrid(m_controls->showGrid->isChecked()); }
    void OnContrast() { m_raster->NextContrast(); }
    /// "Align" (Ctrl+L, context menu): finds the tones in the spectrum of the
    /// capture so far and the frames in its levels, and fills Low, High,
    /// Count, Offset, Slant and Width and the Bits extract options; the status
    /// line says what it found or why it found nothing.
    void OnAlign() { m_align->Session().Ask(); }
    /// "Live text" (Ctrl+T, context menu): shows the window with the text
    /// read while capture runs.
    void OnLiveText();
    /// The live text and its window.
    CLiveTextFeed& LiveText() const { return *m_liveText; }
    /// "Signals" (Ctrl+G, context menu): every signal in the sound, listed and marked on the waterfall.
    CSignalsFeed& Signals() const { return *m_signals; }
    /// "Receive pane" (Ctrl+R, context menu, kept between runs, off at
    /// first): the live text's running text in a pane on the right of the
    /// window, which grows by kPaneWidth for it; everything else stays where
    /// it is. Hidden, the window is as without it.
    void SetReceivePane(bool on);
    bool ReceivePaneShown() const { return m_controls->ReservedRight() > 0; }
    static constexpr int kPaneWidth = CReceivePane::kWidth;
    /// Where the "Signals" window's place and size are kept.
    static constexpr const char* kSignalsSection = "Windows\\Signals";
    /// A frequency picked in the waterfall (Hz): low and high tone in turn.
    void OnTonePicked(int hz);

    /// Reads a recording in place of the input in use, from its first sample
    /// with capture on from its first block (a live capture stops first):
    /// the same levels as the command line's for the same tones. The status
    /// line follows the reading; Stop capture or Esc end it early.
    void OpenRecording(const QString& path, morvane::RecordingPace pace = morvane::RecordingPace::AfterProcess);
    /// "Open recording...": asks for a file and reads it.
    void OnOpenRecording();
    /// "Replay at real time": reads the last recording again at its own pace.
    void OnReplay();
    /// Ends the reading of a recording; `stopped`: before its end.
    void FinishReading(bool stopped);
    /// Whether a recording is being read.
    bool Reading() const { return m_loop->Reading(); }
    /// The last recording opened (empty before any).
    QString LastRecording() const { return QString::fromStdString(m_loop->LastRecording()); }

    /// "Save picture...": asks for a file and saves the raster there.
    void OnSavePicture();
    /// Writes the raster, as the results view shows it, as a PNG file.
    /// Returns false with the reason in `error`.
    bool SavePicture(const QString& path, QString& error) { return m_raster->SavePicture(path, error); }

    /// "Follow newest rows": while on, every redraw during a capture sets
    /// Offset so the view shows the last rows that fit.
    void SetFollowNewest(bool on);
    bool FollowNewest() const { return m_raster->FollowNewest(); }

    CResultsView* Results() const { return m_results; }
    /// The level stream (the processing loop's) and the raster parameters in use.
    const morvane::LevelStream& Stream() const { return m_loop->Stream(); }
    const morvane::RasterParams& Params() const { return m_raster->Params(); }
    /// Shows `levels` in place of the stream, as if captured (levels made elsewhere).
    void ShowLevels(std::vector<std::int32_t> levels) { m_loop->AdoptLevels(std::move(levels)); }
    CPanoramicView* Panoramic() const { return m_panoramic; }
    const morvane::ProcessingLoop& Loop() const { return *m_loop; }
    bool Recording() const { return m_loop->Recording(); }
    QString StatusText() const { return m_status->Text(); }
    /// The window's outer width when it was laid out: the narrowest it can be dragged.
    std::int32_t MinWidth() const { return m_controls->MinWidth(); }

    static constexpr std::int32_t kMinHeight = CMainControls::kMinHeight;

signals:
    /// A recording read in place of the card has delivered its last block.
    void inputEnded();
    /// A reading has ended (at the recording's end or stopped) and its levels are shown.
    void readingFinished();

public slots:
    /// Exit, Esc and the close box: asks first when the live text holds text
    /// not saved (Save, Discard, Cancel); otherwise ends at once.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReadSettings();
    void WriteSettings();
    morvane::ProcessingHooks MakeHooks();
    /// Queues `command` on the window's thread; dropped when it arrives after
    /// the input was replaced (a recording opened in the meantime).
    void PostForThisInput(void (CMorvaneDlg::*command)());
    void ConnectControls();
    void Initialise();
    /// `notice`: shown over the input's activity for some seconds (Align's outcome).
    void SetStatus(const QString& text, bool notice = false) { m_status->SetStatus(text, notice); }
    void RedrawDuringCapture();
    void UpdateActivity();
    QString NextPickText() const;
    bool FrameDue() const;
    void OnTonesEdited();
    void ShowTones();
    template <typename Method>
    void Post(Method method);

    CSettingsStore& m_store;
    Launch m_launch;
    std::unique_ptr<morvane::ProcessingLoop> m_loop;
    std::unique_ptr<CLiveTextFeed> m_liveText;
    CParameterPanel* m_panel = nullptr;  // a child object
    std::unique_ptr<CMainControls> m_controls;
    std::unique_ptr<CWindowMenu> m_menu;
    std::unique_ptr<CStatusLine> m_status;
    std::unique_ptr<CRasterDisplay> m_raster;
    std::unique_ptr<CWindowAlign> m_align;
    std::unique_ptr<CReceivePane> m_pane;
    std::unique_ptr<CTuningWiring> m_tuning;
    std::unique_ptr<CSignalsFeed> m_signals;
    std::unique_ptr<CPlacementKeeper> m_signalsPlace;  // once the Signals window is made
    CPanoramicView* m_panoramic = nullptr;  // m_controls' views
    CResultsView* m_results = nullptr;

    bool m_nextPickHigh = false;
    QElapsedTimer m_frameClock;  // since the raster was last drawn while reading fast
    static constexpr qint64 kFrameMs = 40;
};
