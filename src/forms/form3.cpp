#include "forms/form3.h"

#include <QPainter>

namespace forms {

Form3::Form3() : FormWindow(platform::BorderStyle::None) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    // A pinned picture belongs to the desktop: the user reaches it by clicking it, not by Alt+Tab.
    SetInWindowSwitchers(false);
    // It never changes size, and its picture is kept with it: one copy of the pixels is enough.
    DrawWithoutBackingStore();
    // The system's window background shows wherever the picture does not cover.
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    setPalette(palette);
    Image1 = new platform::ImageBox(ClientArea());
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->Place(0, 0, 2535, 1815);
    SetClientSize(3315, 2550);
    connect(Image1, &platform::ImageBox::DoubleClicked, this, [this] { Image1_DblClick(); });
}

void Form3::DrawContents(QPainter& painter) {
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (Image1->Visible()) {
        Image1->Draw(painter, QRect(Image1->mapTo(this, QPoint(0, 0)), Image1->size()));
    }
}

}  // namespace forms
