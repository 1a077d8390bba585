#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QUndoStack;

#include "marks/mark_editor.h"

namespace marking_toolbar {

// The small window beside a pin being marked: its tools, colours and widths, undo, redo and
// done. It changes the editor directly; the pin follows the editor.
class MarkingToolbar : public QWidget {
    Q_OBJECT
public:
    MarkingToolbar(marks::Editor& editor, QUndoStack& history, QWidget* parent = nullptr);

    // Shows the editor's tool as chosen (a key chose it).
    void ShowTool(marks::Tool tool);
    // Beside the pin's frame, on a side of its screen with room, never over it.
    void PlaceBeside(const QRect& pinFrame);

signals:
    void doneRequested();

private:
    void AddTools();
    void AddColors();
    void AddWidths();
    void AddHistory(QUndoStack& history);
    void ChooseOtherColor();

    marks::Editor& editor_;
    QButtonGroup* tools_;
};

}  // namespace marking_toolbar
