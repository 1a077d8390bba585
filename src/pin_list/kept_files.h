#pragma once

#include <QStringList>
#include <optional>

#include "platform/core/file_path.h"

// The picture files the program made itself (pasted and captured pictures, in their folders
// beside the data file), which wait in the folder "removed" while their pin is in the recently
// removed list. Files anywhere else are never moved or deleted.
namespace pin_list {

// The folders beside the data file whose files the program made: "pasted" and "captured".
QStringList KeptFolders(const QString& dataFile);

// Whether `file` is a regular file directly in one of `folders`, both as written and by their
// canonical paths: a symbolic link is not followed, and a folder that is a link to the user's
// pictures does not make them ours.
bool IsInFolders(const platform::FilePath& file, const QStringList& folders);

// A second name for the file in `folder` (made when missing): its own name, or one with a number
// added when that is taken by another file. The same file when `folder` already has it by that
// name. None when it cannot be made.
std::optional<platform::FilePath> LinkInto(const platform::FilePath& file, const QString& folder,
                                           const QByteArray& name);

// Removes the name; whether it went.
bool RemoveName(const platform::FilePath& file);

}  // namespace pin_list
