#include "app/CReceivePane.h"

#include <QAction>
#include <QDialog>
#include <QPlainTextEdit>
#include <algorithm>

#include "app/CLiveTextDlg.h"
#include "app/CLiveTextFeed.h"
#include "app/CMainControls.h"
#include "app/CTuningPanel.h"
#include "widgets/CTuningWaterfall.h"
#include "app/CWindowPlacement.h"
#include "widgets/CPanoramicView.h"
#include "widgets/CResultsView.h"

CReceivePane::CReceivePane(QDialog& window, CMainControls& controls, CLiveTextFeed& liveText, CSettingsStore& store,
                           std::function<void(CTuningPanel&, CTuningWaterfall&)> made)
    : m_window(window), m_controls(controls), m_liveText(liveText), m_store(store), m_made(std::move(made)) {}

// The pane shows the live text's document: it goes before the live text does.
CReceivePane::~CReceivePane() { delete m_pane; }

bool CReceivePane::Shown() const { return m_controls.ReservedRight() > 0; }

CTuningPanel* CReceivePane::Tuning() const { return Shown() ? m_tuning : nullptr; }

CTuningWaterfall* CReceivePane::Waterfall() const { return Shown() && m_waterfallOn ? m_waterfall : nullptr; }

void CReceivePane::SetWaterfallShown(bool on) {
    m_waterfallOn = on;
    if (!m_pane) return;
    m_waterfall->setVisible(on && Shown());
    Place();
}

void CReceivePane::WriteSettings() {
    if (m_tuning) m_tuning->WriteSettings();
}

void CReceivePane::Make() {
    m_pane = new QPlainTextEdit(&m_window);
    m_pane->setObjectName(QStringLiteral("receivePane"));
    m_pane->setReadOnly(true);
    m_pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pane->setDocument(m_liveText.Made()->Document());
    m_pane->setFont(m_liveText.Window()->findChild<QPlainTextEdit*>()->font());
    m_pane->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(QStringLiteral("&Copy"), m_pane);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(copy, &QAction::triggered, m_pane, &QPlainTextEdit::copy);
    auto* all = new QAction(QStringLiteral("Select &all"), m_pane);
    QObject::connect(all, &QAction::triggered, m_pane, &QPlainTextEdit::selectAll);
    auto* save = new QAction(QStringLiteral("&Save text..."), m_pane);
    CLiveTextFeed* feed = &m_liveText;
    QObject::connect(save, &QAction::triggered, m_pane, [feed] { feed->Window()->AskAndSave(); });
    m_pane->addActions({copy, all, save});
    m_tuning = new CTuningPanel(m_store, &m_window);
    m_tuning->SetMenuActions(m_window.actions());
    m_waterfall = new CTuningWaterfall(&m_window);
    if (m_made) m_made(*m_tuning, *m_waterfall);
}

void CReceivePane::SetShown(bool on) {
    if (on == Shown()) return;
    if (!m_pane) Make();
    m_liveText.SetShownElsewhere(on);
    // Hidden at start the window keeps the size it was restored to (which held the pane then).
    const bool grow = m_window.isVisible() || !m_controls.SizeRestored();
    const int target = m_window.width() + (on ? kWidth : -kWidth);  // before the minimum changes it
    m_controls.ReserveRight(on ? kWidth : 0);
    if (grow) m_window.resize(target, m_window.height());
    m_pane->setVisible(on);
    m_tuning->setVisible(on);
    m_waterfall->setVisible(on && m_waterfallOn);
    Place();
    if (m_window.isVisible()) CWindowPlacement::KeepOnScreen(m_window, false);
}

void CReceivePane::Place() {
    if (!m_pane || !Shown()) return;
    // From the strip's top to the raster's bottom, in the reserved strip:
    // the tuning controls, the text under them.
    const QRect strip = m_controls.panoramic->geometry();
    const QRect raster = m_controls.results->geometry();
    const int left = m_window.width() - kWidth;
    const int width = kWidth - strip.left();
    m_tuning->setGeometry(left, strip.top(), width, kTuningHeight);
    int top = strip.top() + kTuningHeight + 6;
    if (m_waterfallOn) {
        m_waterfall->setGeometry(left, top, width, kWaterfallHeight);
        top += kWaterfallHeight + 6;
    }
    m_pane->setGeometry(left, top, width, std::max(40, raster.bottom() - top + 1));
}
