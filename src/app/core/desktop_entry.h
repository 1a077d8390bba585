#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The Exec value of a desktop entry that runs `command`: arguments holding a character that
// the desktop entry rules reserve are quoted, "%" is doubled, and backslashes are escaped once
// more for the value's string type. Empty when an argument holds a control character, which no
// Exec value can carry.
QString DesktopEntryExec(const QStringList& command);

}  // namespace app
