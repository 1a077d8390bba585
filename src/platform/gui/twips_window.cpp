#include "platform/gui/twips_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/core/screen_edges.h"
#include "platform/core/twips.h"
#include "platform/x11/window.h"

namespace platform {

namespace {

// The rectangle moved onto the screen nearest to it when it overlaps no screen at all.
QRect OntoNearestScreen(const QRect& rect) {
    QList<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append({screen->geometry(), screen->availableGeometry()});
    }
    return OntoNearestScreen(rect, screens);
}

}  // namespace

// Follows which of the program's windows has the input focus, so that a window learns when the
// focus moves from it to another window of the program. Focus leaving for another program, or
// for a menu or message box of ours, is not a loss in that sense.
class FocusTracker : public QObject {
public:
    // One per process, owned by the application object: the focus window belongs to the
    // application as a whole, not to any one window.
    static void Install() {
        static FocusTracker* tracker = nullptr;
        if (tracker || !qGuiApp) return;
        tracker = new FocusTracker(qGuiApp);
        QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, tracker,
                         [](QWindow* window) { tracker->FocusMovedTo(window); });
    }

private:
    using QObject::QObject;

    void FocusMovedTo(QWindow* window) {
        // No window of ours has the focus: another program's has, or a grab holds it.
        if (!window) return;
        TwipsWindow* form = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            // Widgets never shown have no window; `window` is never null here.
            if (widget->windowHandle() == window) form = qobject_cast<TwipsWindow*>(widget);
        }
        if (!form) return;
        QPointer<TwipsWindow> previous = last_;
        last_ = form;
        if (previous && previous != form && previous->Loaded() && previous->isVisible()) {
            previous->OnFocusMovedToOtherWindow();
        }
    }

    QPointer<TwipsWindow> last_;
};

namespace {

// The area below the menu bar. In a window drawn on screen Qt asks it for a paint engine of its
// own, which it does not have; the window draws it.
class ClientAreaWidget final : public QWidget {
public:
    using QWidget::QWidget;
    QPaintEngine* paintEngine() const override { return nullptr; }
};

}  // namespace

// What the maximise refusal sees of this window.
class TwipsWindow::RefusalView final : public MaximiseRefusal::Window {
public:
    explicit RefusalView(TwipsWindow& window) : window_(window) {}

    bool Visible() const override { return window_.isVisible(); }
    bool InSizeState() const override {
        // On X11 the window's _NET_WM_STATE as it is now: Qt's state lags behind it, leaves out
        // a window maximised along one axis only, and stays silent when a state comes back
        // before Qt has seen it go.
        if (const std::optional<bool> held = HeldInSizeState(&window_)) return *held;
        return window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    }
    QRect Outer() const override { return window_.outer_; }
    void PutBack(const QRect& outer) override { window_.SetOuter(outer, true); }
    QRect Client() const override { return window_.geometry(); }
    QRect ClientOnServer() const override {
        return ClientRectOnServer(&window_).value_or(window_.geometry());
    }
    QRect WantedClient() const override {
        return window_.WidgetRectFor(window_.DisplayedOuterPixels());
    }
    void DropSizeStates() override {
        window_.setWindowState(window_.windowState() &
                               ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        ReleaseSizeStates(&window_);
    }
    void AskForWanted() override { window_.ApplyGeometry(); }
    QList<QSize> ScreenSizes() const override {
        QList<QSize> sizes;
        for (const QScreen* screen : QGuiApplication::screens()) {
            sizes.append(screen->geometry().size());
        }
        return sizes;
    }

private:
    TwipsWindow& window_;
};

TwipsWindow::TwipsWindow(Qt::WindowFlags flags, Sizing sizing)
    : QWidget(nullptr, flags),
      sizing_(sizing),
      client_(new ClientAreaWidget(this)),
      refusalView_(std::make_unique<RefusalView>(*this)),
      refusal_(std::make_unique<MaximiseRefusal>(*refusalView_, nullptr)) {
    client_->setObjectName(QStringLiteral("ClientArea"));
    FocusTracker::Install();
    WatchStateAndGeometry(&TwipsWindow::SystemReported);
    outer_ = QRect(QPoint(0, 0), size());
}

TwipsWindow::~TwipsWindow() = default;

void TwipsWindow::SetTwipsPixels(const QRect& outer, bool moved) {
    if (moved) positionChosen_ = true;
    SetOuter(outer, true);
}

QMenuBar* TwipsWindow::MenuBar() {
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        menuBar_->setNativeMenuBar(false);
        LayoutClient();
    }
    return menuBar_;
}

int TwipsWindow::MenuBarHeight() const {
    return menuBar_ ? menuBar_->sizeHint().height() : 0;
}

