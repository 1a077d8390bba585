#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QTransform>

#include "marks/mark_editor.h"

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QPlainTextEdit;
class QWidget;

namespace marking_toolbar {
class MarkingToolbar;
}

namespace pinned_window {

// A pin while the user marks it: the pointer on its picture draws, picks and moves marks, keys
// choose tools, undo and leave, and a tool bar sits beside it. The pin neither moves, unpins
// nor zooms meanwhile: the mode takes those events first.
class MarkingMode : public QObject {
    Q_OBJECT
public:
    // `picture` is the control the picture is drawn on, `pictureSize` the picture's own size.
    MarkingMode(QWidget& pin, QWidget& picture, QSizeF pictureSize, marks::MarkSet& set);
    ~MarkingMode() override;

    marks::Editor& Editor() { return editor_; }
    const QList<marks::Mark>& Shown() const { return editor_.Shown(); }
    // Picture pixels to the picture control's pixels.
    QTransform ToControl() const;
    // The selected mark's outline and handles, with the painter in the control's pixels.
    void DrawSelection(QPainter& painter) const;
    // Ends any text being typed, keeping it.
    void EndText();
    // Ends the mode: the text typed is kept, a drag dropped, the tool bar goes, and events pass
    // to the pin again. The mode may then be deleted whenever convenient.
    void Leave();

signals:
    void doneRequested();
    // Pixels of the picture control to draw again.
    void repaintRequested(const QRectF& controlArea);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Key(QKeyEvent* key);
    bool Mouse(QMouseEvent* mouse);
    QPointF ToPicture(QPointF controlPoint) const;
    void OpenText(QPointF at, int index);
    void UpdateSlop();

    QWidget& pin_;
    QWidget& picture_;
    QSizeF pictureSize_;
    marks::MarkSet& set_;
    marks::Editor editor_;
    marking_toolbar::MarkingToolbar* toolbar_;
    // The text being typed: a window of its own over the pin, where input methods work as in
    // any text field.
    QPointer<QPlainTextEdit> text_;
    int textIndex_ = -1;
    QPointF textAt_;
    bool left_ = false;
};

}  // namespace pinned_window
