#pragma once
#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QSize>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/CAnchorLayout.h"
#include "raster/RasterModel.h"
#include "recording/RecordingPace.h"

namespace morvane {
class ProcessingLoop;
class ToneFinder;
class SoundSystem;
}  // namespace morvane

class CLiveTextFeed;
class CPanoramicView;
class CResultsView;
class CSettingsStore;
class CUpDown;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

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

    /// The seven parameter fields, each an edit with a spin beside it.
    enum class Field { Low, High, Count, Offset, Slant, Width, Shift };
    static constexpr int kFieldCount = 7;

    /// A field's text, exactly as its edit held it when last read.
    const QString& Text(Field field) const { return m_fields[Index(field)].text; }
    /// Sets a field's text; WriteFields() puts it into the edit.
    void SetText(Field field, const QString& text) { m_fields[Index(field)].text = text; }

    std::int32_t m_showGrid = 1;
    bool m_nextPickHigh = false;

    /// Moves every control's value into its field.
    void ReadControls();
    /// Moves every field into its control (a control already showing its
    /// field's text is left alone and raises no change).
    void WriteFields();
    /// Reads the controls and converts the five raster texts into the raster model.
    void RefreshRasterParams();

    // Commands.
    void OnStart();
    void OnProcess();
    void OnShow();
    void OnStartCapture();
    void OnStopCapture();
    void OnPlay();
    void OnExtractBits();
    void OnAbout();
    void OnShowGrid();
    void OnContrast();
    /// "Align" (Ctrl+L, context menu): finds the tones in the spectrum of the
    /// capture so far and the frames in its levels, and fills Low, High,
    /// Count, Offset, Slant and Width and the Bits extract options; the status
    /// line says what it found or why it found nothing.
    void OnAlign();
    /// "Live text" (Ctrl+T, context menu): shows the window with the text
    /// read while capture runs.
    void OnLiveText();
    /// The live text and its window.
    CLiveTextFeed& LiveText() const { return *m_liveText; }
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
    bool Reading() const;
    /// The last recording opened (empty before any).
    const QString& LastRecording() const { return m_lastRecording; }

    /// "Save picture...": asks for a file and saves the raster there.
    void OnSavePicture();
    /// Writes the raster, as the results view shows it, as a PNG file.
    /// Returns false with the reason in `error`.
    bool SavePicture(const QString& path, QString& error);

    /// "Follow newest rows": while on, every redraw during a capture sets
    /// Offset so the view shows the last rows that fit.
    void SetFollowNewest(bool on);
    bool FollowNewest() const { return m_followNewest; }

    CResultsView* Results() const { return m_results; }
    /// The level stream and the raster parameters the results view shows.
    morvane::RasterModel& Model() { return m_model; }
    const morvane::RasterModel& Model() const { return m_model; }
    CPanoramicView* Panoramic() const { return m_panoramic; }
    const morvane::ProcessingLoop& Loop() const { return *m_loop; }
    bool Recording() const;
    QString StatusText() const;
    /// The window's outer width when it was laid out: the narrowest it can be dragged.
    std::int32_t MinWidth() const { return m_minWidth; }

    static constexpr std::int32_t kMinHeight = 400;

signals:
    /// A recording read in place of the card has delivered its last block.
    void inputEnded();
    /// A reading has ended (at the recording's end or stopped) and its levels are shown.
    void readingFinished();

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
    void CreateControls();
    void ConnectControls();
    void Initialise();
    void RestorePlacement();
    void ApplyMinimumSize();
    void SetStatus(const QString& text);
    /// The raster the view shows and extraction reads: the model itself, or
    /// with "Time-true raster" on, its rows placed on the sound's time line.
    const morvane::RasterModel& ShownModel();
    /// Draws the shown raster.
    void DrawResults();
    void ShowStatus();
    void BuildContextMenu();
    void SetTabOrder();
    void UpdateActivity();
    void ApplyFollowNewest();
    QString NextPickText() const;
    bool FrameDue() const;
    void UpdateDfLabel();
    void UpdateSpeedLabel();
    void OnLowChanged();
    void OnHighChanged();
    template <typename Method>
    void Post(Method method);

    /// A field's text and its controls.
    struct FieldState {
        QString text;
        QLineEdit* edit = nullptr;
        CUpDown* spin = nullptr;
    };
    static constexpr std::size_t Index(Field field) { return static_cast<std::size_t>(field); }
    QLineEdit* Edit(Field field) const { return m_fields[Index(field)].edit; }
    std::int32_t Long(Field field) const;

    CSettingsStore& m_store;
    Launch m_launch;
    QIcon m_icon;
    std::unique_ptr<morvane::ProcessingLoop> m_loop;
    std::unique_ptr<morvane::ToneFinder> m_toneFinder;  // the spectrum of the capture so far
    std::unique_ptr<CLiveTextFeed> m_liveText;
    std::int32_t m_minWidth = 0;
    CAnchorLayout m_layout;

    std::array<FieldState, kFieldCount> m_fields;
    morvane::RasterModel m_model;
    morvane::RasterModel m_timeTrueModel;  // rebuilt from m_model for every drawing while m_timeTrue
    bool m_timeTrue = false;               // context menu "Time-true raster"; off at every start
    CPanoramicView* m_panoramic = nullptr;
    CResultsView* m_results = nullptr;
    QCheckBox* m_showGridCheck = nullptr;
    QPushButton* m_contrastButton = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_dfLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
    bool m_shownOnce = false;
    QString m_statusText = QStringLiteral("Ready");
    QString m_activityText;   // "Reading ..." or "Capturing ...", shown over m_statusText
    QString m_hoverText;      // which tone a click sets, while the mouse is over the strip
    QString m_lastRecording;
    QString m_readingName;
    QElapsedTimer m_captureClock;
    QElapsedTimer m_frameClock;  // since the raster was last drawn while reading fast
    morvane::RecordingPace m_readingPace = morvane::RecordingPace::RealTime;
    static constexpr qint64 kFrameMs = 40;
    bool m_followNewest = false;
    int m_templateClientWidth = 0;
    QSize m_restoredSize;  // outer size read from the settings, or invalid
};
