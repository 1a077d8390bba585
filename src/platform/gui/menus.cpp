#include "platform/gui/menus.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

namespace platform {

QMenu* AddMenu(QMenuBar* bar, const char* objectName, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(objectName));
    return menu;
}

QAction* AddMenuItem(QMenu* menu, const char* objectName, const QString& caption) {
    QAction* item = caption.isEmpty() ? menu->addSeparator() : menu->addAction(caption);
    item->setObjectName(QLatin1String(objectName));
    return item;
}

HelpMenu AddHelpMenu(QMenuBar* bar) {
    QMenu* menu =
        AddMenu(bar, "helpMenu", QCoreApplication::translate("platform::HelpMenu", "ﾍﾙﾌﾟ"));
    return {AddMenuItem(menu, "help",
                        QCoreApplication::translate("platform::HelpMenu", "Velloraﾍﾙﾌﾟ...")),
            AddMenuItem(menu, "about",
                        QCoreApplication::translate("platform::HelpMenu", "Velloraについて..."))};
}

}  // namespace platform
