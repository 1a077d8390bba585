#pragma once

#include <QString>
#include <functional>

class QWidget;

// The help viewer. Linux has no classic help viewer, so the file is handed to whatever the
// desktop opens such files with.
namespace platform {

inline constexpr unsigned kHelpContents = 3;  // show the contents topic of the help file

// Finds `helpFile` by its bare name (the current folder, then the program's own folder) and
// opens it with the desktop's handler. When the file is missing or nothing opens it, says so
// in a short message box owned by `owner`. Returns whether the viewer was started.
bool WinHelp(QWidget* owner, const QString& helpFile, unsigned command, unsigned long data);

// Where the help file is looked for, in order; empty when it is nowhere.
QString FindHelpFile(const QString& helpFile);

// Replaces the desktop's handler with `opener`, which receives the help file's absolute path and
// returns whether a viewer started; an empty function puts the desktop's handler back.
void SetHelpOpenerForTests(std::function<bool(const QString& path)> opener);

}  // namespace platform
