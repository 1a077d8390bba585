#pragma once

#include <QString>

class QAction;
class QMenu;
class QMenuBar;

namespace platform {

// A menu-bar entry, with an object name that tests and accessibility tools find it by.
QMenu* AddMenu(QMenuBar* bar, const char* objectName, const QString& caption);
// An item of `menu`, named likewise; an empty caption makes a separator.
QAction* AddMenuItem(QMenu* menu, const char* objectName, const QString& caption);

// The "ﾍﾙﾌﾟ" menu every window with a menu bar has: the manual and the About box.
struct HelpMenu {
    QAction* help;
    QAction* about;
};
HelpMenu AddHelpMenu(QMenuBar* bar);

}  // namespace platform
