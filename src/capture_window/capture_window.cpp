#include "capture_window/capture_window.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <cmath>
#include <numeric>

#include "platform/x11/window.h"

namespace capture_window {

namespace {

// The magnifier shows this many device pixels on each side of the one under the pointer, each
// as a square of kZoom logical pixels.
constexpr int kReach = 10;
constexpr int kZoom = 8;
const QColor kDim(0, 0, 0, 96);
const QColor kEdge(0, 160, 255);
const QColor kLabel(32, 32, 32);
// The outline's edges, in device pixels inside the rectangle a click takes.
constexpr int kOutlineWidth = 2;
// The line naming the keys fades in this many steps, this far apart.
constexpr int kHintSteps = 6;
constexpr int kHintStepMs = 50;

QString HintText() {
    return QCoreApplication::translate(
        "capture_window::ScreenOverlay",
        "クリック: ウィンドウ  ドラッグ: 範囲  Tab・ホイール: 枠あり→中身→画面  "
        "矢印: 1 ピクセル (Shift で 10)  Enter: 始点・終点  Space: 範囲を移動  "
        "C・Shift+C: 色をコピー  Esc: 取り消し");
}

// The steps, in device pixels, in which a window manager sizes a window at `scale`: Qt asks it to
// size every window in steps of one logical pixel, the scale rounded, and most window managers do.
int WindowSizeStep(qreal scale) {
    return std::max(1, qRound(scale));
}

// The fewest device pixels of a monitor at `scale` that are a whole number of logical pixels:
// 2 at a scale of 2, 3 at 1.5, 5 at 1.25. A scale with no such step within reach is rounded.
int WholePixelStep(qreal scale) {
    constexpr int kFarthest = 16;
    for (int step = 1; step <= kFarthest; ++step) {
        const qreal logical = step / scale;
        if (std::abs(logical - std::round(logical)) < 1e-3) return step;
    }
    return WindowSizeStep(scale);
}

}  // namespace

QRect SnappedSelection(QPoint from, QPoint to, QPoint origin, qreal scale) {
    const int place = WholePixelStep(scale);
    const int size = std::lcm(place, WindowSizeStep(scale));
    const auto snap = [](int value, int base, int step) {
        return base + int(std::lround(double(value - base) / step)) * step;
    };
    const QPoint anchor(snap(from.x(), origin.x(), place), snap(from.y(), origin.y(), place));
    const QPoint other(snap(to.x(), anchor.x(), size), snap(to.y(), anchor.y(), size));
    return QRect(QPoint(std::min(anchor.x(), other.x()), std::min(anchor.y(), other.y())),
                 QSize(std::abs(other.x() - anchor.x()), std::abs(other.y() - anchor.y())));
}

ScreenOverlay::ScreenOverlay(Capture& capture, const capture_window::FrozenScreen& screen)
    : QWidget(nullptr,
              Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      capture_(capture),
      screen_(screen),
      shown_(screen.pixels) {
    setObjectName(QStringLiteral("CaptureOverlay"));
    setWindowTitle(
        QCoreApplication::translate("capture_window::ScreenOverlay", "画面の一部を張り付け"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    shown_.setDevicePixelRatio(screen.scale);
    setGeometry(
        QRect(screen.device.topLeft(), (QSizeF(screen.device.size()) / screen.scale).toSize()));
}

QPoint ScreenOverlay::DevicePoint(QPointF local) const {
    // Qt divided the pointer's device pixel by the scale; at a scale such as 1.75 multiplying
    // back can fall a hair short of it.
    constexpr qreal kHair = 1e-6;
    return screen_.device.topLeft() + QPoint(int(std::floor(local.x() * screen_.scale + kHair)),
                                             int(std::floor(local.y() * screen_.scale + kHair)));
}

QRectF ScreenOverlay::Local(const QRect& device) const {
    const QRect at = device.translated(-screen_.device.topLeft());
    return {at.x() / screen_.scale, at.y() / screen_.scale, at.width() / screen_.scale,
            at.height() / screen_.scale};
}

QRect ScreenOverlay::Device(const QRect& logical) const {
    const qreal scale = screen_.scale;
    return QRect(QPoint(int(std::floor(logical.left() * scale)),
                        int(std::floor(logical.top() * scale))),
                 QPoint(int(std::ceil((logical.right() + 1) * scale)) - 1,
                        int(std::ceil((logical.bottom() + 1) * scale)) - 1)) &
           QRect(QPoint(0, 0), screen_.device.size());
}

void ScreenOverlay::Changed(const Shown& shown) {
    // The rectangle, the outline's edges, and the magnifier and its label on any side of the
    // pointer.
    const int reach = (2 * kReach + 1) * kZoom + 160;
    const QRect around(shown.pointer - QPoint(reach, reach), QSize(2 * reach, 2 * reach));
    if (!shown.selection.isEmpty())
        update(Local(shown.selection).toAlignedRect().adjusted(-2, -2, 2, 2));
    for (const QRect& edge : OutlineEdges(shown.outline)) {
        update(Local(edge.translated(screen_.device.topLeft()))
                   .toAlignedRect()
                   .adjusted(-1, -1, 1, 1));
    }
    update(Local(around).toAlignedRect());
}

void ScreenOverlay::HintChanged() {
    update(HintBox().toAlignedRect().adjusted(-1, -1, 1, 1));
}

QList<QRect> ScreenOverlay::OutlineEdges(const QRect& outline) const {
    const QRect at =
        outline.translated(-screen_.device.topLeft()) & QRect(QPoint(0, 0), screen_.device.size());
    if (at.isEmpty()) return {};
    const int across = std::min({kOutlineWidth, at.width(), at.height()});
    return {QRect(at.topLeft(), QSize(at.width(), across)),
            QRect(QPoint(at.left(), at.bottom() - across + 1), QSize(at.width(), across)),
            QRect(at.topLeft(), QSize(across, at.height())),
            QRect(QPoint(at.right() - across + 1, at.top()), QSize(across, at.height()))};
}

QRectF ScreenOverlay::HintBox() const {
    const FrozenScreen* on = capture_.HintScreen();
    if (!on || on->device != screen_.device) return {};
    // Laid out once: the text is long, and every paint asks where it is.
    if (hintSize_.isEmpty()) {
        hintSize_ = QRectF(fontMetrics().boundingRect(HintText())).adjusted(-8, -4, 8, 4).size();
    }
    QRectF box(QPointF(), hintSize_);
    box.moveTop(8);
    box.moveLeft((width() - box.width()) / 2);
    return box;
}

void ScreenOverlay::showEvent(QShowEvent* event) {
    // Where the X server keeps the frozen picture, it copies it into this window itself, without
    // a backing store: a screen-sized one is fresh memory, whose first touch costs more than the
    // grab, and drawing through it sends the whole frame back over the connection.
    winId();
    if (!serverDepth_ && shown_.isNull()) {
        const std::optional<int> depth = platform::Rgb32PixelDepth(this);
        if (screen_.server && depth == screen_.server->Depth()) {
            serverDepth_ = depth;
            setAttribute(Qt::WA_PaintOnScreen);
        } else {
            // A window of another depth than the root window's: the picture is drawn from here.
            shown_ = screen_.Pixels(QRect(QPoint(0, 0), screen_.device.size()));
            shown_.setDevicePixelRatio(screen_.scale);
        }
    }
    QWidget::showEvent(event);
}

void ScreenOverlay::paintEvent(QPaintEvent* event) {
    // Override-redirect windows get the keyboard only by a grab, which the X server grants once
    // the window is on screen.
    if (!grabbed_) {
        grabKeyboard();
        grabbed_ = true;
    }
    if (!serverDepth_) {
        QPainter painter(this);
        painter.drawImage(QPointF(0, 0), shown_);
        const QRect inside = Local(capture_.Selection()).toAlignedRect();
        for (const QRect& part : QRegion(rect()).subtracted(QRegion(inside))) {
            painter.fillRect(part, kDim);
        }
        DrawMarks(painter, rect());
        return;
    }
    ShowFrozenOnServer(event->region());
    const QRect fading = capture_.HintOpacity() < 1 ? Device(HintBox().toAlignedRect()) &
                                                          QRect(QPoint(0, 0), screen_.device.size())
                                                    : QRect();
    // Each mark drawn whole into pixels of its own, which it covers, and put over the picture.
    for (const QRect& mark : Marks()) {
        // Only what this paint is for: the others are on the screen already.
        if (!event->region().intersects(
                Local(mark.translated(screen_.device.topLeft())).toAlignedRect())) {
            continue;
        }
        QImage pixels(mark.size(), QImage::Format_RGB32);
        pixels.fill(kEdge);
        if (mark == fading) {
            // What the fading line lets through: the dimmed picture beneath it.
            const QImage beneath = screen_.Pixels(mark);
            if (beneath.size() == mark.size()) {
                pixels = beneath.convertToFormat(QImage::Format_RGB32);
                QPainter(&pixels).fillRect(pixels.rect(), kDim);
            }
        }
        pixels.setDevicePixelRatio(screen_.scale);
        pixels.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
        pixels.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
        {
            QPainter painter(&pixels);
            painter.setFont(font());
            painter.translate(-QPointF(mark.topLeft()) / screen_.scale);
            DrawMarks(painter, Local(mark.translated(screen_.device.topLeft())));
        }
        platform::PutRgb32Pixels(this, *serverDepth_, pixels, mark.topLeft());
    }
}

void ScreenOverlay::ShowFrozenOnServer(const QRegion& region) {
    const QRect inside = capture_.Selection().translated(-screen_.device.topLeft());
    for (const QRect& logical : region) {
        const QRect device = Device(logical);
        for (const QRect& part : QRegion(device).subtracted(QRegion(inside))) {
            screen_.server->Show(this, part, true);
        }
        screen_.server->Show(this, device & inside, false);
    }
}

QList<QRect> ScreenOverlay::Marks() const {
    QList<QRect> marks;
    const QRect selection = capture_.Selection().translated(-screen_.device.topLeft());
    if (!selection.isEmpty()) {
        marks << QRect(selection.topLeft(), QSize(selection.width(), 1))
              << QRect(selection.bottomLeft(), QSize(selection.width(), 1))
              << QRect(selection.topLeft(), QSize(1, selection.height()))
              << QRect(selection.topRight(), QSize(1, selection.height()));
    }
    const QPoint pointer = capture_.Pointer();
    if (screen_.device.contains(pointer)) {
        const QRectF box = MagnifierBox(pointer);
        // The box's frame lies one pixel beyond it on the right and at the bottom.
        marks << Device(box.toAlignedRect().adjusted(0, 0, 1, 1))
              << Device(LabelBox(fontMetrics(), LabelText(pointer), box).toAlignedRect());
    }
    if (capture_.Selection().isEmpty()) marks << OutlineEdges(capture_.Outline());
    const QRectF hint = HintBox();
    if (!hint.isEmpty()) marks << Device(hint.toAlignedRect());
    const QRect all(QPoint(0, 0), screen_.device.size());
    QList<QRect> shown;
    for (const QRect& mark : marks) {
        if (!(mark & all).isEmpty()) shown << (mark & all);
    }
    return shown;
}

void ScreenOverlay::DrawMarks(QPainter& painter, const QRectF& within) {
    const QRect selection = capture_.Selection();
    if (!selection.isEmpty()) {
        painter.setPen(QPen(kEdge, 0));
        painter.drawRect(Local(selection).adjusted(0, 0, -1 / screen_.scale, -1 / screen_.scale));
    } else {
        for (const QRect& edge : OutlineEdges(capture_.Outline())) {
            painter.fillRect(Local(edge.translated(screen_.device.topLeft())), kEdge);
        }
    }
    const QRectF hint = HintBox();
    if (!hint.isEmpty() && hint.intersects(within)) {
        painter.save();
        painter.setOpacity(capture_.HintOpacity());
        painter.fillRect(hint, kLabel);
        painter.setPen(Qt::white);
        painter.drawText(hint, Qt::AlignCenter, HintText());
        painter.restore();
    }
    const QPoint pointer = capture_.Pointer();
    if (!screen_.device.contains(pointer)) return;
    // The label lies above the box or below it, never farther than its own height.
    const QRectF box = MagnifierBox(pointer);
    constexpr qreal kLabelReach = 48;
    if (box.adjusted(0, -kLabelReach, kLabelReach * 4, kLabelReach).intersects(within)) {
        DrawMagnifier(painter, pointer);
    }
}

QRectF ScreenOverlay::MagnifierBox(QPoint device) const {
    const int side = (2 * kReach + 1) * kZoom;
    const QPointF at = Local(QRect(device, QSize(1, 1))).topLeft();
    QRectF box(at + QPointF(24, 24), QSizeF(side, side));
    if (box.right() > width()) box.moveRight(at.x() - 24);
    if (box.bottom() > height()) box.moveBottom(at.y() - 24);
    return box;
}

QRectF ScreenOverlay::LabelBox(const QFontMetrics& metrics, const QString& text,
                               const QRectF& box) const {
    QRectF label = QRectF(metrics.boundingRect(text)).adjusted(-4, -2, 4, 2);
    label.moveBottomLeft(box.topLeft() - QPointF(0, 2));
    if (label.top() < 0) label.moveTopLeft(box.bottomLeft() + QPointF(0, 2));
    return label;
}

// The size chosen so far, in device pixels, or where the corner would go; and the colour under
// the pointer.
QString ScreenOverlay::LabelText(QPoint device) const {
    const QRect selection = capture_.Selection();
    const QString colour = ColourText(Near(device).pixel(kReach, kReach), false);
    return selection.isEmpty()
               ? QStringLiteral("%1, %2  %3").arg(device.x()).arg(device.y()).arg(colour)
               : QStringLiteral("%1 × %2  %3")
                     .arg(selection.width())
                     .arg(selection.height())
                     .arg(colour);
}

void ScreenOverlay::DrawMagnifier(QPainter& painter, QPoint device) {
    const QRectF box = MagnifierBox(device);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(box, Near(device));
    painter.setPen(QPen(kEdge, 1));
    painter.drawRect(box);
    painter.drawRect(
        QRectF(box.topLeft() + QPointF(kReach * kZoom, kReach * kZoom), QSizeF(kZoom, kZoom)));
    const QString text = LabelText(device);
    const QRectF label = LabelBox(fontMetrics(), text, box);
    painter.fillRect(label, kLabel);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, text);
}

const QImage& ScreenOverlay::Near(QPoint device) const {
    if (near_.isNull() || nearAt_ != device) {
        near_ = screen_.Pixels(QRect(device - screen_.device.topLeft() - QPoint(kReach, kReach),
                                     QSize(2 * kReach + 1, 2 * kReach + 1)));
        nearAt_ = device;
    }
    return near_;
}

void ScreenOverlay::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        capture_.Press(DevicePoint(event->position()), *this);
    } else if (event->button() == Qt::RightButton) {
        capture_.Cancel();
    }
}

void ScreenOverlay::mouseMoveEvent(QMouseEvent* event) {
    capture_.Move(DevicePoint(event->position()));
}

void ScreenOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) capture_.Release(DevicePoint(event->position()));
}

