#pragma once

#include <QString>
#include <functional>

// The help viewer. Linux has no classic help viewer, so a help file is handed to whatever the
// desktop opens such files with.
namespace platform {

// Hands a file to a viewer; returns whether one started.
using FileOpener = std::function<bool(const QString& path)>;

// The desktop's handler for the file's type.
bool OpenWithDesktop(const QString& path);

// Where the help file is looked for, in order: the current folder, then the program's own
// folder; empty when it is nowhere.
QString FindHelpFile(const QString& helpFile);

// Finds `helpFile` by its bare name and hands its absolute path to `open`, which shows it from
// its beginning, where its contents are. Returns whether a viewer started: false when the file
// is nowhere or `open` failed.
bool OpenHelpFile(const FileOpener& open, const QString& helpFile);

}  // namespace platform
