#pragma once

#include <QSize>
#include <QWidget>

#include "text_recognition/recognised_text.h"

namespace pinned_window {

// A pin's recognised words made selectable in place: a transparent layer over the picture that
// a drag selects words on in reading order, with Ctrl+A, Ctrl+C and Esc; a double-click selects
// the word under it. Only the selection is drawn, over the picture, which stays as it was.
class TextSelection : public QWidget {
    Q_OBJECT
public:
    // Words with boxes in the pixels of a picture of `natural` size, shown stretched over
    // `picture`, which the layer covers.
    TextSelection(QWidget* picture, text_recognition::Words words, QSize natural);

    const text_recognition::WordRange& Selection() const { return selection_; }
    QString SelectedText() const;
    void SelectAll();
    // Draws the selection with the picture's top left at `origin`; the window draws it so when
    // it is drawn on screen.
    void Draw(QPainter& painter, QPoint origin) const;

signals:
    void copyRequested();
    void leaveRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    QPaintEngine* paintEngine() const override { return nullptr; }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect OnLayer(const QRect& box) const;
    QPointF InPicture(QPointF point) const;
    void Select(text_recognition::WordRange range);

    text_recognition::Words words_;
    QSize natural_;
    text_recognition::WordRange selection_;
    std::optional<QPointF> dragFrom_;  // in the picture's pixels
};

}  // namespace pinned_window