void ScreenOverlay::wheelEvent(QWheelEvent* event) {
    // One step a notch, whichever way it turns.
    constexpr int kNotch = 120;
    wheel_ += std::abs(event->angleDelta().y()) + std::abs(event->angleDelta().x());
    for (; wheel_ >= kNotch; wheel_ -= kNotch) capture_.StepAim();
}

void ScreenOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat() && event->key() == Qt::Key_Space) return;
    if (!capture_.Key(event->key(), event->modifiers())) QWidget::keyPressEvent(event);
}

void ScreenOverlay::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat() || !capture_.KeyUp(event->key())) QWidget::keyReleaseEvent(event);
}

Capture::Capture(std::unique_ptr<capture_window::ScreenSource> source)
    : source_(std::move(source)) {
    connect(source_.get(), &capture_window::ScreenSource::frozen, this, &Capture::ShowFrozen);
    connect(source_.get(), &capture_window::ScreenSource::picked, this, &Capture::Picked);
    connect(source_.get(), &capture_window::ScreenSource::failed, this,
            [this](const QString& reason) {
                ended_ = true;
                emit failed(reason);
            });
    hintFade_.setInterval(kHintStepMs);
    connect(&hintFade_, &QTimer::timeout, this, &Capture::FadeHint);
}

Capture::~Capture() = default;

