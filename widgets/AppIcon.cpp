#include "widgets/AppIcon.h"

#include <QString>

// Outside any namespace, as the resource initialiser must be.
static void InitMorvaneResources() { Q_INIT_RESOURCE(morvane); }

QIcon MorvaneIcon() {
    static const bool initialised = (InitMorvaneResources(), true);
    (void)initialised;
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/morvane/morvane-%1.png").arg(size), QSize(size, size));
    return icon;
}
