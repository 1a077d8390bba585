#include "platform/x11/pin_state.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/x11/atoms.h"

namespace platform {

namespace {

using x11::Atom;
using x11::Connection;

xcb_atom_t CompositorSelection(xcb_connection_t* connection) {
    return Atom(connection,
                QByteArray("_NET_WM_CM_S" + QByteArray::number(x11::ScreenNumber())).constData());
}

bool SelectionHasOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection),
                                      nullptr),
        &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

// Empties the input shape of the window and of the frames the window manager put it in, up to
// the root, or gives them back their default shape: the whole window, whatever its size. Not
// every window manager carries a client's input shape over to its frame: under icewm 3.3 the
// frame went on taking the clicks.
void ShapeInput(xcb_connection_t* connection, xcb_window_t window, bool empty) {
    const xcb_window_t root = x11::RootWindow(connection);
    while (window != XCB_WINDOW_NONE && window != root) {
        if (empty) {
            xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                                 XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
        } else {
            xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, window, 0, 0,
                           XCB_PIXMAP_NONE);
        }
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr),
            &std::free);
        window = tree ? tree->parent : xcb_window_t(XCB_WINDOW_NONE);
    }
}

// What a pinned window asked of its frame: an empty input shape (neither openbox 3.6 nor icewm
// 3.3 gave a new frame the empty shape its window already had), and an opacity (icewm 3.3 copies
// _NET_WM_WINDOW_OPACITY to its frame, where the compositing manager reads it, only when the
// property changes, not when it frames a window that already has it). Both are asked again each
// time the window manager puts the window into a new frame, as it does when it is shown. One
// per application.
class FramedWindows : public QObject, public QAbstractNativeEventFilter {
public:
    static FramedWindows* Get() {
        static QPointer<FramedWindows> windows;
        if (!windows) windows = new FramedWindows;
        return windows;
    }
    ~FramedWindows() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void SetClickThrough(xcb_window_t window, bool on) {
        Change(window, [on](Asked& asked) { asked.clickThrough = on; });
    }
    void SetOpacity(xcb_window_t window, uint32_t opacity) {
        Change(window, [opacity](Asked& asked) { asked.opacity = opacity; });
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_REPARENT_NOTIFY) {
            const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
            const auto asked = windows_.constFind(reparent->window);
            if (asked == windows_.constEnd()) return false;
            xcb_connection_t* connection = Connection();
            if (asked->clickThrough) ShapeInput(connection, reparent->window, true);
            if (asked->opacity != kOpaque) {
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, reparent->window,
                                    Atom(connection, "_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL,
                                    32, 1, &asked->opacity);
            }
            xcb_flush(connection);
        } else if (type == XCB_DESTROY_NOTIFY) {
            windows_.remove(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window);
        }
        return false;
    }

private:
    static constexpr uint32_t kOpaque = 0xffffffff;
    struct Asked {
        bool clickThrough = false;
        uint32_t opacity = kOpaque;
    };

    FramedWindows() : QObject(qApp) { qApp->installNativeEventFilter(this); }

    template <typename Edit>
    void Change(xcb_window_t window, Edit change) {
        Asked asked = windows_.value(window);
        change(asked);
        if (!asked.clickThrough && asked.opacity == kOpaque) {
            windows_.remove(window);
        } else {
            windows_.insert(window, asked);
        }
    }

    QHash<xcb_window_t, Asked> windows_;
};

}  // namespace

bool CompositorRunning() {
    xcb_connection_t* connection = Connection();
    return connection && SelectionHasOwner(connection, CompositorSelection(connection));
}

// Qt hands every X event to native event filters before it handles it; this one looks for the
// compositor selection's owner changes and lets everything pass.
class CompositorWatch::Filter : public QAbstractNativeEventFilter {
public:
    Filter(CompositorWatch* watch, uint8_t notifyEvent, xcb_atom_t selection)
        : watch_(watch), notifyEvent_(notifyEvent), selection_(selection) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == notifyEvent_ &&
            reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event)->selection ==
                selection_) {
            watch_->Update();
        }
        return false;
    }

