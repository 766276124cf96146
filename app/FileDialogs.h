#pragma once
#include <QSize>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

/// "Open recording": asks for a recording of any format the program reads,
/// starting in the folder of `last` (the recording opened before, or empty).
/// Returns the path chosen, or empty.
QString AskForRecording(QWidget* parent, const QString& last);

/// "Save picture": asks where to save the raster as PNG. Returns the path
/// (with ".png" added to a name chosen without an extension), or empty.
QString AskForPicturePath(QWidget* parent);
/// `path` with ".png" added when its file name has no extension.
QString WithPngExtension(const QString& path);

/// "Save picture...": asks for the path, saves through `save` (false with
/// the reason in its second argument: then the warning below), and returns
/// the status that says so, "Picture saved: NAME (W × H)" for a raster
/// of `size`; empty when nothing was saved.
QString AskAndSavePicture(QWidget* parent, const std::function<bool(const QString&, QString&)>& save, QSize size);

/// The warning that the picture could not be saved at `path` for `reason`.
void WarnCannotSave(QWidget* parent, const QString& path, const QString& reason);

/// The file dropped on the window: the first of the dropped addresses when
/// it is a local file, else empty.
QString DroppedFile(const QMimeData* data);

class CLiveTextDlg;
/// Before the window ends: when the live text (`live`, or null) holds text
/// not saved, asks whether to save it (Save, Discard, Cancel). Returns
/// whether the window may end (false on Cancel or a save not made).
bool MayEndWithLiveText(QWidget* parent, CLiveTextDlg* live);
