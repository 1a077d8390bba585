#include "marks/mark_set.h"

#include <QUndoCommand>

namespace marks {

namespace {

class AddStep : public QUndoCommand {
public:
    AddStep(MarkSet& set, int index, Mark mark)
        : set_(set), index_(index), mark_(std::move(mark)) {}
    void redo() override { set_.InsertAt(index_, mark_); }
    void undo() override { set_.RemoveAt(index_); }

private:
    MarkSet& set_;
    int index_;
    Mark mark_;
};

class RemoveStep : public QUndoCommand {
public:
    RemoveStep(MarkSet& set, int index) : set_(set), index_(index), mark_(set.Marks()[index]) {}
    void redo() override { set_.RemoveAt(index_); }
    void undo() override { set_.InsertAt(index_, mark_); }

private:
    MarkSet& set_;
    int index_;
    Mark mark_;
};

class ChangeStep : public QUndoCommand {
public:
    ChangeStep(MarkSet& set, int index, Mark after)
        : set_(set), index_(index), before_(set.Marks()[index]), after_(std::move(after)) {}
    void redo() override { set_.ReplaceAt(index_, after_); }
    void undo() override { set_.ReplaceAt(index_, before_); }

private:
    MarkSet& set_;
    int index_;
    Mark before_;
    Mark after_;
};

class ClearStep : public QUndoCommand {
public:
    explicit ClearStep(MarkSet& set) : set_(set), before_(set.Marks()) {}
    void redo() override { set_.ReplaceAll({}); }
    void undo() override { set_.ReplaceAll(before_); }

private:
    MarkSet& set_;
    QList<Mark> before_;
};

// Every mark moved with the picture under it, and what else the step changes along with them.
class MapStep : public QUndoCommand {
public:
    MapStep(MarkSet& set, const QTransform& transform, std::function<void(bool)> alongside)
        : set_(set), before_(set.Marks()), alongside_(std::move(alongside)) {
        after_.reserve(before_.size());
        for (const Mark& mark : before_) after_.append(mark.Mapped(transform));
    }
    void redo() override {
        set_.ReplaceAll(after_);
        if (alongside_) alongside_(true);
    }
    void undo() override {
        set_.ReplaceAll(before_);
        if (alongside_) alongside_(false);
    }

private:
    MarkSet& set_;
    QList<Mark> before_;
    QList<Mark> after_;
    std::function<void(bool)> alongside_;
};

QRectF BoundsOf(const QList<Mark>& marks) {
    QRectF bounds;
    for (const Mark& mark : marks) bounds |= mark.Bounds();
    return bounds;
}

}  // namespace

MarkSet::MarkSet(QList<Mark> marks, QObject* parent) : QObject(parent), marks_(std::move(marks)) {}

void MarkSet::Add(const Mark& mark) {
    history_.push(new AddStep(*this, int(marks_.size()), mark));
}

void MarkSet::Change(int index, const Mark& mark) {
    if (index < 0 || index >= marks_.size() || marks_[index] == mark) return;
    history_.push(new ChangeStep(*this, index, mark));
}

void MarkSet::Remove(int index) {
    if (index < 0 || index >= marks_.size()) return;
    history_.push(new RemoveStep(*this, index));
}

void MarkSet::Clear() {
    if (!marks_.isEmpty()) history_.push(new ClearStep(*this));
}

QRectF MarkSet::NumbersFrom(int index) const {
    QRectF bounds;
    for (qsizetype i = index; i < marks_.size(); ++i) {
        if (marks_[i].kind == Kind::Number) bounds |= marks_[i].Bounds();
    }
    return bounds;
}

void MarkSet::InsertAt(int index, const Mark& mark) {
    marks_.insert(index, mark);
    emit changed(mark.Bounds() | (mark.kind == Kind::Number ? NumbersFrom(index) : QRectF()));
}

void MarkSet::ReplaceAt(int index, const Mark& mark) {
    const QRectF before = marks_[index].Bounds();
    marks_[index] = mark;
    emit changed(before | mark.Bounds());
}

void MarkSet::RemoveAt(int index) {
    const Mark gone = marks_.takeAt(index);
    emit changed(gone.Bounds() | (gone.kind == Kind::Number ? NumbersFrom(index) : QRectF()));
}

void MarkSet::MapAll(const QTransform& transform, std::function<void(bool redone)> alongside) {
    history_.push(new MapStep(*this, transform, std::move(alongside)));
}

void MarkSet::ReplaceAll(const QList<Mark>& marks) {
    const QRectF before = BoundsOf(marks_);
    marks_ = marks;
    emit changed(before | BoundsOf(marks_));
}

}  // namespace marks
