#include "app/CWindowMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

CWindowMenu::CWindowMenu(QWidget& window, bool followNewestOn) {
    struct Entry {
        const char* text;  // null: a separator
        QKeySequence key;
        QAction* CWindowMenu::*action;
        const char* name;  // object name of the action
    };
    const Entry entries[] = {
        {"&Open recording...", QKeySequence(Qt::CTRL | Qt::Key_O), &CWindowMenu::openRecording, "openRecording"},
        {"&Replay at real time", QKeySequence(), &CWindowMenu::replay, "replay"},
        {"&Save picture...", QKeySequence(Qt::CTRL | Qt::Key_S), &CWindowMenu::savePicture, "savePicture"},
        {nullptr, QKeySequence(), nullptr, nullptr},
        {"&Follow newest rows", QKeySequence(), &CWindowMenu::followNewest, "followNewest"},
        {"A&lign", QKeySequence(Qt::CTRL | Qt::Key_L), &CWindowMenu::align, "align"},
        {"&Time-true raster", QKeySequence(), &CWindowMenu::timeTrue, "timeTrue"},
        {"Live te&xt", QKeySequence(Qt::CTRL | Qt::Key_T), &CWindowMenu::liveText, "liveText"},
        {"Recei&ve pane", QKeySequence(Qt::CTRL | Qt::Key_R), &CWindowMenu::receivePane, "receivePane"},
        {"Tuning &waterfall", QKeySequence(Qt::CTRL | Qt::Key_W), &CWindowMenu::tuningWaterfall, "tuningWaterfall"},
        {nullptr, QKeySequence(), nullptr, nullptr},
        {"&About Morvane...", QKeySequence(), &CWindowMenu::about, "about"},
    };
    for (const Entry& entry : entries) {
        auto* action = new QAction(&window);
        if (!entry.text) {
            action->setSeparator(true);
            window.addAction(action);
            continue;
        }
        action->setText(QString::fromLatin1(entry.text));
        action->setObjectName(QString::fromLatin1(entry.name) + QStringLiteral("Action"));
        action->setShortcut(entry.key);
        window.addAction(action);
        this->*entry.action = action;
    }
    followNewest->setCheckable(true);
    followNewest->setChecked(followNewestOn);
    timeTrue->setCheckable(true);
    receivePane->setCheckable(true);
    tuningWaterfall->setCheckable(true);
    replay->setEnabled(false);
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
}
