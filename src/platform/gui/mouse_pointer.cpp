#include "platform/mouse_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

void SetMousePointer(int pointer) {
    if (!qGuiApp) return;
    if (pointer == kBusyPointer) {
        if (!QGuiApplication::overrideCursor())
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace platform
