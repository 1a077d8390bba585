#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/core/file_path.h"

// The picture files the program writes itself: taken from the clipboard ("pasted") or from the
// screen ("captured"), in folders beside the data file that hold nothing else (see
// store::DataFolder). These alone are ever deleted or moved, and only while no pin names them; a
// file anywhere else is the user's.
namespace platform {

// Whether `file` is a regular file directly in one of `folders`, both as written and by their
// canonical paths, and that folder is itself a folder: a symbolic link is not followed, and a
// folder that is a link to the user's pictures does not make them ours.
bool IsInFolders(const FilePath& file, const QStringList& folders);

// The canonical path of an existing file or folder, all links followed; none when it is gone.
std::optional<QByteArray> Canonical(const QByteArray& path);

}  // namespace platform
