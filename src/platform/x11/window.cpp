#include "platform/x11/window.h"

#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QSysInfo>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/x11/atoms.h"

namespace platform {

namespace {

using x11::Atom;
using x11::Connection;
using x11::Property32;

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

void DeclarePartsOffScreen(QWidget* window, const QMargins& offScreen) {
    xcb_connection_t* connection = Connection();
    if (!connection || !window->internalWinId()) return;
    const auto id = xcb_window_t(window->internalWinId());
    const xcb_atom_t extents = Atom(connection, "_GTK_FRAME_EXTENTS");
    if (extents == XCB_ATOM_NONE) return;
    if (offScreen.isNull()) {
        xcb_delete_property(connection, id, extents);
        return;
    }
    // Left, right, top, bottom, in the X server's pixels.
    const qreal ratio = window->devicePixelRatioF();
    const uint32_t widths[] = {
        uint32_t(qRound(offScreen.left() * ratio)), uint32_t(qRound(offScreen.right() * ratio)),
        uint32_t(qRound(offScreen.top() * ratio)), uint32_t(qRound(offScreen.bottom() * ratio))};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, extents, XCB_ATOM_CARDINAL, 32, 4,
                        widths);
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

namespace {

// The atoms of the states that give the window manager a say over the window's size.
struct SizeStateAtoms {
    xcb_atom_t state = XCB_ATOM_NONE;
    xcb_atom_t vertical = XCB_ATOM_NONE;
    xcb_atom_t horizontal = XCB_ATOM_NONE;
    xcb_atom_t fullScreen = XCB_ATOM_NONE;
};

// Interned once: the program has one X connection.
const SizeStateAtoms& SizeAtoms(xcb_connection_t* connection) {
    static const SizeStateAtoms atoms{Atom(connection, "_NET_WM_STATE"),
                                      Atom(connection, "_NET_WM_STATE_MAXIMIZED_VERT"),
                                      Atom(connection, "_NET_WM_STATE_MAXIMIZED_HORZ"),
                                      Atom(connection, "_NET_WM_STATE_FULLSCREEN")};
    return atoms;
}

bool HoldsSizeState(xcb_connection_t* connection, xcb_window_t window) {
    const SizeStateAtoms& atoms = SizeAtoms(connection);
    const std::vector<uint32_t> states = Property32(connection, window, atoms.state, XCB_ATOM_ATOM);
    return std::any_of(states.begin(), states.end(), [&](uint32_t atom) {
        return atom != XCB_ATOM_NONE &&
               (atom == atoms.vertical || atom == atoms.horizontal || atom == atoms.fullScreen);
    });
}

// Sees the X server's reports as they are read, before Qt turns them into events. Qt reports a
// window's state only when both maximised states are set, keeps back a report equal to the last
// one it made, raises no move or resize event for a configure that matches the rectangle last
// asked for, and may deliver a configure after work queued since it was read. The server's own
// notifications come for every change, in the server's order.
class StateAndGeometryWatcher final : public QAbstractNativeEventFilter {
public:
    StateAndGeometryWatcher(xcb_connection_t* connection,
                            void (*changed)(QWidget*, const WindowReport&))
        : connection_(connection), state_(SizeAtoms(connection).state), changed_(changed) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t window = XCB_WINDOW_NONE;
        QSize size;
        WindowReport report;
        switch (event->response_type & 0x7f) {
            case XCB_PROPERTY_NOTIFY: {
                const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                if (notify->atom != state_) return false;
                window = notify->window;
                report.stateChanged = true;
                // Read as the report comes: the configures after it are judged by it, though Qt
                // may deliver them after the state has gone again.
                if (HoldsSizeState(connection_, window)) {
                    held_.insert(window);
                } else {
                    held_.remove(window);
                }
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto* configure =
                    reinterpret_cast<const xcb_configure_notify_event_t*>(event);
                window = configure->window;
                if (held_.contains(window)) size = QSize(configure->width, configure->height);
                break;
            }
            default:
                return false;
        }
        QWidget* widget = QWidget::find(WId(window));
        if (!widget || !widget->isWindow()) return false;
        if (!size.isEmpty()) {
            const qreal ratio = widget->devicePixelRatioF();
            report.sizeInState = QSize(qRound(size.width() / ratio), qRound(size.height() / ratio));
        }
        changed_(widget, report);
        return false;
    }

private:
    xcb_connection_t* connection_;
    xcb_atom_t state_;
    void (*changed_)(QWidget*, const WindowReport&);
    // The windows whose _NET_WM_STATE held a size state when it last changed.
    QSet<xcb_window_t> held_;
};

}  // namespace

std::optional<bool> HeldInSizeState(const QWidget* window) {
    xcb_connection_t* connection = Connection();
    if (!connection || !window->internalWinId()) return std::nullopt;
    return HoldsSizeState(connection, xcb_window_t(window->internalWinId()));
}

void ReleaseSizeStates(const QWidget* window) {
    xcb_connection_t* connection = Connection();
    if (!connection || !window->internalWinId()) return;
    const auto id = xcb_window_t(window->internalWinId());
    const SizeStateAtoms& atoms = SizeAtoms(connection);
    if (atoms.state == XCB_ATOM_NONE) return;
    // A message names at most two states: 0 removes them, 1 says an application asks.
    for (const auto& [first, second] : {std::pair(atoms.vertical, atoms.horizontal),
                                        std::pair(atoms.fullScreen, xcb_atom_t(XCB_ATOM_NONE))}) {
        x11::SendToWindowManager(connection, id, atoms.state, {0, first, second, 1});
    }
    xcb_flush(connection);
}

std::optional<QRect> ClientRectOnServer(const QWidget* window) {
    xcb_connection_t* connection = Connection();
    if (!connection || !window->internalWinId()) return std::nullopt;
    const auto id = xcb_window_t(window->internalWinId());
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    if (!geometry) return std::nullopt;
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr),
        &std::free);
    if (!origin) return std::nullopt;
    const qreal ratio = window->devicePixelRatioF();
    return QRect(qRound(origin->dst_x / ratio), qRound(origin->dst_y / ratio),
                 qRound(geometry->width / ratio), qRound(geometry->height / ratio));
}

