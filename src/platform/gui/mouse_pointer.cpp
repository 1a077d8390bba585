#include "platform/gui/mouse_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

// Qt keeps override cursors on a stack: nested busy pointers each take their own place on it.
BusyPointer::BusyPointer() {
    if (qGuiApp) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyPointer::~BusyPointer() {
    if (qGuiApp) QGuiApplication::restoreOverrideCursor();
}

}  // namespace platform
