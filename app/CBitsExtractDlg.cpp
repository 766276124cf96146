#include "app/CBitsExtractDlg.h"

#include <QCheckBox>
#include <QResizeEvent>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <initializer_list>
#include <iterator>

#include "app/CSettingsStore.h"
#include "app/CTemplateLayout.h"
#include "text/TextNumbers.h"
#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"
#include "report/ReportFolders.h"
#include "decode/RowDecoder.h"
#include "report/VariationsReport.h"
#include "sitor/SitorRows.h"
#include "widgets/CUpDown.h"

namespace {

constexpr int kIgnoreMin = 0;
constexpr int kIgnoreMax = 32;

const QString kSection = QString::fromLatin1(CSettingsStore::kSectionData);
// The "Encode as" entry is kept by its text, so that entries added later
// leave a stored choice as it was.
const QString kEncodeAsName = QStringLiteral("EncodeAs");
const QString kFirstCode = QStringLiteral("Baudot 5-bit code");

// The "Encode as" entries after "Baudot 5-bit code", in list order.
struct OtherCode {
    const char* name;
    morvane::CodeSettings code;
};
constexpr OtherCode kOtherCodes[] = {
    {"Baudot, US figures", {morvane::TextCode::BaudotUs, morvane::Parity::None}},
    {"ASCII 7-bit", {morvane::TextCode::Ascii7, morvane::Parity::None}},
    {"ASCII 7-bit, even parity", {morvane::TextCode::Ascii7, morvane::Parity::Even}},
    {"ASCII 7-bit, odd parity", {morvane::TextCode::Ascii7, morvane::Parity::Odd}},
    {"ASCII 8-bit", {morvane::TextCode::Ascii8, morvane::Parity::None}},
    {"ASCII 8-bit, even parity", {morvane::TextCode::Ascii8, morvane::Parity::Even}},
    {"ASCII 8-bit, odd parity", {morvane::TextCode::Ascii8, morvane::Parity::Odd}},
};
// The last entry: rows of one 7-bit word each, read as SITOR-B.
const QString kSitorEntry = QStringLiteral("SITOR-B / NAVTEX");

// The text boxes keep their own paragraphs: every line end (CR, LF, CR LF,
// CR CR LF) becomes one line break there. The decoder never reads the box,
// only the member.
QString ForDisplay(const std::string& text) {
    const std::string shown = morvane::ShownLineBreaks(text);
    return QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size()));
}

void ShowText(QPlainTextEdit* edit, const QString& shown) {
    if (edit->toPlainText() != shown)
        edit->setPlainText(shown);
}

}  // namespace

