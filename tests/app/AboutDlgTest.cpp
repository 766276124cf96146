#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/CAboutDlg.h"
#include "widgets/CURLLinkButton.h"
#include "widgets/DialogUnits.h"

class AboutDlgTest : public QObject {
    Q_OBJECT

private slots:
    void aboutBoxFollowsItsTemplate() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Morvane"));
        const DialogUnits du(about.font());
        QCOMPARE(about.size(), du.Size(271, 57));
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Morvane Version 1.3b")));
        QVERIFY(texts.contains(QStringLiteral("Copyright (C) 2026 Quillstead")));
        QVERIFY(about.OkButton()->isDefault());
        QCOMPARE(about.OkButton()->geometry(), du.Rect(214, 7, 50, 16));
        QCOMPARE(about.Link()->geometry(), du.Rect(40, 36, 224, 14));
        QVERIFY(about.Link()->text().startsWith(QStringLiteral("file:///")));
        QVERIFY(about.Link()->text().endsWith(QStringLiteral("/guide.html")));
        QVERIFY(!about.Link()->isDefault());
        const QLabel* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
        QVERIFY(icon != nullptr);
        QVERIFY(!icon->pixmap().isNull());
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
