#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <optional>

#include "marks/mark.h"
#include "marks/mark_set.h"

// What the pointer does to a pin's marks while the user marks it, in picture pixels and without
// a window: drawing a new mark, picking one, moving it and resizing it by its handles. The
// window turns its events into these calls and draws Shown().
namespace marks {

// A tool: the kind of mark it draws, or none for the one that selects marks.
using Tool = std::optional<Kind>;
inline constexpr Tool kSelect = std::nullopt;

class Editor : public QObject {
    Q_OBJECT
public:
    explicit Editor(MarkSet& set, QObject* parent = nullptr);

    Tool CurrentTool() const { return tool_; }
    void SetTool(Tool tool);
    const QColor& Color() const { return color_; }
    qreal Width() const { return width_; }
    // The colour and width of marks made from now on, and of the selected mark.
    void SetColor(const QColor& color);
    void SetWidth(qreal width);
    // How far from a stroke or a handle the pointer still picks it, in picture pixels: a few
    // screen pixels, whatever the zoom.
    void SetSlop(qreal pixels) { slop_ = pixels; }

    void Press(QPointF at, bool shift);
    void Move(QPointF at, bool shift);
    void Release(QPointF at, bool shift);
    // Ends a drag without making anything of it.
    void Cancel();
    // Two clicks on a text mark: it is edited again (textRequested).
    void DoubleClick(QPointF at);

    // The text box's result for a text at `at`: a new mark when `index` is -1, else the text of
    // that mark. An empty text makes nothing, or removes the mark it was.
    void CommitText(int index, QPointF at, const QString& text);

    int Selected() const { return selected_; }
    void Select(int index);
    void DeleteSelected();
    // The handles of the selected mark, in picture pixels: its corners or ends.
    QList<QPointF> Handles() const;
    bool Dragging() const { return drag_.has_value(); }
    // The mark being drawn, not in the set yet; null when none is.
    const Mark* Drawing() const;
    // Whether the selected mark is being moved or resized: the set's copy of it is not shown.
    bool Reshaping() const { return drag_ && drag_->gesture != Gesture::Draw; }

    // The marks as they are to be drawn now: the set's, with the one being drawn, moved or
    // resized as it is at this moment of the drag.
    const QList<Mark>& Shown() const;

signals:
    // Pixels to draw again, in picture pixels: a drag, a selection.
    void dirty(const QRectF& area);
    // A text box is needed at `at`, for a new text (index -1) or for that text mark.
    void textRequested(QPointF at, int index);

private:
    enum class Gesture { Draw, Move, Resize };
    struct Drag {
        Gesture gesture;
        QPointF from;
        Mark mark;        // as it is now
        int handle = -1;  // the handle being dragged when resizing
    };

    // The selected mark changed by `change`, as one step.
    void Restyle(const std::function<void(Mark&)>& change);
    void Preview(const Mark& mark);
    void EndPreview();
    QRectF SelectionArea() const;
    int HandleAt(QPointF at) const;
    Mark Resized(const Mark& mark, int handle, QPointF to, bool shift) const;

    MarkSet& set_;
    Tool tool_ = Kind::Pen;
    QColor color_ = QColor(0xe5, 0x39, 0x35);
    qreal width_ = 4;
    qreal slop_ = 4;
    int selected_ = -1;
    std::optional<Drag> drag_;
    mutable std::optional<QList<Mark>> shown_;  // made when the drag shows a mark the set has not
};

}  // namespace marks
