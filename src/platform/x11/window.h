#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>

class QImage;
class QWidget;

// What the program does with its X windows beyond what Qt does: what it tells the window manager,
// and pixels it puts into a window itself. Each does nothing off X11.
namespace platform {

// Prepares a window for mapping: keeps it out of the taskbar and, unless `inSwitchers`, out of
// the pagers and of the window switchers (Alt+Tab) that follow the window's state; and names
// its class after the program (WM_CLASS "vellora", "Vellora") however the program was started,
// so that window-manager rules can find it (icewm 3.3 builds its Alt+Tab list from its rules
// and window types alone). Qt sets no taskbar or pager state for its windows, and takes the
// class's first part from the name the program was started by. Call it before every map: the
// window manager owns _NET_WM_STATE while the window is mapped.
void PrepareToMap(QWidget* window, bool inSwitchers);

// Declares the strips of a borderless window that lie off the screens (`offScreen`, in logical
// pixels) as its own invisible border (_GTK_FRAME_EXTENTS), and takes the declaration off when
// there are none. The window managers that pull a new or moved window back onto the screen
// (those of GNOME, KDE and Xfce) judge it by the rest, so that a pin stays partly off an edge
// where it was put; the others ignore it. Written before the map and before each move the
// program asks for, on the same connection, so the window manager sees it first.
void DeclarePartsOffScreen(QWidget* window, const QMargins& offScreen);

// The widths of the frame the window manager put around the mapped window (_NET_FRAME_EXTENTS);
// nullopt when it has not said.
std::optional<QMargins> FrameExtents(QWidget* window);

// Whether the window manager holds the window maximised, along either axis, or full screen: one
// of the _NET_WM_STATE_MAXIMIZED_VERT, _MAXIMIZED_HORZ or _FULLSCREEN states is in its
// _NET_WM_STATE now. Nullopt off X11 and before the native window exists.
std::optional<bool> HeldInSizeState(const QWidget* window);
// Asks the window manager to take those three states off the window.
void ReleaseSizeStates(const QWidget* window);
// The window's client rectangle as the X server has it now, in the program's logical pixels;
// nullopt off X11 and before the native window exists.
std::optional<QRect> ClientRectOnServer(const QWidget* window);
// What the X server reported about a top-level window of the program.
struct WindowReport {
    bool stateChanged = false;  // its _NET_WM_STATE changed
    // The window's new size, in logical pixels, when it came while the window was held in one of
    // the states of HeldInSizeState; empty otherwise.
    QSize sizeInState;
};
// From the first call on, `changed` is called for a top-level window of the program each time the
// X server reports a change of its _NET_WM_STATE or of its geometry. It is called as the report
// is read, in the server's order, before Qt has handled it: it may take note, not change
// windows. Only the first call's `changed` is kept; nothing happens off X11.
void WatchStateAndGeometry(void (*changed)(QWidget* window, const WindowReport& report));

// The depth of the window's native X window when it takes pixels laid out as
// QImage::Format_RGB32 unchanged: a true-colour visual of depth 24 or 32 with 8-bit red, green
// and blue where Qt keeps them, 32 bits per pixel, in this machine's byte order. Nullopt
// otherwise, off X11, and before the native window exists.
std::optional<int> Rgb32PixelDepth(const QWidget* window);
// The same for the X visual `visualId`, the root window's for instance.
std::optional<int> Rgb32VisualDepth(uint32_t visualId);
// Puts `pixels` (Format_RGB32) into the window's native X window of that `depth`, with their
// top-left corner at `at`, in device pixels. The X server draws them at once; nothing is kept
// on this side.
void PutRgb32Pixels(const QWidget* window, int depth, const QImage& pixels, QPoint at);
// The same into any X window or pixmap of that depth.
void PutRgb32Pixels(uint32_t drawable, int depth, const QImage& pixels, QPoint at);
// The pixels of `rect` of an X window or pixmap, in one request, as QImage::Format_RGB32; null
// when the server's pixels are not laid out that way, or it does not answer.
QImage GetRgb32Pixels(uint32_t drawable, const QRect& rect);
// The same of the root window of the program's X screen; null off X11.
QImage GetRootPixels(const QRect& rect);

// Moves the pointer to `device`, in the X screen's device pixels.
void WarpPointer(QPoint device);

// Whether the program talks to an X server: false on the offscreen platform and off X11.
bool OnX11Server();

}  // namespace platform
