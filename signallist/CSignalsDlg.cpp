#include "signallist/CSignalsDlg.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "signallist/SignalCells.h"

CSignalsDlg::CSignalsDlg(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("signals"));
    setWindowTitle(QStringLiteral("Signals"));
    m_table = new QTableWidget(0, static_cast<int>(SignalCells::Titles().size()), this);
    m_table->setObjectName(QStringLiteral("signalsTable"));
    m_table->setHorizontalHeaderLabels(SignalCells::Titles());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(m_table->columnCount() - 1, QHeaderView::Stretch);
    m_table->setToolTip(QStringLiteral("A click on a signal sets Low: and High: to its tones and aligns the raster on it"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("signalText"));
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlaceholderText(QStringLiteral("The text of the signal chosen in the list"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("signalsStatus"));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_text);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(m_status);
    resize(760, 380);
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int) { OnClicked(row); });
}

void CSignalsDlg::Show(const morvane::SignalRows& rows, const std::function<QString(std::int64_t)>& clock) {
    const std::vector<const morvane::SignalRow*> order = rows.InToneOrder();
    m_table->setRowCount(static_cast<int>(order.size()));
    m_blocks.clear();
    m_tones.clear();
    m_texts.clear();
    int chosenRow = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const morvane::SignalRow& row = *order[i];
        const QStringList cells = SignalCells::Of(row, clock(row.first.firstSample));
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = m_table->item(static_cast<int>(i), c);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(static_cast<int>(i), c, item);
            }
            // Only what changed: every change lays the list out again.
            if (item->text() != cells[c]) item->setText(cells[c]);
            const QColor ink = palette().color(row.followed ? QPalette::Active : QPalette::Disabled, QPalette::Text);
            if (item->foreground().color() != ink) item->setForeground(ink);
            const QString tip = row.followed ? QString() : QStringLiteral("No longer keyed");
            if (item->toolTip() != tip) item->setToolTip(tip);
        }
        m_blocks.push_back(row.block);
        m_tones.emplace_back(row.latest.tone1Hz, row.latest.tone2Hz);
        m_texts.push_back(row.text);
        if (row.block == m_chosen) chosenRow = static_cast<int>(i);
    }
    // After a new stream: the row at the tones chosen before.
    for (std::size_t i = 0; chosenRow < 0 && m_chosen == 0 && m_chosenTones && i < m_tones.size(); ++i)
        if (std::fabs(m_tones[i].first - m_chosenTones->first) <= morvane::SignalRows::kSameSignalHz &&
            std::fabs(m_tones[i].second - m_chosenTones->second) <= morvane::SignalRows::kSameSignalHz) {
            chosenRow = static_cast<int>(i);
            m_chosen = m_blocks[i];
        }
    if (chosenRow >= 0 && m_table->currentRow() != chosenRow) m_table->selectRow(chosenRow);
    ShowChosenText();
}

void CSignalsDlg::Clear() {
    m_table->setRowCount(0);
    m_blocks.clear();
    m_tones.clear();
    m_texts.clear();
    m_chosen = 0;
    m_text->clear();
    m_status->clear();
}

void CSignalsDlg::SetStatus(const QString& text) {
    if (m_status->text() != text) m_status->setText(text);
}

void CSignalsDlg::OnClicked(int row) {
    if (row < 0 || row >= static_cast<int>(m_blocks.size())) return;
    m_chosen = m_blocks[static_cast<std::size_t>(row)];
    m_chosenTones = m_tones[static_cast<std::size_t>(row)];
    ShowChosenText();
    const auto [low, high] = *m_chosenTones;
    emit signalChosen(low, high);
}

void CSignalsDlg::ShowChosenText() {
    QString text;
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i] == m_chosen) text = QString::fromStdString(m_texts[i]).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text == m_text->toPlainText()) return;
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    m_text->setPlainText(text);
    if (atEnd) bar->setValue(bar->maximum());
}

QStringList CSignalsDlg::Shown() const {
    QStringList out;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m_table->columnCount(); ++c) cells << (m_table->item(r, c) ? m_table->item(r, c)->text() : QString());
        out << cells.join(QStringLiteral(" | "));
    }
    return out;
}

QString CSignalsDlg::ChosenText() const { return m_text->toPlainText(); }
