#include "platform/gui/screen_capture.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cstdlib>

#include "platform/gui/portal_screenshot.h"
#include "platform/gui/x11_atoms.h"

namespace platform {

namespace {

// Every monitor as Qt lists it, in the X screen's device pixels. Qt keeps a monitor's top-left
// as the X server has it and divides only its size by the scale.
QList<FrozenScreen> Monitors() {
    QList<FrozenScreen> monitors;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const qreal scale = screen->devicePixelRatio();
        const QRect logical = screen->geometry();
        monitors.append(
            {QRect(logical.topLeft(), (QSizeF(logical.size()) * scale).toSize()), scale, {}});
    }
    return monitors;
}

QRect Union(const QList<FrozenScreen>& screens) {
    QRect all;
    for (const FrozenScreen& screen : screens) all |= screen.device;
    return all;
}

// --- X11 -------------------------------------------------------------------------------------

// The pixels of `rect` of the root window in one request; null when the server's format is not
// 32 bits a pixel in the host's byte order.
QImage GrabRoot(xcb_connection_t* connection, const QRect& rect) {
    const xcb_window_t root = x11::RootWindow(connection);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(rect.x()),
                      int16_t(rect.y()), uint16_t(rect.width()), uint16_t(rect.height()), ~0U),
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

bool CompositorRunning(xcb_connection_t* connection) {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(x11::ScreenNumber());
    const xcb_atom_t atom = x11::Atom(connection, name.constData());
    if (atom == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

// Whether every pixel is black: a compositing manager's screen that the root window does not
// show.
bool AllBlack(const FrozenDesktop& desktop) {
    for (const FrozenScreen& screen : desktop.screens) {
        const QImage& image = screen.pixels;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((row[x] & 0xffffffU) != 0) return false;
            }
        }
    }
    return true;
}

class X11ScreenSource : public ScreenSource {
public:
    void Freeze() override {
        xcb_connection_t* connection = x11::Connection();
        if (!connection) {
            emit failed(QStringLiteral("the screen cannot be captured: no X display"));
            return;
        }
        FrozenDesktop desktop{Monitors()};
        for (FrozenScreen& screen : desktop.screens) {
            screen.pixels = GrabRoot(connection, screen.device);
            if (screen.pixels.isNull()) {
                emit failed(QStringLiteral("the X server gave no picture of the screen"));
                return;
            }
        }
        if (!CompositorRunning(connection) || !AllBlack(desktop)) {
            emit frozen(desktop);
            return;
        }
        // The compositing manager draws somewhere the root window does not show: the desktop
        // portal, where there is one, gives what the user sees; else the grab is all there is.
        portal_ = MakePortalScreenSource();
        connect(portal_.get(), &ScreenSource::frozen, this, &ScreenSource::frozen);
        connect(portal_.get(), &ScreenSource::picked, this, &ScreenSource::picked);
        connect(portal_.get(), &ScreenSource::failed, this, [this, desktop](const QString& reason) {
            if (reason.isEmpty()) {
                emit failed(reason);
            } else {
                emit frozen(desktop);
            }
        });
        portal_->Freeze();
    }

private:
    std::unique_ptr<ScreenSource> portal_;
};

}  // namespace

ScreenSource::~ScreenSource() = default;

QImage FrozenDesktop::Copy(const QRect& device) const {
    QImage copy(device.size(), QImage::Format_RGB32);
    copy.fill(Qt::black);
    QPainter painter(&copy);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const FrozenScreen& screen : screens) {
        const QRect part = screen.device & device;
        if (part.isEmpty()) continue;
        painter.drawImage(part.topLeft() - device.topLeft(), screen.pixels,
                          part.translated(-screen.device.topLeft()));
    }
    return copy;
}

FrozenDesktop FrozenDesktop::FromWhole(const QImage& whole) {
    FrozenDesktop desktop{Monitors()};
    const QRect all = Union(desktop.screens);
    const QImage pixels = whole.convertToFormat(QImage::Format_RGB32);
    const qreal sx = all.width() > 0 ? qreal(whole.width()) / all.width() : 1;
    const qreal sy = all.height() > 0 ? qreal(whole.height()) / all.height() : 1;
    for (FrozenScreen& screen : desktop.screens) {
        const QRect at = screen.device.translated(-all.topLeft());
        const QRect from(qRound(at.x() * sx), qRound(at.y() * sy), qRound(at.width() * sx),
                         qRound(at.height() * sy));
        screen.pixels = pixels.copy(from);
        if (screen.pixels.size() != screen.device.size()) {
            screen.pixels = screen.pixels.scaled(screen.device.size(), Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation);
        }
    }
    return desktop;
}

bool InWaylandSession() {
    const QByteArray type = qgetenv("XDG_SESSION_TYPE");
    return type == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::unique_ptr<ScreenSource> MakeX11ScreenSource() {
    return std::make_unique<X11ScreenSource>();
}

std::unique_ptr<ScreenSource> MakePortalScreenSource() {
    return std::make_unique<PortalScreenSource>();
}

std::unique_ptr<ScreenSource> MakeScreenSource() {
    return InWaylandSession() ? MakePortalScreenSource() : MakeX11ScreenSource();
}

}  // namespace platform