private:
    CompositorWatch* watch_;
    uint8_t notifyEvent_;
    xcb_atom_t selection_;
};

CompositorWatch::CompositorWatch(QObject* parent) : QObject(parent) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) return;
    // XFixes wants its version asked before any other request (Qt asks too; asking again is
    // harmless).
    std::free(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));
    const xcb_atom_t selection = CompositorSelection(connection);
    filter_ = std::make_unique<Filter>(
        this, uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY), selection);
    QCoreApplication::instance()->installNativeEventFilter(filter_.get());
    // A new owner, and the owner's window destroyed or its client gone. The selection input is
    // left selected when the watch ends: another watch may be relying on it.
    xcb_xfixes_select_selection_input(connection, x11::RootWindow(connection), selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection);
    running_ = SelectionHasOwner(connection, selection);
}

CompositorWatch::~CompositorWatch() {
    if (filter_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
    }
}

void CompositorWatch::Update() {
    const bool running = CompositorRunning();
    if (running == running_) return;
    running_ = running;
    emit changed(running);
}

void SetOpacity(QWidget* window, double opacity) {
    window->setWindowOpacity(opacity);
    // Qt writes the property but leaves it in the connection's buffer (Qt 6.4, GLib event loop):
    // without a flush it reached the server only with the next request anything flushed.
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    // Qt's own value: the fraction of the full 32-bit range.
    FramedWindows::Get()->SetOpacity(xcb_window_t(window->winId()),
                                     uint32_t(std::llround(opacity * 0xffffffffU)));
    xcb_flush(connection);
}

void SetClickThrough(QWidget* window, bool on) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (!shape || !shape->present) return;
    const auto id = xcb_window_t(window->winId());
    ShapeInput(connection, id, on);
    FramedWindows::Get()->SetClickThrough(id, on);
    xcb_flush(connection);
}

void SetKeepAbove(QWidget* window, bool on) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t above = Atom(connection, "_NET_WM_STATE_ABOVE");
    if (window->isVisible()) {
        // Remove (0) or add (1) the one state, as asked by an application (1).
        x11::SendToWindowManager(connection, id, state, {on ? 1U : 0U, above, 0, 1});
        // icewm 3.3 takes an ABOVE state it finds at the map for the layer the window asks for,
        // and put the window back above as soon as the state was removed; the older layer hint,
        // which it also reads, changes that layer.
        const xcb_atom_t layer = Atom(connection, "_WIN_LAYER");
        const std::vector<uint32_t> older =
            x11::Property32(connection, x11::RootWindow(connection),
                            Atom(connection, "_WIN_PROTOCOLS"), XCB_ATOM_ATOM);
        if (!on && std::find(older.begin(), older.end(), layer) != older.end()) {
            constexpr uint32_t kNormalLayer = 4;
            x11::SendToWindowManager(connection, id, layer, {kNormalLayer, 0});
        }
    } else {
        std::vector<uint32_t> atoms = x11::Property32(connection, id, state, XCB_ATOM_ATOM);
        atoms.erase(std::remove(atoms.begin(), atoms.end(), above), atoms.end());
        if (on) atoms.push_back(above);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            uint32_t(atoms.size()), atoms.data());
    }
    xcb_flush(connection);
}

void SetOnAllWorkspaces(QWidget* window, bool on) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t desktop = Atom(connection, "_NET_WM_DESKTOP");
    constexpr uint32_t kAllDesktops = 0xFFFFFFFF;
    if (window->isVisible()) {
        uint32_t chosen = kAllDesktops;
        if (!on) {
            const std::vector<uint32_t> current =
                x11::Property32(connection, x11::RootWindow(connection),
                                Atom(connection, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
            chosen = current.empty() ? 0 : current.front();
        }
        x11::SendToWindowManager(connection, id, desktop, {chosen, 1});
    } else if (on) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32,
                            1, &kAllDesktops);
    } else {
        // Without the property the window manager puts the window on the workspace shown.
        xcb_delete_property(connection, id, desktop);
    }
    xcb_flush(connection);
}

}  // namespace platform
