#pragma once

#include <QMargins>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

// The top-level windows on the screen, as a capture aims at them: each one's rectangle with the
// window manager's frame and without it, bottom-most first, read once when the screen freezes.
namespace platform {

// What the X server says of one top-level window, in its device pixels.
struct TopWindowFacts {
    uint32_t id = 0;
    QRect client;                          // the client window, where it is on the screen
    std::optional<QMargins> frame;         // _NET_FRAME_EXTENTS: the window manager's frame
    std::optional<QMargins> drawnShadows;  // _GTK_FRAME_EXTENTS: shadows the client draws itself
    bool viewable = true;                  // mapped, with its ancestors
    bool hidden = false;                   // _NET_WM_STATE_HIDDEN: minimised, or shaded away
    // _NET_WM_DESKTOP; 0xFFFFFFFF is every workspace, nullopt when unset.
    std::optional<uint32_t> workspace = std::nullopt;
};

// A window as the user sees it: with the frame around it, and its client area alone, neither
// holding the shadows a client draws for itself.
struct TopWindow {
    uint32_t id = 0;
    QRect framed;
    QRect client;
    bool operator==(const TopWindow&) const = default;
};

// The windows of `facts` (bottom-most first) a capture can aim at, in the same order: those
// mapped, not minimised, on the workspace `current` (or on every one; all count when the window
// manager names none), and with pixels left once the drawn shadows are taken off.
std::vector<TopWindow> ShownWindows(const std::vector<TopWindowFacts>& facts,
                                    std::optional<uint32_t> current);

// The topmost of `windows` (bottom-most first) whose frame holds `point`; null when none does.
const TopWindow* TopmostAt(const std::vector<TopWindow>& windows, QPoint point);

// The top-level windows of the program's X screen, bottom-most first: the window manager's
// stacking list, or the root's mapped children when no window manager keeps one. Nullopt off
// X11 and when no window list can be read.
std::optional<std::vector<TopWindow>> ReadTopWindows();

}  // namespace platform
