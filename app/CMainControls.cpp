#include "app/CMainControls.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/CParameterPanel.h"
#include "app/CTemplateLayout.h"
#include "app/CWindowPlacement.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"

CMainControls::CMainControls(QDialog& window, CParameterPanel& panel) : m_window(window) {
    CTemplateLayout layout(window.font());
    auto label = [&](const QString& text, int x, int y, int w, int h) {
        layout.Add(new QLabel(text, &window), x, y, w, h, true);
    };
    auto button = [&](const QString& text, const char* name, int x, int y, int w, int h) {
        auto* b = new QPushButton(text, &window);
        b->setObjectName(QString::fromLatin1(name));
        layout.Add(b, x, y, w, h);
        b->setAutoDefault(false);  // Enter in a field must not press a button.
        return b;
    };
    label(QStringLiteral("Sound input:"), 7, 7, 122, 8);
    panoramic = new CPanoramicView(&window);
    panoramic->setObjectName(QStringLiteral("panoramic"));
    layout.Add(panoramic, 7, 17, 426, 29);
    label(QStringLiteral("Frequency"), 7, 52, 37, 9);
    label(QStringLiteral("Data blocks"), 7, 78, 39, 8);
    label(QStringLiteral("Bits grid"), 7, 106, 36, 9);
    panel.Create(&window, layout);

    exit = button(QStringLiteral("Exit"), "exit", 360, 121, 73, 16);
    startCapture = button(QStringLiteral("Start capture"), "startCapture", 7, 121, 72, 16);
    stopCapture = button(QStringLiteral("Stop capture"), "stopCapture", 87, 121, 72, 16);
    results = new CResultsView(&window);
    results->setObjectName(QStringLiteral("results"));
    layout.Add(results, 7, 151, 426, 152);
    label(QStringLiteral("Graphics results:"), 7, 140, 96, 8);
    extractBits = button(QStringLiteral("Extract bits"), "extractBits", 167, 121, 72, 16);
    showGrid = new QCheckBox(QStringLiteral("Show grid"), &window);
    showGrid->setObjectName(QStringLiteral("showGrid"));
    layout.Add(showGrid, 71, 305, 63, 10, true);
    contrast = button(QStringLiteral("Contrast"), "contrast", 7, 306, 57, 9);
    about = button(QStringLiteral("About"), "about", 282, 121, 72, 16);
    status = new QLabel(QStringLiteral("Ready"), &window);
    status->setObjectName(QStringLiteral("status"));
    status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout.Add(status, 168, 306, 265, 9);
    window.resize(layout.Apply(440, 322));
}

void CMainControls::LayOut(CSettingsStore& store) {
    const QSize client = m_window.size();
    m_layout.Capture(results, CAnchorLayout::Anchor::Stretch, client);
    m_layout.Capture(contrast, CAnchorLayout::Anchor::BottomLeft, client);
    m_layout.Capture(showGrid, CAnchorLayout::Anchor::BottomLeft, client);
    m_layout.Capture(status, CAnchorLayout::Anchor::BottomRight, client);
    m_layout.Apply(client);
    m_templateClientWidth = m_window.width();
    m_minWidth = m_window.frameGeometry().width();
    ApplyMinimumSize();
    const CWindowPlacement::Saved saved = CWindowPlacement::Read(store);
    if (saved.size) {
        m_restoredSize = *saved.size;
        m_savedFrame = saved.frame;
        CWindowPlacement::ResizeOuter(m_window, m_restoredSize, m_savedFrame);
    }
    if (saved.position) CWindowPlacement::MoveOntoAScreen(m_window, *saved.position);
    m_window.setSizeGripEnabled(true);
}

void CMainControls::SetTabOrder(CParameterPanel& panel) {
    // Row by row, left to right, as the controls stand.
    QList<QWidget*> order = panel.TabOrder();
    order << startCapture << stopCapture << extractBits << about << exit << contrast << showGrid;
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

bool CMainControls::Resized() {
    if (m_layout.Empty()) return false;
    m_layout.Apply(m_window.size() - QSize(m_reservedRight, 0));
    return true;
}

void CMainControls::ReserveRight(int width) {
    m_minWidth += width - m_reservedRight;
    m_reservedRight = width;
    ApplyMinimumSize();
    Resized();
}

void CMainControls::Shown() {
    if (m_shownOnce) return;
    m_shownOnce = true;
    // The desktop's frame is known only once the window is shown: the
    // outer sizes (minimum and restored) are converted again with it.
    m_minWidth = m_templateClientWidth + m_reservedRight + (m_window.frameGeometry().width() - m_window.width());
    ApplyMinimumSize();
    if (m_restoredSize.isValid()) CWindowPlacement::ResizeOuter(m_window, m_restoredSize, m_savedFrame);
}

void CMainControls::ApplyMinimumSize() {
    // m_minWidth and kMinHeight are outer sizes; Qt limits the client area.
    const int frameHeight = m_window.frameGeometry().height() - m_window.height();
    m_window.setMinimumSize(m_templateClientWidth + m_reservedRight, std::max(0, kMinHeight - frameHeight));
}
