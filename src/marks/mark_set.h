#pragma once

#include <QList>
#include <QObject>
#include <QRectF>
#include <QUndoStack>
#include <functional>

#include "marks/mark.h"

namespace marks {

// One pin's marks and their history. Every mark made, changed or removed is one step of the
// history (the undo stack), which lasts as long as the set: while the program runs.
class MarkSet : public QObject {
    Q_OBJECT
public:
    explicit MarkSet(QList<Mark> marks = {}, QObject* parent = nullptr);

    const QList<Mark>& Marks() const { return marks_; }
    bool IsEmpty() const { return marks_.isEmpty(); }
    QUndoStack& History() { return history_; }

    // Each is one step of the history.
    void Add(const Mark& mark);
    void Change(int index, const Mark& mark);
    void Remove(int index);
    void Clear();
    // Every mark taken where the transform takes the picture's pixels, as one step; `alongside`
    // makes the rest of that change (true) or takes it back (false), after the marks.
    void MapAll(const QTransform& transform, std::function<void(bool redone)> alongside);

    // What the steps do, and what undoing them does; not steps themselves.
    void InsertAt(int index, const Mark& mark);
    void ReplaceAt(int index, const Mark& mark);
    void RemoveAt(int index);
    void ReplaceAll(const QList<Mark>& marks);

signals:
    // The marks changed, and with them every pixel in `dirty`, in picture pixels.
    void changed(const QRectF& dirty);

private:
    // The bounds of the numbers from `index` on: they are renumbered when a number before them
    // comes or goes.
    QRectF NumbersFrom(int index) const;

    QList<Mark> marks_;
    QUndoStack history_;
};

}  // namespace marks
