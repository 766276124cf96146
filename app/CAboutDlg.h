#pragma once
#include <QDialog>
#include <QString>

class CURLLinkButton;
class QLabel;
class QPushButton;

/// The "About Morvane" box: the application icon, the version line, the
/// rights notice, an OK button (the default) and a link to the user guide
/// that is installed beside the program (see GuideAddress). Run it with
/// exec() and destroy it afterwards; each box has a new, unvisited link.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    /// file:// address of guide.html in the folder of the running program.
    static QString GuideAddress();

    CURLLinkButton* Link() const { return m_link; }
    QPushButton* OkButton() const { return m_ok; }

private:
    CURLLinkButton* m_link = nullptr;
    QPushButton* m_ok = nullptr;
};