void WatchStateAndGeometry(void (*changed)(QWidget* window, const WindowReport& report)) {
    static bool watching = false;
    xcb_connection_t* connection = Connection();
    if (watching || !connection) return;
    watching = true;
    // For the rest of the process; its destructor takes it off the event dispatcher, if any.
    static StateAndGeometryWatcher watcher(connection, changed);
    qGuiApp->installNativeEventFilter(&watcher);
}

namespace {

// The true-colour visual `id` on any screen of the connection, with its depth; null when none.
const xcb_visualtype_t* FindVisual(xcb_connection_t* connection, xcb_visualid_t id,
                                   uint8_t* depth) {
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection)); screens.rem;
         xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id != id) continue;
                *depth = depths.data->depth;
                return visuals.data;
            }
        }
    }
    return nullptr;
}

bool ZPixmapsAre32Bit(xcb_connection_t* connection, uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const uint8_t hostOrder = QSysInfo::ByteOrder == QSysInfo::LittleEndian
                                  ? XCB_IMAGE_ORDER_LSB_FIRST
                                  : XCB_IMAGE_ORDER_MSB_FIRST;
    if (setup->image_byte_order != hostOrder) return false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        if (formats.data->depth == depth) return formats.data->bits_per_pixel == 32;
    }
    return false;
}

}  // namespace

std::optional<int> Rgb32VisualDepth(uint32_t visualId) {
    xcb_connection_t* connection = Connection();
    if (!connection) return std::nullopt;
    uint8_t depth = 0;
    const xcb_visualtype_t* visual = FindVisual(connection, visualId, &depth);
    const bool takes = visual && (depth == 24 || depth == 32) &&
                       (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                        visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR) &&
                       visual->red_mask == 0xff0000 && visual->green_mask == 0x00ff00 &&
                       visual->blue_mask == 0x0000ff && ZPixmapsAre32Bit(connection, depth);
    if (!takes) return std::nullopt;
    return depth;
}

