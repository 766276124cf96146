#include "app/CLiveTextDlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

#include "app/CSettingsStore.h"

namespace {

const QString kPlacementSection = QString::fromLatin1(CLiveTextDlg::kSection);

}  // namespace

CLiveTextDlg::CLiveTextDlg(CSettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), m_store(store), m_place(*this, store, kPlacementSection) {
    setObjectName(QStringLiteral("liveText"));
    setWindowTitle(QStringLiteral("Live text"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("liveTextView"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setMaximumBlockCount(kMaxLines);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_copyButton = new QPushButton(QStringLiteral("Copy"), this);
    m_copyButton->setObjectName(QStringLiteral("copy"));
    m_saveButton = new QPushButton(QStringLiteral("Save text..."), this);
    m_saveButton->setObjectName(QStringLiteral("saveText"));
    m_clearButton = new QPushButton(QStringLiteral("Clear"), this);
    m_clearButton->setObjectName(QStringLiteral("clear"));
    m_softCheck = new QCheckBox(QStringLiteral("Soft decision"), this);
    m_softCheck->setObjectName(QStringLiteral("softDecision"));
    m_softCheck->setChecked(m_store.ReadInt(kPlacementSection, QStringLiteral("SoftDecision"), 0) != 0);
    m_readerBox = new QComboBox(this);
    m_readerBox->setObjectName(QStringLiteral("reader"));
    m_readerBox->addItem(QStringLiteral("Samples"));
    m_readerBox->addItem(QStringLiteral("Level stream"));
    m_readerBox->addItem(QStringLiteral("SITOR-B / NAVTEX"));
    m_readerBox->setToolTip(QStringLiteral(
        "Samples: the receiver reads the sound itself (filters matched to the bit, fading correction, squelch). "
        "Level stream: the levels the raster shows are read. "
        "SITOR-B / NAVTEX: the 100-baud maritime broadcasts, each message under its header"));
    const int reader = m_store.ReadInt(kPlacementSection, QStringLiteral("Reader"), 0);
    m_readerBox->setCurrentIndex(reader == 1 || reader == 2 ? reader : 0);
    m_softCheck->setEnabled(!ReadsSamples());
    auto* readerLabel = new QLabel(QStringLiteral("Read:"), this);
    readerLabel->setBuddy(m_readerBox);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_copyButton);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(readerLabel);
    buttons->addWidget(m_readerBox);
    buttons->addWidget(m_softCheck);
    buttons->addStretch(1);
    buttons->addWidget(m_clearButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    resize(560, 320);

    connect(m_copyButton, &QPushButton::clicked, this, &CLiveTextDlg::Copy);
    connect(m_saveButton, &QPushButton::clicked, this, &CLiveTextDlg::OnSave);
    connect(m_clearButton, &QPushButton::clicked, this, &CLiveTextDlg::Clear);
    connect(m_softCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_store.WriteInt(kPlacementSection, QStringLiteral("SoftDecision"), on ? 1 : 0);
        emit softChanged(on);
    });
    connect(m_readerBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_store.WriteInt(kPlacementSection, QStringLiteral("Reader"), index == 1 || index == 2 ? index : 0);
        m_softCheck->setEnabled(index == 1);
        emit readerChanged(index != 1);
    });
}

CLiveTextDlg::~CLiveTextDlg() {
    m_place.SaveIfShown();
}

bool CLiveTextDlg::Soft() const { return m_softCheck->isChecked(); }

bool CLiveTextDlg::ReadsSamples() const { return m_readerBox->currentIndex() != 1; }

bool CLiveTextDlg::ReadsSitor() const { return m_readerBox->currentIndex() == 2; }

bool CLiveTextDlg::Following() const {
    const QScrollBar* bar = m_text->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void CLiveTextDlg::Insert(const QString& text) {
    if (text.isEmpty()) return;
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool follow = Following();
    const int kept = bar->value();
    // Inserted through a cursor of its own: the person's selection stays.
    QTextCursor end(m_text->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    m_unsaved = true;
    bar->setValue(follow ? bar->maximum() : kept);
}

void CLiveTextDlg::BeginTransmission(const QString& header) {
    m_lineEnd = LineEnd::InLine;
    const QString shown = m_text->document()->isEmpty() ? QString() : m_text->toPlainText();
    const bool atLineStart = shown.isEmpty() || shown.endsWith(QLatin1Char('\n'));
    Insert((atLineStart ? QString() : QStringLiteral("\n")) + header + QLatin1Char('\n'));
}

void CLiveTextDlg::AppendText(const QString& text) {
    Insert(ShownLineEnds(text));
}

QString CLiveTextDlg::ShownLineEnds(const QString& text) {
    // A Baudot carriage return comes decoded as CR LF and its line feed as a
    // space: a run of carriage returns (CR CR LF) breaks the line once, and
    // the space of the line feed that ends it is not shown at the line's start.
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            if (m_lineEnd != LineEnd::AfterReturn) shown += QLatin1Char('\n');
            m_lineEnd = LineEnd::AfterReturn;
            continue;
        }
        if (m_lineEnd == LineEnd::AfterReturn && (c == QLatin1Char('\n') || c == QLatin1Char(' '))) {
            m_lineEnd = LineEnd::InLine;  // the line feed of CR LF
            continue;
        }
        shown += c;
        m_lineEnd = LineEnd::InLine;
    }
    return shown;
}

QString CLiveTextDlg::Text() const { return m_text->toPlainText(); }

QTextDocument* CLiveTextDlg::Document() const { return m_text->document(); }

void CLiveTextDlg::Copy() {
    const QString selected = m_text->textCursor().selection().toPlainText();
    QGuiApplication::clipboard()->setText(selected.isEmpty() ? Text() : selected);
}

void CLiveTextDlg::Clear() {
    m_text->clear();
    m_lineEnd = LineEnd::InLine;
    m_unsaved = false;
}

bool CLiveTextDlg::SaveTo(const QString& path, QString& error) const {
    QSaveFile file(path);
    const QByteArray bytes = Text().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void CLiveTextDlg::OnSave() { AskAndSave(); }

bool CLiveTextDlg::AskAndSave() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save text"), QString(),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return false;
    QString error;
    if (!SaveTo(path, error)) {
        QMessageBox::warning(this, QStringLiteral("Live text"), QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
        return false;
    }
    m_unsaved = false;
    return true;
}