CBitsExtractDlg::CBitsExtractDlg(CSettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    m_reverseBits = m_settings.ReadInt(kSection, QStringLiteral("ReverseBits"), m_reverseBits) != 0 ? 1 : 0;
    m_reverseDirection =
        m_settings.ReadInt(kSection, QStringLiteral("ReverseDirection"), m_reverseDirection) != 0 ? 1 : 0;
    m_ignoreBitsText = m_settings.ReadText(kSection, QStringLiteral("BitsIgnore"), m_ignoreBitsText);
    m_softDecision = m_settings.ReadInt(kSection, QStringLiteral("SoftDecision"), m_softDecision) != 0 ? 1 : 0;
    m_encodeAs = m_settings.ReadText(kSection, kEncodeAsName, m_encodeAs);
    m_reportPath = morvane::ReportPathBeside(QCoreApplication::applicationFilePath().toStdString());
    m_fallbackReportPath = morvane::ReportPathInCache(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
    CreateControls();
}

void CBitsExtractDlg::StoreOptions(CSettingsStore& settings, bool reverseBits, bool reverseDirection,
                                   std::int32_t ignore) {
    settings.WriteInt(kSection, QStringLiteral("ReverseBits"), reverseBits ? 1 : 0);
    settings.WriteInt(kSection, QStringLiteral("ReverseDirection"), reverseDirection ? 1 : 0);
    settings.WriteText(kSection, QStringLiteral("BitsIgnore"), QString::number(ignore));
}

void CBitsExtractDlg::StoreSoftDecision(CSettingsStore& settings, bool soft) {
    settings.WriteInt(kSection, QStringLiteral("SoftDecision"), soft ? 1 : 0);
}

void CBitsExtractDlg::StoreCode(CSettingsStore& settings, const morvane::CodeSettings& found) {
    // Five-bit frames do not tell the US figures from the others: a Baudot
    // entry chosen before stays.
    if (!morvane::IsAscii(found.code)) {
        const QString stored = settings.ReadText(kSection, kEncodeAsName, kFirstCode);
        if (!stored.startsWith(QStringLiteral("Baudot"))) settings.WriteText(kSection, kEncodeAsName, kFirstCode);
        return;
    }
    for (const OtherCode& entry : kOtherCodes)
        if (entry.code.code == found.code && entry.code.parity == found.parity)
            settings.WriteText(kSection, kEncodeAsName, QString::fromLatin1(entry.name));
}

CBitsExtractDlg::~CBitsExtractDlg() {
    // The options are kept however the dialog ended: Close, Esc or the close box.
    ReadControls();
    m_settings.WriteInt(kSection, QStringLiteral("ReverseBits"), m_reverseBits);
    m_settings.WriteInt(kSection, QStringLiteral("ReverseDirection"), m_reverseDirection);
    m_settings.WriteText(kSection, QStringLiteral("BitsIgnore"), m_ignoreBitsText);
    m_settings.WriteInt(kSection, QStringLiteral("SoftDecision"), m_softDecision);
    m_settings.WriteText(kSection, kEncodeAsName, m_encodeAs);
}

void CBitsExtractDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Bits extract"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    CTemplateLayout layout(font());

    auto* sourceLabel = new QLabel(QStringLiteral("Source bits:"), this);
    layout.Add(sourceLabel, 7, 7, 91, 10, true);

    m_bitsEdit = new QPlainTextEdit(this);
    m_bitsEdit->setObjectName(QStringLiteral("bitsEdit"));
    layout.Add(m_bitsEdit, 7, 17, 186, 108);
    m_bitsEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Bits line up in columns only in a fixed-pitch font.
    m_bitsEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_reverseBitsCheck = new QCheckBox(QStringLiteral("Reverse bits"), this);
    m_reverseBitsCheck->setObjectName(QStringLiteral("reverseBits"));
    layout.Add(m_reverseBitsCheck, 7, 129, 56, 10, true);

    // Between the two check boxes of the row: the soft reading of the same raster.
    m_softDecisionCheck = new QCheckBox(QStringLiteral("Soft decision"), this);
    m_softDecisionCheck->setObjectName(QStringLiteral("softDecision"));
    layout.Add(m_softDecisionCheck, 66, 129, 55, 10, true);

    m_reverseDirectionCheck = new QCheckBox(QStringLiteral("Reverse direction"), this);
    m_reverseDirectionCheck->setObjectName(QStringLiteral("reverseDirection"));
    layout.Add(m_reverseDirectionCheck, 124, 129, 69, 10, true);

    auto* encodeLabel = new QLabel(QStringLiteral("Encode as:"), this);
    layout.Add(encodeLabel, 7, 143, 37, 9, true);

    m_encodingCombo = new QComboBox(this);
    m_encodingCombo->setObjectName(QStringLiteral("encodingCombo"));
    // A closed drop-down list is one edit line high; the template height is the open list's.
    layout.Add(m_encodingCombo, 49, 141, 56, 12);
    // Filled before the layout is final: the box is made wide enough for its entries.
    m_encodingCombo->addItem(kFirstCode);
    for (const OtherCode& other : kOtherCodes) m_encodingCombo->addItem(QString::fromLatin1(other.name));
    m_encodingCombo->addItem(kSitorEntry);
    // A stored entry this program does not offer reads as the first one.
    m_encodingCombo->setCurrentIndex(std::max(0, m_encodingCombo->findText(m_encodeAs, Qt::MatchExactly)));
    m_encodeAs = m_encodingCombo->currentText();

    auto* ignoreLabel = new QLabel(QStringLiteral("Ignore bits:"), this);
    layout.Add(ignoreLabel, 116, 143, 37, 9, true);

    m_ignoreEdit = new QLineEdit(this);
    m_ignoreEdit->setObjectName(QStringLiteral("ignoreEdit"));
    layout.Add(m_ignoreEdit, 160, 141, 33, 12);
    m_ignoreEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));

    m_ignoreSpin = new CUpDown(this);
    m_ignoreSpin->setObjectName(QStringLiteral("ignoreSpin"));
    layout.Add(m_ignoreSpin, 190, 139, 7, 16);

    m_decodedEdit = new QPlainTextEdit(this);
    m_decodedEdit->setObjectName(QStringLiteral("decodedEdit"));
    layout.Add(m_decodedEdit, 7, 159, 186, 53);
    m_decodedEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_checkAllButton = new QPushButton(QStringLiteral("Check all variations"), this);
    m_checkAllButton->setObjectName(QStringLiteral("checkAllVariations"));
    layout.Add(m_checkAllButton, 7, 219, 87, 13);
    m_checkAllButton->setAutoDefault(false);

    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("close"));
    layout.Add(m_closeButton, 131, 219, 62, 13);
    m_closeButton->setAutoDefault(false);
    // Enter ends the dialog as Close does (in the two text boxes it breaks the line).
    m_closeButton->setDefault(true);

    // Between the template's two buttons: puts the decoded text on the clipboard.
    m_copyButton = new QPushButton(QStringLiteral("Copy text"), this);
    m_copyButton->setObjectName(QStringLiteral("copyText"));
    layout.Add(m_copyButton, 97, 219, 31, 13);
    m_copyButton->setAutoDefault(false);

    QSize base = layout.Apply(200, 239);
    // The copy button and the combo box show their texts whole: what they need
    // beyond the template widens the dialog, the controls right of them move along.
    const int copyExtra = std::max(0, m_copyButton->sizeHint().width() - m_copyButton->width());
    m_copyButton->resize(m_copyButton->width() + copyExtra, m_copyButton->height());
    m_closeButton->move(m_closeButton->x() + copyExtra, m_closeButton->y());
    const int comboExtra = std::max(0, m_encodingCombo->sizeHint().width() - m_encodingCombo->width());
    m_encodingCombo->resize(m_encodingCombo->width() + comboExtra, m_encodingCombo->height());
    for (QWidget* right : std::initializer_list<QWidget*>{ignoreLabel, m_ignoreEdit, m_ignoreSpin})
        right->move(right->x() + comboExtra, right->y());
    const int extra = std::max(copyExtra, comboExtra);
    m_reverseDirectionCheck->move(m_reverseDirectionCheck->x() + extra, m_reverseDirectionCheck->y());
    if (comboExtra < extra)
        for (QWidget* right : std::initializer_list<QWidget*>{ignoreLabel, m_ignoreEdit, m_ignoreSpin})
            right->move(right->x() + extra - comboExtra, right->y());
    if (copyExtra < extra) m_closeButton->move(m_closeButton->x() + extra - copyExtra, m_closeButton->y());
    for (QWidget* wide : std::initializer_list<QWidget*>{m_bitsEdit, m_decodedEdit})
        wide->resize(wide->width() + extra, wide->height());
    base.setWidth(base.width() + extra);

    setMinimumSize(base);
    resize(base);
    setSizeGripEnabled(true);

    // Tab order follows the template, row by row.
    setTabOrder(m_bitsEdit, m_reverseBitsCheck);
    setTabOrder(m_reverseBitsCheck, m_softDecisionCheck);
    setTabOrder(m_softDecisionCheck, m_reverseDirectionCheck);
    setTabOrder(m_reverseDirectionCheck, m_encodingCombo);
    setTabOrder(m_encodingCombo, m_ignoreEdit);
    setTabOrder(m_ignoreEdit, m_decodedEdit);
    setTabOrder(m_decodedEdit, m_checkAllButton);
    setTabOrder(m_checkAllButton, m_copyButton);
    setTabOrder(m_copyButton, m_closeButton);

    // The members go into the controls before any handler is connected.
    ShowMembers();

    m_ignoreSpin->SetBuddy(m_ignoreEdit);
    m_ignoreSpin->SetRange32(kIgnoreMin, kIgnoreMax);
    // The up-down takes the low 16 bits of the count; it keeps its range and
    // rewrites the text when the count lies outside it.
    m_ignoreSpin->SetPos32(static_cast<std::int16_t>(IgnoreCount() & 0xFFFF));

    // The dialog may grow: the two text boxes take the new space (the bits two
    // thirds of the height, the decoded text one third), the rest follows.
    // Recorded once the up-down has narrowed its buddy: it follows the edit itself.
    using Shares = CProportionalLayout::Shares;
    constexpr double kBitsShare = 2.0 / 3.0;
    m_layout.SetBase(base);
    m_layout.Add(m_bitsEdit, Shares{0, 0, 1, kBitsShare});
    m_layout.Add(m_reverseBitsCheck, Shares{0, kBitsShare, 0, 0});
    m_layout.Add(m_softDecisionCheck, Shares{0.5, kBitsShare, 0, 0});
    m_layout.Add(m_reverseDirectionCheck, Shares{1, kBitsShare, 0, 0});
    m_layout.Add(encodeLabel, Shares{0, kBitsShare, 0, 0});
    m_layout.Add(m_encodingCombo, Shares{0, kBitsShare, 0, 0});
    m_layout.Add(ignoreLabel, Shares{1, kBitsShare, 0, 0});
    m_layout.Add(m_ignoreEdit, Shares{1, kBitsShare, 0, 0});
    m_layout.Add(m_decodedEdit, Shares{0, kBitsShare, 1, 1 - kBitsShare});
    m_layout.Add(m_checkAllButton, Shares{0, 1, 0, 0});
    m_layout.Add(m_copyButton, Shares{0.5, 1, 0, 0});
    m_layout.Add(m_closeButton, Shares{1, 1, 0, 0});

    connect(m_reverseBitsCheck, &QCheckBox::clicked, this, &CBitsExtractDlg::Recompute);
    connect(m_softDecisionCheck, &QCheckBox::clicked, this, &CBitsExtractDlg::Recompute);
    connect(m_reverseDirectionCheck, &QCheckBox::clicked, this, &CBitsExtractDlg::Recompute);
    connect(m_ignoreEdit, &QLineEdit::textChanged, this, &CBitsExtractDlg::Recompute);
    connect(m_encodingCombo, &QComboBox::currentIndexChanged, this, &CBitsExtractDlg::EncodingChosen);
    connect(m_checkAllButton, &QPushButton::clicked, this, &CBitsExtractDlg::CheckAllVariations);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_copyButton, &QPushButton::clicked, this, &CBitsExtractDlg::CopyText);
}

