#pragma once

#include <QString>
#include <array>

#include "platform/controls.h"
#include "platform/form_window.h"

namespace forms {

// A pinned window: no frame, no title bar, nothing but its picture.
class Form3 : public platform::FormWindow {
    Q_OBJECT
public:
    Form3();

    platform::HiddenLabel Label2;  // the picture's path
    platform::HiddenLabel Label1;
    platform::ImageBox* Image1;

    // The geometry texts this window's entry was given in the picture list, so that unpinning
    // finds this window's own entry even when another window shows the same file.
    std::array<QString, 4> entryTexts;

    virtual void PicCopy() = 0;

protected:
    virtual void Image1_DblClick() {}
    // A pinned window has no close command of its own; the window manager's is ignored.
    void OnCloseCommand() override {}
    void DrawContents(QPainter& painter) override;
};

}  // namespace forms