void Capture::Start() {
    source_->Freeze();
}

void Capture::StartAt(const QRect& device) {
    region_ = device;
    source_->Freeze();
}

void Capture::ShowFrozen(const capture_window::FrozenDesktop& desktop) {
    desktop_ = desktop;
    if (region_) {
        TakeRegion();
        return;
    }
    for (capture_window::FrozenScreen& screen : desktop_.screens) {
        // The desktop portal's picture goes to the X server once, to be shown from there.
        if (!screen.server) screen.server = platform::ServerPicture::FromImage(screen.pixels);
        if (screen.server) screen.pixels = {};
        overlays_.push_back(std::make_unique<ScreenOverlay>(*this, screen));
    }
    pointer_ = hintFrom_ = QCursor::pos();
    hintOn_ = ScreenAt(pointer_);
    if (!hintOn_ && !desktop_.screens.isEmpty()) hintOn_ = &desktop_.screens.front();
    outline_ = AimedAt();
    for (const auto& overlay : overlays_) {
        overlay->show();
        overlay->raise();
    }
    if (!overlays_.empty()) overlays_.front()->activateWindow();
}

void Capture::TakeRegion() {
    QList<QRect> monitors;
    for (const FrozenScreen& screen : desktop_.screens) monitors.append(screen.device);
    const std::optional<QRect> shown = ClipToScreens(*region_, monitors);
    if (!shown) {
        ended_ = true;
        emit failed(QStringLiteral("the last region lies on no monitor there is now"));
        return;
    }
    if (*shown != *region_) {
        emit noted(QStringLiteral("the last region lies partly off the monitors: %1×%2 of %3×%4 "
                                  "pixels taken")
                       .arg(shown->width())
                       .arg(shown->height())
                       .arg(region_->width())
                       .arg(region_->height()));
    }
    // Placed on the monitor its top-left corner is on, or else on the first it touches.
    const FrozenScreen* on = ScreenAt(shown->topLeft());
    for (const FrozenScreen& screen : desktop_.screens) {
        if (!on && screen.device.intersects(*shown)) on = &screen;
    }
    Take(*shown, *on);
}