void CBitsExtractDlg::EncodingChosen() {
    m_encodeAs = m_encodingCombo->currentText();
    m_settings.WriteText(kSection, kEncodeAsName, m_encodeAs);
    Recompute();
}

void CBitsExtractDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_layout.Apply(size());
}

void CBitsExtractDlg::CopyText() {
    // As the box shows it: one line break per line.
    QGuiApplication::clipboard()->setText(m_shownText);
}

void CBitsExtractDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_initialised) {
        m_initialised = true;
        Recompute();
    }
}

std::int32_t CBitsExtractDlg::IgnoreCount() const {
    return morvane::TextToLong(m_ignoreBitsText.toStdString());
}

void CBitsExtractDlg::ReadControls() {
    m_reverseBits = m_reverseBitsCheck->isChecked() ? 1 : 0;
    m_reverseDirection = m_reverseDirectionCheck->isChecked() ? 1 : 0;
    m_softDecision = m_softDecisionCheck->isChecked() ? 1 : 0;
    m_ignoreBitsText = m_ignoreEdit->text();
}

void CBitsExtractDlg::ShowMembers() {
    ShowText(m_bitsEdit, ForDisplay(m_bitsText));
    m_reverseBitsCheck->setChecked(m_reverseBits != 0);
    ShowText(m_decodedEdit, m_shownText);
    m_reverseDirectionCheck->setChecked(m_reverseDirection != 0);
    m_softDecisionCheck->setChecked(m_softDecision != 0);
    if (m_ignoreEdit->text() != m_ignoreBitsText)
        m_ignoreEdit->setText(m_ignoreBitsText);
}

