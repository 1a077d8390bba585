#include "forms/form3.h"

namespace forms {

Form3::Form3() : FormWindow(platform::BorderStyle::None) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    // A pinned picture belongs to the desktop: the user reaches it by clicking it, not by Alt+Tab.
    SetInWindowSwitchers(false);
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

}  // namespace forms