void Capture::Picked(const QImage& picture) {
    ended_ = true;
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const qreal scale = screen ? screen->devicePixelRatio() : 1;
    QRectF logical(QPointF(), QSizeF(picture.size()) / scale);
    if (screen) logical.moveCenter(QRectF(screen->availableGeometry()).center());
    emit captured(picture, logical, {});
}

const FrozenScreen* Capture::ScreenAt(QPoint device) const {
    for (const FrozenScreen& screen : desktop_.screens) {
        if (screen.device.contains(device)) return &screen;
    }
    return nullptr;
}

QRect Capture::ScreensBounds() const {
    QRect all;
    for (const FrozenScreen& screen : desktop_.screens) all |= screen.device;
    return all;
}

QRect Capture::AimedAt() const {
    const FrozenScreen* on = ScreenAt(pointer_);
    if (!on) return {};
    QRect aimed = on->device;
    if (aim_ != Aim::Monitor) {
        if (const platform::TopWindow* window = platform::TopmostAt(desktop_.windows, pointer_)) {
            aimed = (aim_ == Aim::Framed ? window->framed : window->client) & ScreensBounds();
        }
    }
    // What a drag from corner to corner would take.
    return SnappedSelection(aimed.topLeft(), aimed.bottomRight() + QPoint(1, 1),
                            on->device.topLeft(), on->scale);
}

