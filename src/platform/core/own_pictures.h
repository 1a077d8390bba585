#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/core/file_path.h"

// The picture files the program writes itself: taken from the clipboard ("pasted") or from the
// screen ("captured"), in folders beside the data file that hold nothing else. These alone are
// ever deleted or moved, and only while no pin names them; a file anywhere else is the user's.
namespace platform {

// "pasted" in the data file's folder: pictures taken from the clipboard or a drop.
QString PastedFolderFor(const QString& dataFile);
// "captured" in the data file's folder: pictures taken from the screen.
QString CapturedFolderFor(const QString& dataFile);
// Both.
QStringList OwnPictureFolders(const QString& dataFile);

// Whether `file` is a regular file directly in one of `folders`, both as written and by their
// canonical paths: a symbolic link is not followed, and a folder that is a link to the user's
// pictures does not make them ours.
bool IsInFolders(const FilePath& file, const QStringList& folders);

// The canonical path of an existing file or folder, all links followed; none when it is gone.
std::optional<QByteArray> Canonical(const QByteArray& path);

}  // namespace platform
