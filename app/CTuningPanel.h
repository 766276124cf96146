#pragma once
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tuning/ToneCentring.h"
#include "tuning/TuningScope.h"

class CSettingsStore;
class CTuningScope;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;

namespace morvane {
struct LevelStream;
}

/// The receive column's tuning controls: the mark/space scope with the
/// state (locked, signal, no signal), the S/N, the tones' level and the
/// card's input level; "AFC" (the tones follow the signal found);
/// "Click:" (a click in the waterfall sets Low and High in turn, or centres
/// both tones on the click for a standard shift or the shift found);
/// "Reverse" (swaps the tones at once and for every centring click);
/// "Squelch" with its level in dB (the receiver lets text through only
/// from frames whose tones stand that far over the noise; off, it prints
/// whatever it frames); "Card:" (the sound input by name); and "Menu", the
/// window's menu. AFC, the click's shift, Reverse and the squelch are kept
/// between runs. The figures are prepared after each block; painting
/// only draws them.
class CTuningPanel : public QWidget {
    Q_OBJECT
public:
    CTuningPanel(CSettingsStore& store, QWidget* parent);
    void WriteSettings();

    /// After a block: the picture of the stream's last windows, `locked`
    /// when the live text holds a transmission.
    void Update(const morvane::LevelStream& stream, bool locked);
    /// The newest block's peak as the card gave it (0 … 32 768).
    void SetInputPeak(std::int32_t peak);

    /// The tones a click at `hz` sets when "Click:" centres (none: Low and
    /// High in turn). `foundShiftHz`: the shift of the tones found in the
    /// capture, or 0 (then the shift of the tones in use, `currentShiftHz`).
    std::optional<morvane::TonePair> Centred(std::int32_t hz, std::int32_t foundShiftHz,
                                             std::int32_t currentShiftHz) const;
    bool Afc() const;
    bool Reversed() const;
    /// The squelch's level (dB), or none while "Squelch" is off.
    std::optional<double> Squelch() const;
    /// The squelch as stored (the receiver's own level at first): read
    /// before the panel exists too.
    static std::optional<double> StoredSquelch(const CSettingsStore& store);
    static constexpr int kSquelchMinDb = 0, kSquelchMaxDb = 30;
    /// "Menu": the window's menu (its context menu) on a button.
    void SetMenuActions(const QList<QAction*>& actions);
    /// The sound inputs to offer (names, the default input first) and the one in use.
    void SetCards(const std::vector<std::string>& names, int current);

    const morvane::TuningPicture& Picture() const { return m_picture; }
    QString FiguresText() const;

    /// Shift entries of "Click:": 0 sets Low and High in turn, -1 the shift found.
    static constexpr std::int32_t kInTurn = 0, kFoundShift = -1;

signals:
    void reverseToggled(bool on);
    /// A card was chosen: its index among the names given (0: the default input).
    void cardChosen(int index);
    /// "Squelch" or its level changed.
    void squelchChanged();

private:
    void ShowFigures();

    CSettingsStore& m_store;
    CTuningScope* m_scope;
    QLabel* m_figures;
    QCheckBox* m_afc;
    QCheckBox* m_reverse;
    QCheckBox* m_squelch;
    class QSpinBox* m_squelchDb;
    QComboBox* m_shift;
    QComboBox* m_card;
    class QToolButton* m_menu;
    morvane::TuningPicture m_picture;
    morvane::ToneResponse m_response;
    float m_responseTone1 = -1.0F, m_responseTone2 = -1.0F;  // the tones m_response was measured for
    std::int32_t m_inputPeak = -1;                            // none yet
};