void Capture::Press(QPoint device, const ScreenOverlay& on) {
    if (ended_) return;
    const Shown old = Now();
    pressedOn_ = &on.Screen();
    pressed_ = pointer_ = device;
    farthest_ = 0;
    selection_ = {};
    Update(old);
}

void Capture::Move(QPoint device) {
    if (ended_) return;
    const Shown old = Now();
    if (moving_ && pressedOn_) pressed_ += device - pointer_;
    pointer_ = device;
    if (pressedOn_) {
        const QPoint travel = device - pressed_;
        farthest_ = std::max({farthest_, std::abs(travel.x()), std::abs(travel.y())});
    }
    if (pressedOn_ && !IsClick(farthest_, pressedOn_->scale)) {
        // A drag from here on: the outline goes.
        selection_ =
            SnappedSelection(pressed_, device, pressedOn_->device.topLeft(), pressedOn_->scale);
        outline_ = {};
    } else {
        outline_ = AimedAt();
    }
    if (hintOn_ && hintOpacity_ == 1 && device != hintFrom_) hintFade_.start();
    Update(old);
}

void Capture::Release(QPoint device) {
    if (ended_ || !pressedOn_) return;
    Move(device);
    const FrozenScreen& on = *pressedOn_;
    if (IsClick(farthest_, on.scale)) {
        // A click takes what the outline shows, placed on the monitor under the pointer.
        const FrozenScreen* under = ScreenAt(pointer_);
        if (outline_.isEmpty() || !under) {
            ended_ = true;
            emit failed({});
            return;
        }
        Take(outline_, *under);
        return;
    }
    // A line of one pixel: nothing the user meant to pin.
    if (selection_.width() <= 1 || selection_.height() <= 1) {
        ended_ = true;
        emit failed({});
        return;
    }
    Take(selection_, on);
}