std::optional<int> Rgb32PixelDepth(const QWidget* window) {
    xcb_connection_t* connection = Connection();
    if (!connection || !window->internalWinId()) return std::nullopt;
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(
            connection,
            xcb_get_window_attributes(connection, xcb_window_t(window->internalWinId())), nullptr),
        &std::free);
    if (!attributes) return std::nullopt;
    return Rgb32VisualDepth(attributes->visual);
}

void PutRgb32Pixels(const QWidget* window, int depth, const QImage& pixels, QPoint at) {
    PutRgb32Pixels(uint32_t(window->internalWinId()), depth, pixels, at);
}

void PutRgb32Pixels(uint32_t drawable, int depth, const QImage& pixels, QPoint at) {
    xcb_connection_t* connection = Connection();
    const auto id = xcb_drawable_t(drawable);
    if (!connection || !id || pixels.isNull() || pixels.format() != QImage::Format_RGB32) return;
    // The server's default graphics context: no clipping, every plane written.
    const xcb_gcontext_t context = xcb_generate_id(connection);
    xcb_create_gc(connection, context, id, 0, nullptr);
    // A request holds at most the server's maximum length (with the big-requests extension,
    // which xcb uses when the server has it): the rows go in bands that fit.
    const size_t rowBytes = size_t(pixels.width()) * 4;
    const size_t maxBytes = size_t(xcb_get_maximum_request_length(connection)) * 4 - 64;
    const int bandRows = std::max(1, int(maxBytes / rowBytes));
    for (int top = 0; top < pixels.height(); top += bandRows) {
        const int rows = std::min(bandRows, pixels.height() - top);
        // Rows of a QImage may be padded; the request wants them packed.
        const QImage band = pixels.bytesPerLine() == qsizetype(rowBytes)
                                ? QImage()
                                : pixels.copy(0, top, pixels.width(), rows);
        const uint8_t* data = band.isNull() ? pixels.constScanLine(top) : band.constBits();
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, id, context, uint16_t(pixels.width()),
                      uint16_t(rows), int16_t(at.x()), int16_t(at.y() + top), 0, uint8_t(depth),
                      uint32_t(rowBytes * size_t(rows)), data);
    }
    xcb_free_gc(connection, context);
    xcb_flush(connection);
}

QImage GetRgb32Pixels(uint32_t drawable, const QRect& rect) {
    xcb_connection_t* connection = Connection();
    if (!connection || rect.isEmpty()) return {};
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_drawable_t(drawable),
                      int16_t(rect.x()), int16_t(rect.y()), uint16_t(rect.width()),
                      uint16_t(rect.height()), ~0U),
        nullptr);
    if (!reply) return {};
    const int length = xcb_get_image_data_length(reply);
    if ((reply->depth != 24 && reply->depth != 32) ||
        qint64(length) != qint64(rect.width()) * rect.height() * 4) {
        std::free(reply);
        return {};
    }
    // The reply's own bytes, without a copy: Qt draws and encodes a 32-bit RGB picture as
    // opaque whatever its unused byte holds.
    return QImage(
        xcb_get_image_data(reply), rect.width(), rect.height(), rect.width() * 4,
        QImage::Format_RGB32, [](void* data) { std::free(data); }, reply);
}

QImage GetRootPixels(const QRect& rect) {
    xcb_connection_t* connection = Connection();
    return connection ? GetRgb32Pixels(x11::RootWindow(connection), rect) : QImage();
}

void WarpPointer(QPoint device) {
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    xcb_warp_pointer(connection, XCB_WINDOW_NONE, x11::RootWindow(connection), 0, 0, 0, 0,
                     int16_t(device.x()), int16_t(device.y()));
    xcb_flush(connection);
}

bool OnX11Server() {
    return Connection() != nullptr;
}

}  // namespace platform
