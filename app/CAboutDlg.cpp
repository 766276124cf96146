#include "app/CAboutDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

#include "widgets/AppIcon.h"
#include "widgets/CURLLinkButton.h"
#include "widgets/DialogUnits.h"

namespace {

constexpr int kWidthDu = 271;
constexpr int kHeightDu = 57;

QLabel* MakeText(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // shown as written, no '&' processing
    label->setText(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

QString CAboutDlg::GuideAddress() {
    return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/guide.html")).toString();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Morvane"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    const DialogUnits du(font());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const QRect iconBox = du.Rect(7, 7, 20, 20);
    const int side = std::min(iconBox.width(), iconBox.height());
    icon->setGeometry(iconBox.left(), iconBox.top(), side, side);
    icon->setPixmap(MorvaneIcon().pixmap(side, side));

    MakeText(this, QStringLiteral("Morvane Version 1.3b"), du.Rect(39, 7, 128, 8));
    MakeText(this, QStringLiteral("Copyright (C) 2026 Quillstead"), du.Rect(39, 17, 168, 9));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(du.Rect(214, 7, 50, 16));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_link = new CURLLinkButton(GuideAddress(), this);
    m_link->setGeometry(du.Rect(40, 36, 224, 14));

    setTabOrder(m_ok, m_link);
    m_ok->setFocus();
    setFixedSize(du.Size(kWidthDu, kHeightDu));
}
