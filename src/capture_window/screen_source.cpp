#include "capture_window/screen_source.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cstdlib>

#include "capture_window/portal_screenshot.h"
#include "platform/x11/pin_state.h"
#include "platform/x11/window.h"

namespace capture_window {

namespace {

// Every monitor as Qt lists it, in the X screen's device pixels. Qt keeps a monitor's top-left
// as the X server has it and divides only its size by the scale.
QList<FrozenScreen> Monitors() {
    QList<FrozenScreen> monitors;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const qreal scale = screen->devicePixelRatio();
        const QRect logical = screen->geometry();
        monitors.append(
            {QRect(logical.topLeft(), (QSizeF(logical.size()) * scale).toSize()), scale, {}, {}});
    }
    return monitors;
}

QRect Union(const QList<FrozenScreen>& screens) {
    QRect all;
    for (const FrozenScreen& screen : screens) all |= screen.device;
    return all;
}

bool Black(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0xffffffU) != 0) return false;
        }
    }
    return true;
}

// Whether the grab is all black: a compositing manager's screen that the root window does not
// show. A frame kept in the X server is judged by rows spread over it, fetched for this alone.
bool AllBlack(const FrozenDesktop& desktop) {
    constexpr int kSampledRows = 16;
    for (const FrozenScreen& screen : desktop.screens) {
        if (!screen.server) {
            if (!Black(screen.pixels)) return false;
            continue;
        }
        const QSize size = screen.device.size();
        for (int i = 0; i < kSampledRows; ++i) {
            const QRect row(0, size.height() * i / kSampledRows, size.width(), 1);
            if (!Black(screen.Pixels(row))) return false;
        }
    }
    return true;
}

class X11ScreenSource : public ScreenSource {
public:
    void Freeze() override {
        if (!platform::OnX11Server()) {
            emit failed(QStringLiteral("the screen cannot be captured: no X display"));
            return;
        }
        FrozenDesktop desktop{Monitors()};
        for (FrozenScreen& screen : desktop.screens) {
            screen.server = platform::ServerPicture::FromRoot(screen.device);
            // Where the server keeps no copy, the pixels come here.
            if (!screen.server) {
                screen.pixels = platform::GetRootPixels(screen.device);
            }
            if (!screen.server && screen.pixels.isNull()) {
                emit failed(QStringLiteral("the X server gave no picture of the screen"));
                return;
            }
        }
        // Read at once, as they stood when the pixels were taken.
        desktop.windows = platform::ReadTopWindows().value_or(std::vector<platform::TopWindow>());
        if (!platform::CompositorRunning() || !AllBlack(desktop)) {
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

QImage FrozenScreen::Pixels(const QRect& part) const {
    if (!pixels.isNull() || !server) return pixels.copy(part);
    return server->Read(part);
}

QImage FrozenDesktop::Copy(const QRect& device) const {
    // Within one monitor, as a capture mostly is: its pixels as they come.
    for (const FrozenScreen& screen : screens) {
        if (screen.device.contains(device)) {
            return screen.Pixels(device.translated(-screen.device.topLeft()));
        }
    }
    QImage copy(device.size(), QImage::Format_RGB32);
    copy.fill(Qt::black);
    QPainter painter(&copy);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const FrozenScreen& screen : screens) {
        const QRect part = screen.device & device;
        if (part.isEmpty()) continue;
        const QImage pixels = screen.Pixels(part.translated(-screen.device.topLeft()));
        if (pixels.isNull()) return {};
        painter.drawImage(part.topLeft() - device.topLeft(), pixels);
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

}  // namespace capture_window
