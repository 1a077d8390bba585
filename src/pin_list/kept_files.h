#pragma once

#include <optional>

#include "platform/core/file_path.h"

// The program's own picture files (see platform/core/own_pictures.h) wait in the folder
// "removed" while their pin is in the recently removed list: a second name there first, the old
// one removed after.
namespace pin_list {

// A second name for the file in `folder` (made when missing): its own name, or one with a number
// added when that is taken by another file. The same file when `folder` already has it by that
// name. None when it cannot be made.
std::optional<platform::FilePath> LinkInto(const platform::FilePath& file, const QString& folder,
                                           const QByteArray& name);

// Whether `name` is one LinkInto gives a file named `original`: that name, or it with a number.
bool IsKeptName(const QByteArray& name, const QByteArray& original);

// Removes the name; whether it went.
bool RemoveName(const platform::FilePath& file);

}  // namespace pin_list
