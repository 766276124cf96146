#pragma once
#include <QString>
#include <QWidget>

#include "app/CPlacementKeeper.h"

class CSettingsStore;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTextDocument;

/// "Live text": the text decoded while a capture runs, each transmission on a
/// line of its own under its header line. Non-modal; it keeps its place and
/// size between runs. The view follows the newest text unless the person has
/// scrolled back, and comes back to following when they scroll to the end.
/// Copy puts the selection (or, without one, all the text) on the clipboard;
/// Save text... writes all of it to a UTF-8 file; Clear empties it. "Read:"
/// chooses what the text is read from: "Samples" (the default: the receiver
/// on the sound itself), "Level stream" (the levels the raster shows) or
/// "SITOR-B / NAVTEX" (the maritime broadcasts, read from the sound, each
/// NAVTEX message under a header of its own);
/// with the level stream "Soft decision" asks for bits decided on the tone
/// correlations summed over each bit. Both are kept between runs. The window
/// only shows what it is given (the main window feeds it).
class CLiveTextDlg : public QWidget {
    Q_OBJECT
public:
    explicit CLiveTextDlg(CSettingsStore& store, QWidget* parent = nullptr);
    ~CLiveTextDlg() override;

    /// A transmission begins: `header` on a line of its own (a new line is
    /// started when the text so far does not end with one).
    void BeginTransmission(const QString& header);
    /// Decoded characters. Every line end starts one new line: CR, LF, CR LF,
    /// and a run of CRs with its LF (CR CR LF, also across calls); the space
    /// a Baudot line feed decodes to right after a CR is not shown.
    void AppendText(const QString& text);

    /// All the text shown.
    QString Text() const;
    /// The document holding it (a second view may show it too).
    QTextDocument* Document() const;
    /// Whether "Soft decision" is ticked.
    bool Soft() const;
    /// Whether the text is read from the sound ("Samples" or "SITOR-B / NAVTEX"; otherwise "Level stream").
    bool ReadsSamples() const;
    /// Whether "Read:" says "SITOR-B / NAVTEX".
    bool ReadsSitor() const;
    /// Whether the view follows the newest text (not scrolled back).
    bool Following() const;

    /// "Copy": the selection, or all the text without one, onto the clipboard.
    void Copy();
    /// "Clear": empties the text.
    void Clear();
    /// Writes all the text to `path` (UTF-8, replacing the file only once the
    /// whole text is written). False with the reason in `error` on failure.
    bool SaveTo(const QString& path, QString& error) const;
    /// "Save text...": asks for a file and saves there; true once saved.
    bool AskAndSave();
    /// Whether text came in since the last save or clear.
    bool Unsaved() const { return m_unsaved; }

    /// Where the place and size are kept.
    static constexpr const char* kSection = "Windows\\LiveText";
    /// Lines kept: the oldest go first beyond this.
    static constexpr int kMaxLines = 100000;

signals:
    /// "Soft decision" was ticked or cleared.
    void softChanged(bool on);
    /// "Read:" was changed.
    void readerChanged(bool samples);

private:
    void Insert(const QString& text);
    QString ShownLineEnds(const QString& text);
    void OnSave();

    CSettingsStore& m_store;
    CPlacementKeeper m_place;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QCheckBox* m_softCheck = nullptr;
    QComboBox* m_readerBox = nullptr;
    bool m_unsaved = false;
    enum class LineEnd { InLine, AfterReturn };
    LineEnd m_lineEnd = LineEnd::InLine;  // whether the text so far ends in a carriage return
};