void CBitsExtractDlg::Recompute() {
    ReadControls();
    const std::int32_t ignore = IgnoreCount();
    m_bitsText = morvane::PrepareBits(ActiveSourceBits(), m_reverseBits != 0, m_reverseDirection != 0, ignore);
    if (m_encodingCombo->currentText() == kSitorEntry) {
        m_decodedText = morvane::sitor::DecodeSitorRows(m_bitsText, ignore);
        m_shownText = QString::fromUtf8(morvane::ShownLineBreaks(m_decodedText));
        ShowMembers();
        return;
    }
    // The first entry, Baudot, is DecodeBaudot itself.
    const int entry = m_encodingCombo->currentIndex();
    const morvane::CodeSettings code = entry >= 1 && entry <= static_cast<int>(std::size(kOtherCodes))
                                           ? kOtherCodes[entry - 1].code
                                           : morvane::CodeSettings{};
    morvane::DecodeText(m_bitsText, ignore, code, m_decodedText);
    // Shown with the line ends as they were sent: a line feed (a space in the
    // decoded text) breaks the line too, and CR CR LF breaks it once.
    const std::string shown = morvane::DecodeShownText(m_bitsText, ignore, code);
    m_shownText = QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size()));
    ShowMembers();
}

void CBitsExtractDlg::CheckAllVariations() {
    // Beside the program first; an installed program's folder cannot be
    // written, so then the user's cache folder.
    QStringList problems;
    for (const std::filesystem::path& path : {m_reportPath, m_fallbackReportPath}) {
        if (path.empty()) continue;
        morvane::ReportOutcome outcome = morvane::ReportOutcome::CannotCreate;
        std::error_code ec;
        if (path != m_reportPath) std::filesystem::create_directories(path.parent_path(), ec);
        try {
            outcome = morvane::WriteVariationsReport(ActiveSourceBits(), path);
        } catch (const std::exception&) {
            // Whatever went wrong on the way to the file, the user learns it was not written.
        }
        switch (outcome) {
        case morvane::ReportOutcome::NoRows:
            return;
        case morvane::ReportOutcome::Written:
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
            return;
        case morvane::ReportOutcome::CannotCreate:
            problems << QStringLiteral("%1: %2").arg(
                            QString::fromStdString(path.string()),
                            QString::fromStdString(ec ? ec.message() : morvane::ReportWriteProblem(path)));
            break;
        }
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QStringLiteral("Cannot create output file"),
                    QMessageBox::Ok, this);
    box.setInformativeText(problems.join(QLatin1Char('\n')));
    box.exec();
}