void TwipsWindow::SetUserSizableHeight(bool sizable) {
    heightSizableByUser_ = sizable;
    ApplyGeometry();
}

void TwipsWindow::SetClientSize(float widthTwips, float heightTwips) {
    const int menuHeight = MenuBarHeight();
    QRect outer = outer_;
    outer.setSize(QSize(TwipsToPixels(widthTwips),
                        TwipsToPixels(heightTwips) + menuHeight + TopAllowancePixels()));
    SetOuter(outer, true);
}

void TwipsWindow::CenterOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect outer = outer_;
    outer.moveCenter(screen->availableGeometry().center());
    SetOuter(outer, false);
}

void TwipsWindow::PlaceAtPlatformDefault(const QMargins& frame) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    SetOuter(DefaultPlacement(outer_.size(), screen->availableGeometry(), frame), false);
}

void TwipsWindow::KeepFrameInArea() {
    // The frame is known only now that the window manager has framed the window. It is measured
    // from the client area, which starts TopAllowancePixels below the window's Top.
    const std::optional<QMargins> extents = FrameExtents(this);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!extents || !screen) return;
    const QMargins frame(extents->left(), std::max(0, extents->top() - TopAllowancePixels()),
                         extents->right(), extents->bottom());
    const QRect area = screen->availableGeometry();
    const QRect displayed = DisplayedOuterPixels();
    if (area.contains(displayed.marginsAdded(frame))) return;
    const QRect placed = DefaultPlacement(displayed.size(), area, frame);
    if (placed.topLeft() != displayed.topLeft()) SetOuter(placed, false);
}

QRect TwipsWindow::DisplayedOuterPixels() const {
    return OntoNearestScreen(LimitedTo16Bit(outer_));
}

QRect TwipsWindow::WidgetRectFor(const QRect& outer) const {
    const int allowance = TopAllowancePixels();
    return QRect(outer.left(), outer.top() + allowance, outer.width(),
                 std::max(1, outer.height() - allowance));
}

void TwipsWindow::SetOuter(const QRect& outer, bool raiseResize) {
    const bool resized = outer.size() != outer_.size();
    outer_ = outer;
    ApplyGeometry();
    if (resized && raiseResize) RaiseResize();
}

void TwipsWindow::ApplyGeometry() {
    const QRect target = WidgetRectFor(DisplayedOuterPixels());
    const bool fixedSize = sizing_ == Sizing::Fixed;
    // Limits that leave out the present size make Qt resize the window to fit them at once,
    // keeping what they leave free. When width and height both change (a refused maximising
    // undone), that is a size never asked for, which the window manager confirms later as if
    // the user had chosen it: the window gets its rectangle first, then its limits.
    if ((fixedSize || !heightSizableByUser_) && target.width() != width() &&
        target.height() != height()) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        RequestGeometry(target);
    }
    if (fixedSize) {
        setFixedSize(target.size());
    } else if (!heightSizableByUser_) {
        setMinimumHeight(target.height());
        setMaximumHeight(target.height());
    } else if (minimumHeight() != 0 || maximumHeight() != QWIDGETSIZE_MAX) {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    RequestGeometry(target);
    LayoutClient();
}

void TwipsWindow::RequestGeometry(const QRect& target) {
    if (target == geometry()) return;
    pendingRequests_.push_back(target);
    if (pendingRequests_.size() > 16) pendingRequests_.pop_front();
    DeclareOffScreen(target);
    setGeometry(target);
}

void TwipsWindow::DeclareOffScreen(const QRect& target) {
    if (!windowFlags().testFlag(Qt::FramelessWindowHint) || !internalWinId()) return;
    QList<QRect> usable;
    for (const QScreen* screen : QGuiApplication::screens()) {
        usable.append(screen->availableGeometry());
    }
    const QMargins offScreen = PartsOffScreen(target, usable);
    if (declaredOffScreen_ == offScreen) return;
    declaredOffScreen_ = offScreen;
    DeclarePartsOffScreen(this, offScreen);
}

void TwipsWindow::LayoutClient() {
    const int menuHeight = MenuBarHeight();
    if (menuBar_) menuBar_->setGeometry(0, 0, width(), menuHeight);
    client_->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
}

void TwipsWindow::RaiseResize() {
    ++resizeCount_;
    OnResized();
}

void TwipsWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    const QPoint position = geometry().topLeft();
    if (position == WidgetRectFor(DisplayedOuterPixels()).topLeft()) {
        // Where the program put it: requests up to this one have all arrived.
        while (!pendingRequests_.empty() && pendingRequests_.front().topLeft() != position) {
            pendingRequests_.pop_front();
        }
        return;
    }
    if (awaitingMap_ || refusal_->Refuses(false)) return;
    // Moved by the user or the window manager: that is where the window is now.
    outer_.moveTopLeft(QPoint(position.x(), position.y() - TopAllowancePixels()));
}

void TwipsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutClient();
    AdoptSystemGeometry();
}

void TwipsWindow::AdoptSystemGeometry() {
    const QRect actual = geometry();
    for (auto it = pendingRequests_.begin(); it != pendingRequests_.end(); ++it) {
        if (it->size() == actual.size()) {
            pendingRequests_.erase(pendingRequests_.begin(), it + 1);
            return;
        }
    }
    const QRect displayed = DisplayedOuterPixels();
    const QRect outer(actual.left(), actual.top() - TopAllowancePixels(), actual.width(),
                      actual.height() + TopAllowancePixels());
    if (outer.size() == displayed.size()) return;  // a size we limited for display: keep ours
    if (refusal_->Refuses(true)) return;
    const bool resized = outer.size() != outer_.size();
    outer_ = outer;
    if (resized) RaiseResize();
}

void TwipsWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) refusal_->StateChanged();
}

void TwipsWindow::SystemReported(QWidget* window, const WindowReport& report) {
    auto* form = qobject_cast<TwipsWindow*>(window);
    if (!form) return;
    // Noted at once: Qt may deliver that size after the state has gone and the refusal has
    // ended. The rest waits until Qt has handled the report.
    form->refusal_->Reported(report.sizeInState, report.stateChanged);
}

bool TwipsWindow::eventFilter(QObject* watched, QEvent* event) {
    // Qt reports a window exposed once it is mapped, after the window manager has framed and
    // placed it.
    if (event->type() == QEvent::Expose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        awaitingMap_ = false;
        if (checkFrameOnMap_) {
            checkFrameOnMap_ = false;
            KeepFrameInArea();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TwipsWindow::paintEvent(QPaintEvent* event) {
    if (!DrawsOnScreen()) return;
    const qreal ratio = devicePixelRatioF();
    const QRect window(QPoint(0, 0),
                       QSize(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio))));
    for (const QRect& logical : event->region()) {
        // Whole device pixels that cover the logical rectangle.
        const QRect device = QRect(QPoint(int(std::floor(logical.left() * ratio)),
                                          int(std::floor(logical.top() * ratio))),
                                   QPoint(int(std::ceil((logical.right() + 1) * ratio)) - 1,
                                          int(std::ceil((logical.bottom() + 1) * ratio)) - 1)) &
                             window;
        // Drawn in bands of about a megabyte, so that even a screen-sized window needs no
        // lasting buffer.
        const int bandRows = std::max(1, (1 << 20) / std::max(1, device.width() * 4));
        for (int top = device.top(); top <= device.bottom(); top += bandRows) {
            const QRect band(device.left(), top, device.width(),
                             std::min(bandRows, device.bottom() + 1 - top));
            QImage pixels(band.size(), QImage::Format_RGB32);
            pixels.setDevicePixelRatio(ratio);
            {
                QPainter painter(&pixels);
                painter.translate(-QPointF(band.topLeft()) / ratio);
                DrawContents(painter);
            }
            PutRgb32Pixels(this, *screenDepth_, pixels, band.topLeft());
        }
    }
}

void TwipsWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCloseCommand();
}

void TwipsWindow::SetShown(bool shown) {
    if (shown) {
        Show();
    } else {
        hide();
    }
}

void TwipsWindow::Show() {
    loaded_ = true;
    if (!isVisible()) {
        if (platformDefault_ && !positionChosen_) {
            const int reserve = kFrameReservePixels;
            PlaceAtPlatformDefault(QMargins(reserve, reserve, reserve, reserve));
            positionChosen_ = true;
            checkFrameOnMap_ = true;
        }
        winId();  // the native window must exist before its state is set
        PrepareToMap(this, inSwitchers_);
        DeclareOffScreen(WidgetRectFor(DisplayedOuterPixels()));
        if (withoutBackingStore_ && !screenDepth_) {
            screenDepth_ = Rgb32PixelDepth(this);
            if (screenDepth_) {
                setAttribute(Qt::WA_PaintOnScreen);
                setAttribute(Qt::WA_NoSystemBackground);
            }
        }
        ApplyGeometry();
        if (QWindow* window = windowHandle()) {
            window->removeEventFilter(this);
            window->installEventFilter(this);
            awaitingMap_ = true;
        }
        show();
    }
    if (!windowFlags().testFlag(Qt::FramelessWindowHint)) {
        raise();
        activateWindow();
    }
}

void TwipsWindow::Unload() {
    hide();
    loaded_ = false;
    positionChosen_ = false;
    checkFrameOnMap_ = false;
    OnUnload();
}

}  // namespace platform
