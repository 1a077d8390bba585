#include "marks/mark_editor.h"

#include <QLineF>
#include <algorithm>
#include <functional>

namespace marks {

namespace {

// A shape dragged less than this either way was a click, and makes nothing.
constexpr qreal kLeastShape = 2;

bool HasCorners(Kind kind) {
    return kind == Kind::Rectangle || kind == Kind::Ellipse || IsCover(kind);
}

bool HasEnds(Kind kind) {
    return kind == Kind::Line || kind == Kind::Arrow;
}

QList<QPointF> CornersOf(const QRectF& box) {
    return {box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()};
}

}  // namespace

Editor::Editor(MarkSet& set, QObject* parent) : QObject(parent), set_(set) {
    // An undo may take the selected mark away.
    connect(&set_, &MarkSet::changed, this, [this] {
        shown_.reset();
        if (selected_ >= set_.Marks().size()) selected_ = -1;
    });
}

void Editor::SetTool(Tool tool) {
    Cancel();
    tool_ = tool;
    if (tool) Select(-1);
}

void Editor::SetColor(const QColor& color) {
    color_ = color;
    Restyle([&color](Mark& mark) { mark.color = color; });
}

void Editor::SetWidth(qreal width) {
    width_ = width;
    Restyle([width](Mark& mark) { mark.width = width; });
}

void Editor::Restyle(const std::function<void(Mark&)>& change) {
    if (selected_ < 0) return;
    Mark restyled = set_.Marks()[selected_];
    change(restyled);
    set_.Change(selected_, restyled);
}

void Editor::Select(int index) {
    if (index == selected_) return;
    const QRectF before = SelectionArea();
    selected_ = index >= 0 && index < set_.Marks().size() ? index : -1;
    emit dirty(before | SelectionArea());
}

QRectF Editor::SelectionArea() const {
    if (selected_ < 0) return {};
    const qreal reach = 2 * slop_ + 2;
    return Shown()[selected_].Bounds().adjusted(-reach, -reach, reach, reach);
}

QList<QPointF> Editor::Handles() const {
    if (selected_ < 0) return {};
    const Mark& mark = Shown()[selected_];
    if (HasCorners(mark.kind)) return CornersOf(mark.Box());
    if (HasEnds(mark.kind)) return {mark.points.first(), mark.points.last()};
    return {};
}

int Editor::HandleAt(QPointF at) const {
    const QList<QPointF> handles = Handles();
    for (qsizetype i = 0; i < handles.size(); ++i) {
        if (QLineF(handles[i], at).length() <= 2 * slop_) return int(i);
    }
    return -1;
}

void Editor::Press(QPointF at, bool shift) {
    Q_UNUSED(shift);
    Cancel();
    if (!tool_) {
        if (const int handle = HandleAt(at); handle >= 0) {
            drag_ = Drag{Gesture::Resize, at, set_.Marks()[selected_], handle};
            return;
        }
        Select(MarkAt(set_.Marks(), at, slop_));
        if (selected_ >= 0) drag_ = Drag{Gesture::Move, at, set_.Marks()[selected_]};
        return;
    }
    if (tool_ == Kind::Text) {
        const int under = MarkAt(set_.Marks(), at, slop_);
        const bool onText = under >= 0 && set_.Marks()[under].kind == Kind::Text;
        emit textRequested(onText ? set_.Marks()[under].points.first() : at, onText ? under : -1);
        return;
    }
    const Kind kind = *tool_;
    Mark mark{.kind = kind, .points = {at}, .color = color_, .width = width_, .text = {}};
    if (!IsPath(kind) && !IsPoint(kind)) mark.points.append(at);
    drag_ = Drag{Gesture::Draw, at, mark};
    Preview(mark);
}

void Editor::Move(QPointF at, bool shift) {
    if (!drag_) return;
    if (drag_->gesture != Gesture::Draw && selected_ < 0) {
        Cancel();  // the mark went meanwhile (an undo)
        return;
    }
    Mark mark = drag_->mark;
    switch (drag_->gesture) {
        case Gesture::Draw:
            if (IsPath(mark.kind)) {
                const QPointF last = mark.points.last();
                if (QLineF(last, at).length() < 0.5) return;
                mark.points.append(at);
                drag_->mark = mark;
                shown_.reset();
                // Only the new piece of the stroke: a long stroke costs no more than a short one.
                const qreal reach = mark.width * (mark.kind == Kind::Highlighter ? 2 : 0.5) + 2;
                emit dirty(QRectF(last, at).normalized().adjusted(-reach, -reach, reach, reach));
                return;
            }
            if (IsPoint(mark.kind)) {
                mark.points.first() = at;
            } else {
                mark.points.last() = shift ? Constrained(mark.kind, drag_->from, at) : at;
            }
            break;
        case Gesture::Move:
            mark = set_.Marks()[selected_].Moved(at - drag_->from);
            break;
        case Gesture::Resize:
            mark = Resized(set_.Marks()[selected_], drag_->handle, at, shift);
            break;
    }
    Preview(mark);
}

void Editor::Release(QPointF at, bool shift) {
    if (!drag_) return;
    Move(at, shift);
    const Drag done = *drag_;
    EndPreview();
    const Mark& mark = done.mark;
    if (done.gesture != Gesture::Draw) {
        if (selected_ >= 0) set_.Change(selected_, mark);
        return;
    }
    const QRectF box = mark.Box();
    const bool tooSmall =
        !IsPath(mark.kind) && !IsPoint(mark.kind) &&
        (HasEnds(mark.kind) ? QLineF(mark.points.first(), mark.points.last()).length() < kLeastShape
                            : box.width() < kLeastShape || box.height() < kLeastShape);
    if (!tooSmall) set_.Add(mark);
}

void Editor::Cancel() {
    if (drag_) EndPreview();
}

void Editor::DoubleClick(QPointF at) {
    const int under = MarkAt(set_.Marks(), at, slop_);
    if (under >= 0 && set_.Marks()[under].kind == Kind::Text) {
        Cancel();
        emit textRequested(set_.Marks()[under].points.first(), under);
    }
}

void Editor::CommitText(int index, QPointF at, const QString& text) {
    const bool blank = text.trimmed().isEmpty();
    if (index < 0 || index >= set_.Marks().size()) {
        if (blank) return;
        set_.Add(Mark{
            .kind = Kind::Text, .points = {at}, .color = color_, .width = width_, .text = text});
        return;
    }
    if (blank) {
        set_.Remove(index);
        return;
    }
    Mark edited = set_.Marks()[index];
    edited.text = text;
    set_.Change(index, edited);
}

void Editor::DeleteSelected() {
    if (selected_ < 0) return;
    const int index = selected_;
    Select(-1);
    set_.Remove(index);
}

Mark Editor::Resized(const Mark& mark, int handle, QPointF to, bool shift) const {
    Mark resized = mark;
    if (HasEnds(mark.kind)) {
        const QPointF other = mark.points[handle == 0 ? mark.points.size() - 1 : 0];
        resized.points[handle == 0 ? 0 : resized.points.size() - 1] =
            shift ? Constrained(mark.kind, other, to) : to;
        return resized;
    }
    const QList<QPointF> corners = CornersOf(mark.Box());
    const QPointF opposite = corners[(handle + 2) % 4];
    resized.points = {opposite, shift ? Constrained(mark.kind, opposite, to) : to};
    return resized;
}

void Editor::Preview(const Mark& mark) {
    const QRectF before = drag_->gesture == Gesture::Draw ? drag_->mark.Bounds() : SelectionArea();
    drag_->mark = mark;
    shown_.reset();
    emit dirty(before | (drag_->gesture == Gesture::Draw ? mark.Bounds() : SelectionArea()));
}

void Editor::EndPreview() {
    const QRectF area = drag_->mark.Bounds() | SelectionArea();
    drag_.reset();
    shown_.reset();
    emit dirty(area | SelectionArea());
}

const Mark* Editor::Drawing() const {
    return drag_ && drag_->gesture == Gesture::Draw ? &drag_->mark : nullptr;
}

const QList<Mark>& Editor::Shown() const {
    if (!drag_) return set_.Marks();
    if (!shown_) {
        QList<Mark> marks = set_.Marks();
        if (drag_->gesture == Gesture::Draw) {
            marks.append(drag_->mark);
        } else if (selected_ >= 0) {
            marks[selected_] = drag_->mark;
        }
        shown_ = std::move(marks);
    }
    return *shown_;
}

}  // namespace marks
