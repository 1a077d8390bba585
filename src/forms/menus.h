#pragma once

#include <QString>

class QAction;
class QMenu;
class QMenuBar;

namespace forms {

// A menu-bar entry, named as the window's menu table names it.
QMenu* AddMenu(QMenuBar* bar, const char* objectName, const QString& caption);
// An item of `menu`, named as the menu table names it; an empty caption makes a separator.
QAction* AddMenuItem(QMenu* menu, const char* objectName, const QString& caption);

}  // namespace forms
