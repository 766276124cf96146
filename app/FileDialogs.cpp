#include "app/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QStringList>
#include <string>

#include "app/CLiveTextDlg.h"
#include "recording/RecordingFormats.h"

QString AskForRecording(QWidget* parent, const QString& last) {
    QStringList patterns;
    for (const std::string& extension : morvane::RecordingExtensions())
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    const QString filter = QStringLiteral("Recordings (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
    const QString folder = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open recording"), folder, filter);
}

QString AskForPicturePath(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Save picture"), QString(), QStringLiteral("PNG images (*.png)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.selectFile(QStringLiteral("raster.png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return WithPngExtension(dialog.selectedFiles().first());
}

QString WithPngExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QStringLiteral(".png");
}

void WarnCannotSave(QWidget* parent, const QString& path, const QString& reason) {
    QMessageBox::warning(parent, QStringLiteral("Warning"), QStringLiteral("Cannot save %1: %2").arg(path, reason));
}

QString DroppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
    return urls.first().toLocalFile();
}

bool MayEndWithLiveText(QWidget* parent, CLiveTextDlg* live) {
    if (!live || !live->Unsaved() || live->Text().isEmpty()) return true;
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Morvane"),
                    QStringLiteral("The live text holds text that has not been saved."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    ask.setObjectName(QStringLiteral("quitQuestion"));
    ask.setInformativeText(QStringLiteral("Save it before Morvane ends?"));
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    const int answer = ask.exec();
    return answer != QMessageBox::Cancel && (answer != QMessageBox::Save || live->AskAndSave());
}

QString AskAndSavePicture(QWidget* parent, const std::function<bool(const QString&, QString&)>& save, QSize size) {
    const QString path = AskForPicturePath(parent);
    if (path.isEmpty()) return {};
    QString error;
    if (!save(path, error)) {
        WarnCannotSave(parent, path, error);
        return {};
    }
    return QStringLiteral("Picture saved: %1 (%2 \u00D7 %3)").arg(QFileInfo(path).fileName()).arg(size.width()).arg(size.height());
}
