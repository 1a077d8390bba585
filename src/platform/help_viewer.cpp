#include "platform/help_viewer.h"

// Placeholder: filled in with the help commands.
namespace platform {

bool WinHelp(QWidget*, const QString&, unsigned, unsigned long) { return false; }
QString FindHelpFile(const QString&) { return {}; }

}  // namespace platform
