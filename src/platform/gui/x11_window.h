#pragma once

class QWidget;

namespace platform {

// Keeps a window out of the taskbar. Qt sets no such state for its windows, so it is written
// into the window's _NET_WM_STATE before the window is mapped; does nothing off X11.
void SetSkipTaskbar(QWidget* window);

}  // namespace platform
