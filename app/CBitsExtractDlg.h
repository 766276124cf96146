#pragma once
#include <QDialog>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "app/CProportionalLayout.h"
#include "decode/TextCode.h"

class CSettingsStore;
class CUpDown;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

/// "Bits extract": shows the extracted bits after the chosen transformations
/// and their Baudot decoding, re-decoding on every change of "Reverse bits",
/// "Soft decision", "Reverse direction" and "Ignore bits:". "Check all
/// variations" writes the report of every variant beside the executable (or,
/// when that folder cannot be written, in the user's cache folder) and opens
/// it. The options are read from the store at construction and written back
/// when the dialog is destroyed, however it was closed.
class CBitsExtractDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBitsExtractDlg(CSettingsStore& settings, QWidget* parent = nullptr);
    ~CBitsExtractDlg() override;

    /// The bit string to examine (`bits`) and the same raster read by the
    /// soft decision (`softBits`: every cell decided from the tone energies),
    /// used instead while "Soft decision" is ticked. Set before the dialog is
    /// shown (or call Recompute after). The dialog never changes them.
    void SetSourceBits(std::string bits, std::string softBits = {}) {
        m_sourceBits = std::move(bits);
        m_softSourceBits = std::move(softBits);
    }

    /// Stores the three options where the next dialog reads them (the main
    /// window's Align sets them so).
    static void StoreOptions(CSettingsStore& settings, bool reverseBits, bool reverseDirection, std::int32_t ignore);
    /// Stores the "Encode as" entry of a code the frames showed, where the
    /// next dialog reads it: the ASCII entry of that layout; for Baudot frames
    /// "Baudot 5-bit code" unless a Baudot entry is chosen already.
    static void StoreCode(CSettingsStore& settings, const morvane::CodeSettings& found);
    /// Stores "Soft decision" where the next dialog reads it.
    static void StoreSoftDecision(CSettingsStore& settings, bool soft);

    /// Reads the controls, transforms the source bits and decodes them.
    void Recompute();
    /// The "Check all variations" command.
    void CheckAllVariations();
    /// "Copy text": the decoded text onto the clipboard.
    void CopyText();

    /// The working text (what the decoder reads, carriage returns included)
    /// and the decoded text.
    const std::string& BitsText() const { return m_bitsText; }
    const std::string& DecodedText() const { return m_decodedText; }
    /// The decoded text as its box shows it: one line break per line end sent.
    const QString& ShownText() const { return m_shownText; }
    /// The ignore count as the decoder takes it: the leading integer of the text.
    std::int32_t IgnoreCount() const;
    /// The bits the dialog works from: the soft reading's while "Soft decision" is ticked.
    const std::string& ActiveSourceBits() const { return m_softDecision != 0 ? m_softSourceBits : m_sourceBits; }

    /// Where "Check all variations" writes; by default results.html beside the executable.
    void SetReportPath(const std::filesystem::path& path) { m_reportPath = path; }
    const std::filesystem::path& ReportPath() const { return m_reportPath; }
    /// Where the report goes when ReportPath() cannot be written; by default
    /// results.html in the user's cache folder (empty: nowhere else).
    void SetFallbackReportPath(const std::filesystem::path& path) { m_fallbackReportPath = path; }
    const std::filesystem::path& FallbackReportPath() const { return m_fallbackReportPath; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::string m_sourceBits;
    std::string m_softSourceBits;
    void CreateControls();
    void ReadControls();
    void ShowMembers();
    /// A new "Encode as" entry: kept in the store at once, then decoded with.
    void EncodingChosen();

    CSettingsStore& m_settings;
    std::string m_bitsText;
    std::int32_t m_reverseBits = 0;
    std::string m_decodedText;
    QString m_shownText;  // the decoded text as its box shows it
    std::int32_t m_reverseDirection = 0;
    std::int32_t m_softDecision = 0;
    QString m_ignoreBitsText = QStringLiteral("0");
    QString m_encodeAs = QStringLiteral("Baudot 5-bit code");  // the "Encode as" entry's text
    std::filesystem::path m_reportPath;
    std::filesystem::path m_fallbackReportPath;
    bool m_initialised = false;

    QPlainTextEdit* m_bitsEdit = nullptr;
    QCheckBox* m_reverseBitsCheck = nullptr;
    QPlainTextEdit* m_decodedEdit = nullptr;
    QCheckBox* m_reverseDirectionCheck = nullptr;
    QCheckBox* m_softDecisionCheck = nullptr;
    QComboBox* m_encodingCombo = nullptr;
    QLineEdit* m_ignoreEdit = nullptr;
    CUpDown* m_ignoreSpin = nullptr;
    QPushButton* m_checkAllButton = nullptr;
    QPushButton* m_closeButton = nullptr;         // 2
    QPushButton* m_copyButton = nullptr;          // "Copy text"
    CProportionalLayout m_layout;
};
