#pragma once

// Choosing and reaching the window system, before the application object exists.
namespace platform {

// Windows are placed where the data file says, which a native Wayland client cannot do: under
// Wayland, as on X11, the program runs on X (through XWayland). An explicit QT_QPA_PLATFORM is
// kept.
void ChooseWindowSystem();

// Whether the X display can be reached. Qt aborts when it cannot reach the X server; a caller
// that asks first can say so plainly and exit. Always true for a platform other than xcb.
bool DisplayReachable();

}  // namespace platform
