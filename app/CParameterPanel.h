#pragma once
#include <QObject>
#include <QString>
#include <QList>
#include <array>
#include <cstddef>
#include <cstdint>

#include "raster/RasterParams.h"

namespace morvane {
struct AlignOutcome;
}

class CSettingsStore;
class CTemplateLayout;
class CUpDown;
class QLabel;
class QLineEdit;
class QWidget;

/// The main window's seven parameter fields (the tones Low and High, the
/// raster's Count, Offset and Slant, the grid's Width and Shift), each an
/// edit with a spin beside it, and the "dF" and "Speed" labels they drive.
/// The edits are placed in the window at their template positions.
///
/// The texts are stored in the "Data" section; each is converted once when
/// it changes (integers and the slant as the C library reads them, text
/// without a number giving 0). A change of a tone is announced at once; the
/// raster fields are taken by ApplyRaster() when the window redraws, and a
/// change that redraws at once (a spin step of Count or Offset, a change of
/// Slant, Width or Shift, Enter in a raster field) is announced.
class CParameterPanel : public QObject {
    Q_OBJECT
public:
    enum class Field { Low, High, Count, Offset, Slant, Width, Shift };
    static constexpr int kFieldCount = 7;

    /// Reads the stored texts (a text a digits-only field cannot hold reads
    /// as its default). referenceBaud: the speed twelve levels per bit stand for.
    CParameterPanel(CSettingsStore& store, float referenceBaud, QObject* parent = nullptr);

    /// Creates the labels, edits, spins and the two labels in `window`.
    void Create(QWidget* window, CTemplateLayout& layout);
    /// Attaches the spins to their edits with their ranges, sets the labels
    /// and connects the edits' and spins' changes (once the window is laid out).
    void Attach();
    /// Writes the seven texts into the store.
    void WriteSettings() const;

    /// A field's text as its edit holds it.
    QString Text(Field field) const;
    /// Puts a text into a field's edit (an edit already showing it raises no change).
    void SetText(Field field, const QString& text);
    /// Low and High as whole numbers (Hz).
    std::int32_t LowHz() const { return m_lowHz; }
    std::int32_t HighHz() const { return m_highHz; }
    /// Offset as converted from its field.
    std::int32_t RasterOffset() const { return m_raster.offset; }
    /// Sets count, offset, slant, gridWidth and gridShift from the fields.
    void ApplyRaster(morvane::RasterParams& params) const;
    /// Puts in what Align found: the tones, when it changes them (both at
    /// once, see SetTones), and Count, Offset, Slant and Width, when it found frames.
    void Fill(const morvane::AlignOutcome& found);
    /// Puts both tones into Low and High and announces them once, together
    /// (tonesEdited is not raised between the two).
    void SetTones(std::int32_t lowHz, std::int32_t highHz);
    /// Whether a field's text is not wholly a number (it is still used as the
    /// conversion reads it); such a field has a red frame and says in its
    /// tooltip what it is used as.
    bool NotANumber(Field field) const;
    /// The edits and spins, row by row, left to right.
    QList<QWidget*> TabOrder() const;

signals:
    /// Low or High changed (LowHz(), HighHz()).
    void tonesEdited();
    /// A raster field changed in a way that redraws at once.
    void showRequested();

private:
    struct FieldState {
        QString stored;  // the text read from the store, until the edit exists
        QLineEdit* edit = nullptr;
        CUpDown* spin = nullptr;
    };
    static constexpr std::size_t Index(Field field) { return static_cast<std::size_t>(field); }
    void Convert(Field field);
    static bool WhollyNumber(Field field, const QString& text);
    void MarkNotANumber(Field field, const QString& text);
    void UpdateDfLabel();
    void UpdateSpeedLabel();

    CSettingsStore& m_store;
    float m_referenceBaud;
    std::array<FieldState, kFieldCount> m_fields;
    morvane::RasterParams m_raster;  // the five raster fields, converted
    std::int32_t m_lowHz = 0, m_highHz = 0;
    bool m_holdTones = false;  // SetTones is putting in both tones
    QLabel* m_dfLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
};
