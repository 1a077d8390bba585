#include "pinned_window/text_selection.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>

namespace pinned_window {

using text_recognition::WordRange;

TextSelection::TextSelection(QWidget* picture, text_recognition::Words words, QSize natural)
    : QWidget(picture), words_(std::move(words)), natural_(natural) {
    setObjectName(QStringLiteral("textSelection"));
    setGeometry(picture->rect());
    setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QString TextSelection::SelectedText() const {
    return text_recognition::TextOf(words_, selection_.first, selection_.last);
}

void TextSelection::SelectAll() {
    Select({0, qsizetype(words_.size()) - 1});
}

QRect TextSelection::OnLayer(const QRect& box) const {
    if (natural_.isEmpty()) return {};
    const double sx = double(width()) / natural_.width();
    const double sy = double(height()) / natural_.height();
    return QRect(QPoint(int(std::floor(box.left() * sx)), int(std::floor(box.top() * sy))),
                 QPoint(int(std::ceil((box.right() + 1) * sx)) - 1,
                        int(std::ceil((box.bottom() + 1) * sy)) - 1));
}

QPointF TextSelection::InPicture(QPointF point) const {
    if (width() <= 0 || height() <= 0) return {};
    return {point.x() * natural_.width() / width(), point.y() * natural_.height() / height()};
}

void TextSelection::Select(WordRange range) {
    if (range == selection_) return;
    // Only the words whose state changed are drawn again: a drag's step over a page of words
    // touches a few.
    QRegion changed;
    for (qsizetype i = 0; i < qsizetype(words_.size()); ++i) {
        if (range.Contains(i) != selection_.Contains(i)) changed += OnLayer(words_[size_t(i)].box);
    }
    selection_ = range;
    update(changed);
    if (window()->testAttribute(Qt::WA_PaintOnScreen)) {
        window()->update(changed.translated(mapTo(window(), QPoint(0, 0))));
    }
}

void TextSelection::Draw(QPainter& painter, QPoint origin) const {
    if (selection_.Empty()) return;
    QColor highlight = palette().color(QPalette::Highlight);
    highlight.setAlpha(110);
    for (qsizetype i = selection_.first; i <= selection_.last; ++i) {
        painter.fillRect(OnLayer(words_[size_t(i)].box).translated(origin), highlight);
    }
}

void TextSelection::paintEvent(QPaintEvent*) {
    if (window()->testAttribute(Qt::WA_PaintOnScreen)) return;
    QPainter painter(this);
    Draw(painter, QPoint(0, 0));
}

void TextSelection::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    dragFrom_ = InPicture(event->position());
    Select({});
}

void TextSelection::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) return;
    Select(text_recognition::DraggedRange(words_, *dragFrom_, InPicture(event->position())));
}

void TextSelection::mouseReleaseEvent(QMouseEvent*) {
    dragFrom_.reset();
}

void TextSelection::mouseDoubleClickEvent(QMouseEvent* event) {
    // Taken here, so the pin is not unpinned while its text is being selected.
    event->accept();
    const qsizetype word = text_recognition::WordAt(words_, InPicture(event->position()));
    Select(word < 0 ? WordRange{} : WordRange{word, word});
}

void TextSelection::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
    } else if (event->key() == Qt::Key_Escape) {
        emit leaveRequested();
    } else {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace pinned_window
