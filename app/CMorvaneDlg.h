#pragma once
#include <QDialog>
#include <QIcon>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "app/CAnchorLayout.h"

namespace morvane {
class ProcessingLoop;
class SoundSystem;
}  // namespace morvane

class CNumSpinCtrl;
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
        std::string commandLine;  // the whole command line; "/s0" … "/s5" choose the card
        std::string inputPath;    // a recording played in place of the card, or empty
        bool fast = false;        // play that recording as fast as the window keeps up
        bool help = false;        // only print the usage
    };

    CMorvaneDlg(CSettingsStore& settings, std::unique_ptr<morvane::SoundSystem> system, Launch launch,
                QWidget* parent = nullptr);
    ~CMorvaneDlg() override;

    // The parameter fields: exactly what the edits hold.
    QString m_countText = QStringLiteral("64");
    QString m_offsetText = QStringLiteral("0");
    QString m_slantText = QStringLiteral("0");
    QString m_lowText = QStringLiteral("1500");
    QString m_highText = QStringLiteral("2000");
    bool m_nextPickHigh = false;
    QString m_widthText = QStringLiteral("24");
    QString m_shiftText = QStringLiteral("0");
    std::int32_t m_showGrid = 1;

    /// Moves every control's value into its field.
    void ReadControls();
    /// Moves every field into its control (a control already showing its
    /// field's text is left alone and raises no change).
    void WriteFields();
    /// Reads the controls and converts the five raster texts into the results view.
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
    /// A frequency picked in the waterfall (Hz): low and high tone in turn.
    void OnTonePicked(int hz);

    CResultsView* Results() const { return m_results; }
    CPanoramicView* Panoramic() const { return m_panoramic; }
    const morvane::ProcessingLoop& Loop() const { return *m_loop; }
    bool Recording() const;
    QString StatusText() const;
    /// The window's outer width when it was laid out: the narrowest it can be dragged.
    std::int32_t MinWidth() const { return m_minWidth; }

    static constexpr std::int32_t kMinHeight = 400;

signals:
    /// A recording played in place of the card has delivered its last block.
    void inputEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ReadSettings();
    void WriteSettings();
    void CreateControls();
    void ConnectControls();
    void Initialise();
    void RestorePlacement();
    void ApplyMinimumSize();
    void SetStatus(const QString& text);
    void ShowStatus();
    void UpdateDfLabel();
    void UpdateSpeedLabel();
    void OnLowChanged();
    void OnHighChanged();
    template <typename Method>
    void Post(Method method);

    CSettingsStore& m_store;
    Launch m_launch;
    QIcon m_icon;
    std::unique_ptr<morvane::ProcessingLoop> m_loop;
    std::int32_t m_minWidth = 0;
    CAnchorLayout m_layout;

    QLineEdit* m_countEdit = nullptr;   // 1004
    QLineEdit* m_offsetEdit = nullptr;  // 1005
    QLineEdit* m_widthEdit = nullptr;   // 1009
    QLineEdit* m_slantEdit = nullptr;   // 1011
    QLineEdit* m_lowEdit = nullptr;     // 1013
    QLineEdit* m_highEdit = nullptr;    // 1015
    QLineEdit* m_shiftEdit = nullptr;   // 1017
    CUpDown* m_countSpin = nullptr;     // 1007
    CUpDown* m_widthSpin = nullptr;     // 1010
    CUpDown* m_offsetSpin = nullptr;    // 1008
    CUpDown* m_shiftSpin = nullptr;     // 1018
    CNumSpinCtrl* m_slantSpin = nullptr;  // 1012
    CPanoramicView* m_panoramic = nullptr;  // 1019
    CResultsView* m_results = nullptr;      // 1025
    CUpDown* m_lowSpin = nullptr;       // 1014
    CUpDown* m_highSpin = nullptr;      // 1016
    QCheckBox* m_showGridCheck = nullptr;  // 1027
    QPushButton* m_contrastButton = nullptr;  // 1028
    QLabel* m_statusLabel = nullptr;    // 1039
    QLabel* m_dfLabel = nullptr;        // 1022
    QLabel* m_speedLabel = nullptr;     // 1023
    bool m_shownOnce = false;
    QString m_statusText = QStringLiteral("Ready");
    int m_templateClientWidth = 0;
    QSize m_restoredSize;  // outer size read from the settings, or invalid
};
