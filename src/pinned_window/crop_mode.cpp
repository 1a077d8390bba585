#include "pinned_window/crop_mode.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace pinned_window {

namespace {

// How near an edge, in the control's pixels, the pointer takes hold of it.
constexpr qreal kGrip = 6;
// A handle's side.
constexpr qreal kHandle = 7;

}  // namespace

CropMode::CropMode(QWidget& pin, QWidget& picture, QSizeF pictureSize)
    : QObject(&pin), pin_(pin), picture_(picture), pictureSize_(pictureSize) {
    picture_.installEventFilter(this);
    pin_.installEventFilter(this);
    picture_.setCursor(Qt::CrossCursor);
    pin_.raise();
    pin_.activateWindow();
}

CropMode::~CropMode() {
    Leave();
}

void CropMode::Leave() {
    if (std::exchange(left_, true)) return;
    picture_.removeEventFilter(this);
    pin_.removeEventFilter(this);
    picture_.unsetCursor();
}

void CropMode::Draw(QPainter& painter, QPoint offset) const {
    painter.save();
    painter.translate(offset);
    const QRectF all = picture_.rect();
    const QColor dim(0, 0, 0, 110);
    if (rect_.isEmpty()) {
        painter.fillRect(all, dim);
    } else {
        QPainterPath outside;
        outside.addRect(all);
        outside.addRect(rect_);
        painter.fillPath(outside, dim);
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(rect_.adjusted(0.5, 0.5, -0.5, -0.5));
        for (const qreal x : {rect_.left(), rect_.center().x(), rect_.right()}) {
            for (const qreal y : {rect_.top(), rect_.center().y(), rect_.bottom()}) {
                if (x == rect_.center().x() && y == rect_.center().y()) continue;
                const QRectF handle(x - kHandle / 2, y - kHandle / 2, kHandle, kHandle);
                painter.fillRect(handle, Qt::white);
                painter.setPen(Qt::black);
                painter.drawRect(handle);
            }
        }
    }
    painter.restore();
}

bool CropMode::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return Key(static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (watched == &picture_) return Mouse(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::Wheel:
            return true;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

bool CropMode::Key(const QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Keep();
            return true;
        case Qt::Key_Escape:
            emit leaveRequested();
            return true;
        default:
            return false;
    }
}

int CropMode::EdgesAt(QPointF point) const {
    if (rect_.isEmpty()) return 0;
    const QRectF grip = rect_.adjusted(-kGrip, -kGrip, kGrip, kGrip);
    if (!grip.contains(point)) return 0;
    int edges = 0;
    if (std::abs(point.x() - rect_.left()) <= kGrip) edges |= Left;
    if (std::abs(point.x() - rect_.right()) <= kGrip) edges |= Right;
    if (std::abs(point.y() - rect_.top()) <= kGrip) edges |= Top;
    if (std::abs(point.y() - rect_.bottom()) <= kGrip) edges |= Bottom;
    // A rectangle too small to tell its edges apart is moved from inside.
    if ((edges & (Left | Right)) == (Left | Right)) edges &= ~Left;
    if ((edges & (Top | Bottom)) == (Top | Bottom)) edges &= ~Top;
    return edges ? edges : (rect_.contains(point) ? int(All) : 0);
}

bool CropMode::Mouse(const QMouseEvent* mouse) {
    const QPointF at = mouse->position();
    const QRectF bounds = picture_.rect();
    const QPointF inside(std::clamp(at.x(), bounds.left(), bounds.right() + 1),
                         std::clamp(at.y(), bounds.top(), bounds.bottom() + 1));
    switch (mouse->type()) {
        case QEvent::MouseButtonDblClick:
            if (mouse->button() == Qt::LeftButton && rect_.contains(at)) Keep();
            return true;
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) return mouse->button() != Qt::RightButton;
            from_ = inside;
            start_ = rect_;
            held_ = EdgesAt(at);
            if (!held_) {
                // A new rectangle from here.
                start_ = QRectF(inside, QSizeF(0, 0));
                held_ = Right | Bottom;
                SetRect(start_);
            }
            return true;
        case QEvent::MouseMove: {
            if (!held_) {
                static constexpr Qt::CursorShape kShapes[] = {
                    Qt::CrossCursor,     Qt::SizeHorCursor, Qt::SizeVerCursor,
                    Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::CrossCursor,
                    Qt::SizeBDiagCursor, Qt::CrossCursor,   Qt::SizeVerCursor,
                    Qt::SizeBDiagCursor, Qt::CrossCursor,   Qt::CrossCursor,
                    Qt::SizeFDiagCursor, Qt::CrossCursor,   Qt::CrossCursor,
                    Qt::SizeAllCursor,
                };
                picture_.setCursor(kShapes[EdgesAt(at)]);
                return true;
            }
            const QPointF by = inside - from_;
            QRectF next = start_;
            if (held_ == All) {
                // Moved whole, within the picture.
                next.translate(std::clamp(by.x(), bounds.left() - start_.left(),
                                          bounds.right() + 1 - start_.right()),
                               std::clamp(by.y(), bounds.top() - start_.top(),
                                          bounds.bottom() + 1 - start_.bottom()));
            } else {
                if (held_ & Left) next.setLeft(start_.left() + by.x());
                if (held_ & Right) next.setRight(start_.right() + by.x());
                if (held_ & Top) next.setTop(start_.top() + by.y());
                if (held_ & Bottom) next.setBottom(start_.bottom() + by.y());
                next = next.normalized();
            }
            SetRect(next);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) held_ = 0;
            return true;
        default:
            return false;
    }
}

void CropMode::SetRect(const QRectF& rect) {
    const QRectF before = rect_;
    // In whole pixels of the control, so that what is kept is what was outlined.
    rect_ = QRectF(QPointF(std::round(rect.left()), std::round(rect.top())),
                   QPointF(std::round(rect.right()), std::round(rect.bottom())));
    const qreal margin = kHandle + 2;
    emit repaintRequested((before | rect_).adjusted(-margin, -margin, margin, margin));
    // The dimmed part changes everywhere when the first rectangle appears.
    if (before.isEmpty()) emit repaintRequested(picture_.rect());
}

void CropMode::Keep() {
    if (rect_.width() < 1 || rect_.height() < 1) return;
    const qreal sx = pictureSize_.width() / std::max(1, picture_.width());
    const qreal sy = pictureSize_.height() / std::max(1, picture_.height());
    emit cropped(
        QRectF(rect_.left() * sx, rect_.top() * sy, rect_.width() * sx, rect_.height() * sy));
}

}  // namespace pinned_window
