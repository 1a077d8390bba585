#pragma once

#include <QMargins>
#include <optional>

class QWidget;

// What the program tells the X window manager about its windows beyond what Qt does. Each does
// nothing off X11.
namespace platform {

// Prepares a window for mapping: keeps it out of the taskbar and, unless `inSwitchers`, out of
// the pagers and of the window switchers (Alt+Tab) that follow the window's state; and names
// its class after the program (WM_CLASS "vellora", "Vellora") however the program was started,
// so that window-manager rules can find it (icewm 3.3 builds its Alt+Tab list from its rules
// and window types alone). Qt sets no taskbar or pager state for its windows, and takes the
// class's first part from the name the program was started by. Call it before every map: the
// window manager owns _NET_WM_STATE while the window is mapped.
void PrepareToMap(QWidget* window, bool inSwitchers);

// The widths of the frame the window manager put around the mapped window (_NET_FRAME_EXTENTS);
// nullopt when it has not said.
std::optional<QMargins> FrameExtents(QWidget* window);

}  // namespace platform
