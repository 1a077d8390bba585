#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

#include "platform/x11/server_picture.h"
#include "platform/x11/top_windows.h"

// Where the pixels of a screen capture come from: the X server's root window, or the desktop
// portal's Screenshot under a Wayland session, where an X11 grab shows other programs' windows
// black. Either gives the whole desktop frozen at one moment, for the program's own overlay; the
// portal may instead give a picture the desktop's own picker chose.
namespace capture_window {

// One monitor, frozen: its rectangle in the X screen's device pixels, the scale Qt shows it at
// (device pixels per logical pixel), and its pixels, exactly `device`'s size: here, or kept in
// the X server, where a window shows them without their crossing the connection.
struct FrozenScreen {
    QRect device;
    qreal scale = 1;
    QImage pixels;
    std::shared_ptr<const platform::ServerPicture> server;

    // The pixels of `part`, in the monitor's own device pixels, from whichever holds them.
    QImage Pixels(const QRect& part) const;
};

struct FrozenDesktop {
    QList<FrozenScreen> screens;
    // The top-level windows as they stood at the freeze, bottom-most first; none where no window
    // list can be read (the desktop portal's picture), and the outline then takes monitors alone.
    std::vector<platform::TopWindow> windows = {};

    // The pixels of `device` (device pixels of the X screen), taken from every monitor it
    // covers; what lies on none stays black. Null when the X server does not give them back.
    QImage Copy(const QRect& device) const;
    // The monitors as Qt lists them, each cut from one picture of the whole desktop whose
    // top-left is the leftmost and topmost monitor's, scaled to the monitors' device pixels when
    // the picture has another size.
    static FrozenDesktop FromWhole(const QImage& whole);
};

// One capture's source. It answers each Freeze with exactly one of its signals.
class ScreenSource : public QObject {
    Q_OBJECT
public:
    ~ScreenSource() override;
    // Takes the whole desktop's pixels, now or once the desktop has handed them over.
    virtual void Freeze() = 0;

signals:
    void frozen(const capture_window::FrozenDesktop& desktop);
    // A picture the desktop's own picker chose: pinned as it is.
    void picked(const QImage& picture);
    // Nothing was captured: `reason` says why in one line; empty when the user cancelled.
    void failed(const QString& reason);
};

// Whether the program runs in a Wayland session (through XWayland).
bool InWaylandSession();

// The root window's pixels, copied in the X server, one request per monitor. Under a compositing
// manager, a grab that comes back all black is not what the user sees: the portal is asked
// instead.
std::unique_ptr<ScreenSource> MakeX11ScreenSource();
// org.freedesktop.portal.Screenshot on the session bus: first without asking the user, and when
// that is refused, with the desktop's own picker.
std::unique_ptr<ScreenSource> MakePortalScreenSource();
// The source for this session: the portal under Wayland, else the X server.
std::unique_ptr<ScreenSource> MakeScreenSource();

}  // namespace capture_window
