#include "platform/x11_window.h"

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

xcb_connection_t* Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The 32-bit items of a window property of the given type; empty when unset.
std::vector<uint32_t> Property32(xcb_connection_t* connection, xcb_window_t window,
                                 xcb_atom_t property, xcb_atom_t type) {
    std::vector<uint32_t> items;
    xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, type, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (reply && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        items.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return items;
}

void AddStates(xcb_connection_t* connection, xcb_window_t window,
               const std::vector<const char*>& names) {
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    if (state == XCB_ATOM_NONE) return;
    // Qt merges its own states into whatever the property holds when it maps the window.
    std::vector<uint32_t> atoms = Property32(connection, window, state, XCB_ATOM_ATOM);
    for (const char* name : names) {
        const xcb_atom_t atom = Atom(connection, name);
        if (atom != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) {
            atoms.push_back(atom);
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.data());
}

void SetClass(xcb_connection_t* connection, xcb_window_t window) {
    // Instance and class, each ended by a NUL: "vellora\0Vellora\0".
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    const QByteArray value = name.toLower() + '\0' + name + '\0';
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, uint32_t(value.size()), value.constData());
}

}  // namespace

void PrepareToMap(QWidget* window, bool inSwitchers) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    const auto id = xcb_window_t(window->winId());
    std::vector<const char*> states{"_NET_WM_STATE_SKIP_TASKBAR"};
    if (!inSwitchers) {
        // Pagers and most switchers follow SKIP_PAGER; KWin's switcher has a state of its own.
        states.push_back("_NET_WM_STATE_SKIP_PAGER");
        states.push_back("_KDE_NET_WM_STATE_SKIP_SWITCHER");
    }
    AddStates(connection, id, states);
    if (!QCoreApplication::applicationName().isEmpty()) SetClass(connection, id);
    xcb_flush(connection);
}

std::optional<QMargins> FrameExtents(QWidget* window) {
    xcb_connection_t* connection = Connection();
    if (!connection || !window->internalWinId()) return std::nullopt;
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    if (extents == XCB_ATOM_NONE) return std::nullopt;
    const std::vector<uint32_t> widths =
        Property32(connection, xcb_window_t(window->internalWinId()), extents, XCB_ATOM_CARDINAL);
    if (widths.size() != 4) return std::nullopt;
    // Left, right, top, bottom.
    return QMargins(int(widths[0]), int(widths[2]), int(widths[1]), int(widths[3]));
}

}  // namespace platform