void Capture::Take(const QRect& chosen, const FrozenScreen& on) {
    ended_ = true;
    const qreal scale = on.scale;
    const QPointF origin = on.device.topLeft();
    const QPointF topLeft = origin + QPointF(chosen.topLeft() - on.device.topLeft()) / scale;
    const QImage pixels = desktop_.Copy(chosen);
    if (pixels.isNull()) {
        emit failed(QStringLiteral("the X server gave no picture of the screen"));
        return;
    }
    emit captured(pixels, QRectF(topLeft, QSizeF(chosen.size()) / scale), chosen);
}

void Capture::Cancel() {
    if (ended_) return;
    ended_ = true;
    emit failed({});
}

void Capture::AimAtWindows(bool windows) {
    aim_ = windows ? Aim::Framed : Aim::Monitor;
}

void Capture::StepAim() {
    if (ended_ || !selection_.isEmpty()) return;
    const Shown old = Now();
    aim_ = NextAim(aim_);
    outline_ = AimedAt();
    Update(old);
}

bool Capture::Key(int key, Qt::KeyboardModifiers modifiers) {
    if (ended_) return false;
    switch (key) {
        case Qt::Key_Escape:
            Cancel();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            StepAim();
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            MoveByKey(MovedByKey(pointer_, key, modifiers & Qt::ShiftModifier, ScreensBounds()));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (pressedOn_) {
                Release(pointer_);
            } else if (const FrozenScreen* on = ScreenAt(pointer_)) {
                for (const auto& overlay : overlays_) {
                    if (overlay->Screen().device == on->device) Press(pointer_, *overlay);
                }
            }
            return true;
        case Qt::Key_Space:
            moving_ = pressedOn_ != nullptr;
            return true;
        case Qt::Key_C:
            TakeColour(modifiers & Qt::ShiftModifier);
            return true;
        default:
            return false;
    }
}

bool Capture::KeyUp(int key) {
    if (key != Qt::Key_Space) return false;
    moving_ = false;
    return true;
}

void Capture::MoveByKey(QPoint device) {
    Move(device);
    // The X server's pointer follows, so that the mouse goes on from there; the motion it
    // reports is where the capture's pointer is already.
    platform::WarpPointer(device);
}

void Capture::TakeColour(bool asRgb) {
    const QImage pixel = desktop_.Copy(QRect(pointer_, QSize(1, 1)));
    if (pixel.isNull()) return;
    ended_ = true;
    emit colourTaken(ColourText(pixel.pixel(0, 0), asRgb));
}

void Capture::FadeHint() {
    hintOpacity_ = std::max<qreal>(0, hintOpacity_ - 1.0 / kHintSteps);
    if (hintOpacity_ <= 0) hintFade_.stop();
    for (const auto& overlay : overlays_) overlay->HintChanged();
    // Repainted once it is gone as well, where it was.
    if (hintOpacity_ <= 0) {
        hintOn_ = nullptr;
    }
}

void Capture::Update(const Shown& old) {
    const Shown now = Now();
    for (const auto& overlay : overlays_) {
        overlay->Changed(old);
        overlay->Changed(now);
    }
}

}  // namespace capture_window
