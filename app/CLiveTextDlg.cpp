#include "app/CLiveTextDlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

#include "app/CSettingsStore.h"
#include "app/CWindowPlacement.h"

namespace {

const QString kPlacementSection = QString::fromLatin1(CLiveTextDlg::kSection);

}  // namespace

CLiveTextDlg::CLiveTextDlg(CSettingsStore& store, QWidget* parent) : QWidget(parent, Qt::Window), m_store(store) {
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

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_copyButton);
    buttons->addWidget(m_saveButton);
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
}

CLiveTextDlg::~CLiveTextDlg() {
    if (m_placed && isVisible()) CWindowPlacement::Save(*this, m_store, kPlacementSection);
}

void CLiveTextDlg::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        const CWindowPlacement::Saved saved = CWindowPlacement::Read(m_store, kPlacementSection);
        if (saved.size) CWindowPlacement::ResizeOuter(*this, *saved.size);
        if (saved.position) CWindowPlacement::MoveOntoAScreen(*this, *saved.position);
    }
    QWidget::showEvent(event);
}

void CLiveTextDlg::hideEvent(QHideEvent* event) {
    if (m_placed) CWindowPlacement::Save(*this, m_store, kPlacementSection);
    QWidget::hideEvent(event);
}

bool CLiveTextDlg::Soft() const { return m_softCheck->isChecked(); }

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
    bar->setValue(follow ? bar->maximum() : kept);
}

void CLiveTextDlg::BeginTransmission(const QString& header) {
    const QString shown = m_text->document()->isEmpty() ? QString() : m_text->toPlainText();
    const bool atLineStart = shown.isEmpty() || shown.endsWith(QLatin1Char('\n'));
    Insert((atLineStart ? QString() : QStringLiteral("\n")) + header + QLatin1Char('\n'));
}

void CLiveTextDlg::AppendText(const QString& text) {
    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    Insert(shown);
}

QString CLiveTextDlg::Text() const { return m_text->toPlainText(); }

void CLiveTextDlg::Copy() {
    const QString selected = m_text->textCursor().selection().toPlainText();
    QGuiApplication::clipboard()->setText(selected.isEmpty() ? Text() : selected);
}

void CLiveTextDlg::Clear() { m_text->clear(); }

bool CLiveTextDlg::SaveTo(const QString& path, QString& error) const {
    QSaveFile file(path);
    const QByteArray bytes = Text().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void CLiveTextDlg::OnSave() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save text"), QString(),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    QString error;
    if (!SaveTo(path, error))
        QMessageBox::warning(this, QStringLiteral("Live text"), QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
}
