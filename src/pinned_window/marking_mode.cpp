#include "pinned_window/marking_mode.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWidget>
#include <array>
#include <utility>

#include "marking_toolbar/marking_toolbar.h"

namespace pinned_window {

namespace {

using marks::Kind;
using marks::Tool;

struct ToolKey {
    Qt::Key key;
    Tool tool;
};

// One key a tool.
constexpr std::array kToolKeys{
    ToolKey{Qt::Key_V, marks::kSelect},    ToolKey{Qt::Key_P, Kind::Pen},
    ToolKey{Qt::Key_H, Kind::Highlighter}, ToolKey{Qt::Key_L, Kind::Line},
    ToolKey{Qt::Key_A, Kind::Arrow},       ToolKey{Qt::Key_R, Kind::Rectangle},
    ToolKey{Qt::Key_E, Kind::Ellipse},     ToolKey{Qt::Key_T, Kind::Text},
    ToolKey{Qt::Key_N, Kind::Number},      ToolKey{Qt::Key_M, Kind::Mosaic},
    ToolKey{Qt::Key_B, Kind::Blur},
};

// How near a stroke or handle the pointer picks it, in screen pixels.
constexpr qreal kSlopPixels = 5;

}  // namespace

MarkingMode::MarkingMode(QWidget& pin, QWidget& picture, QSizeF pictureSize, marks::MarkSet& set)
    : QObject(&pin),
      pin_(pin),
      picture_(picture),
      pictureSize_(pictureSize),
      set_(set),
      editor_(set),
      toolbar_(new marking_toolbar::MarkingToolbar(editor_, set.History())) {
    connect(&editor_, &marks::Editor::dirty, this,
            [this](const QRectF& area) { emit repaintRequested(ToControl().mapRect(area)); });
    connect(&editor_, &marks::Editor::textRequested, this, &MarkingMode::OpenText);
    connect(toolbar_, &marking_toolbar::MarkingToolbar::doneRequested, this,
            &MarkingMode::doneRequested);
    picture_.installEventFilter(this);
    pin_.installEventFilter(this);
    toolbar_->installEventFilter(this);
    picture_.setCursor(Qt::CrossCursor);
    UpdateSlop();
    toolbar_->PlaceBeside(pin_.frameGeometry());
    toolbar_->show();
    pin_.raise();
    pin_.activateWindow();
}

MarkingMode::~MarkingMode() {
    Leave();
    delete toolbar_;
}

void MarkingMode::Leave() {
    if (std::exchange(left_, true)) return;
    EndText();
    editor_.Cancel();
    picture_.removeEventFilter(this);
    pin_.removeEventFilter(this);
    picture_.unsetCursor();
    toolbar_->hide();
}

QTransform MarkingMode::ToControl() const {
    return QTransform::fromScale(picture_.width() / pictureSize_.width(),
                                 picture_.height() / pictureSize_.height());
}

QPointF MarkingMode::ToPicture(QPointF controlPoint) const {
    return ToControl().inverted().map(controlPoint);
}

void MarkingMode::UpdateSlop() {
    editor_.SetSlop(kSlopPixels * pictureSize_.width() / std::max(1, picture_.width()));
}

bool MarkingMode::eventFilter(QObject* watched, QEvent* event) {
    // Esc while typing ends the text, not the mode.
    if (text_ && watched == text_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        EndText();
        return true;
    }
    switch (event->type()) {
        case QEvent::KeyPress:
            if (watched == &pin_ || watched == toolbar_) return Key(static_cast<QKeyEvent*>(event));
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (watched == &picture_) return Mouse(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::Wheel:
            // No zoom while marking: the marks are drawn where the pointer is.
            return watched == &picture_ || watched == &pin_;
        case QEvent::Resize:
            if (watched == &picture_) UpdateSlop();
            break;
        case QEvent::Move:
            if (watched == &pin_) toolbar_->PlaceBeside(pin_.frameGeometry());
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

bool MarkingMode::Key(QKeyEvent* key) {
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_Z) {
        set_.History().undo();
        return true;
    }
    if ((modifiers == Qt::ControlModifier && key->key() == Qt::Key_Y) ||
        (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key->key() == Qt::Key_Z)) {
        set_.History().redo();
        return true;
    }
    switch (key->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            editor_.DeleteSelected();
            return true;
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit doneRequested();
            return true;
        default:
            break;
    }
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier) return false;
    for (const ToolKey& row : kToolKeys) {
        if (row.key != key->key()) continue;
        editor_.SetTool(row.tool);
        toolbar_->ShowTool(row.tool);
        return true;
    }
    return false;
}

bool MarkingMode::Mouse(QMouseEvent* mouse) {
    const QPointF at = ToPicture(mouse->position());
    const bool shift = mouse->modifiers().testFlag(Qt::ShiftModifier);
    switch (mouse->type()) {
        case QEvent::MouseButtonPress:
            // The right button still opens the pin's menu.
            if (mouse->button() != Qt::LeftButton) return false;
            EndText();
            editor_.Press(at, shift);
            return true;
        case QEvent::MouseMove:
            if (mouse->buttons().testFlag(Qt::LeftButton)) editor_.Move(at, shift);
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) editor_.Release(at, shift);
            return true;
        case QEvent::MouseButtonDblClick:
            // Never an unpin while marking: two clicks edit a text mark again.
            if (mouse->button() == Qt::LeftButton) editor_.DoubleClick(at);
            return true;
        default:
            return false;
    }
}

void MarkingMode::OpenText(QPointF at, int index) {
    EndText();
    textIndex_ = index;
    textAt_ = at;
    QString text;
    marks::Mark style{.kind = marks::Kind::Text,
                      .points = {at},
                      .color = editor_.Color(),
                      .width = editor_.Width(),
                      .text = {}};
    if (index >= 0) {
        style = set_.Marks()[index];
        text = style.text;
    }
    auto* box = new QPlainTextEdit(text);
    box->setObjectName(QStringLiteral("markText"));
    box->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font = marks::LetterFont(style);
    font.setPixelSize(std::max(6, qRound(font.pixelSize() * ToControl().m11())));
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, style.color);
    box->setPalette(palette);
    box->installEventFilter(this);
    const QPoint corner = picture_.mapToGlobal(ToControl().map(at).toPoint());
    box->move(corner);
    box->resize(std::max(160, picture_.width() / 3), font.pixelSize() * 3);
    text_ = box;
    box->show();
    box->activateWindow();
    box->setFocus();
    connect(box, &QObject::destroyed, this, [this] { text_ = nullptr; });
}

void MarkingMode::EndText() {
    if (!text_) return;
    QPlainTextEdit* box = text_;
    text_ = nullptr;
    const QString text = box->toPlainText();
    box->removeEventFilter(this);
    box->close();
    editor_.CommitText(textIndex_, textAt_, text);
    pin_.activateWindow();
}

void MarkingMode::DrawSelection(QPainter& painter) const {
    if (editor_.Selected() < 0) return;
    const QTransform toControl = ToControl();
    const QRectF bounds = toControl.mapRect(Shown()[editor_.Selected()].Bounds());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.drawRect(bounds);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(bounds);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (const QPointF& handle : editor_.Handles()) {
        const QPointF centre = toControl.map(handle);
        painter.drawRect(QRectF(centre - QPointF(4, 4), QSizeF(8, 8)));
    }
    painter.restore();
}

}  // namespace pinned_window
