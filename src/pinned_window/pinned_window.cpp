#include "pinned_window/pinned_window.h"

#include <algorithm>

#include "forms/form2.h"
#include "forms/forms.h"
#include "platform/twips.h"
#include "store/picture_list.h"

namespace pinned_window {

ReferenceSize ReferenceSizeFor(float heightTwips, float widthTwips) {
    double height = heightTwips;
    double width = widthTwips;
    const double largest = std::max(height, width);
    if (largest > 32767.0) {
        height = height * 32767.0 / largest;
        width = width * 32767.0 / largest;
    }
    // At least one twip each way: the width divides the picture height in the display window.
    return {std::max<std::int16_t>(1, platform::ToInteger16(height).value_or(32767)),
            std::max<std::int16_t>(1, platform::ToInteger16(width).value_or(32767))};
}

void PinnedWindow::Image1_DblClick() {
    PicCopy();
    forms::TheForm2().Show();
}

void PinnedWindow::PicCopy() {
    forms::Form2& display = forms::TheForm2();
    ReferenceSize reference = ReferenceSizeFor(Height(), Width());
    display.SetWinSize(reference.height, reference.width);
    display.SetWidth(Width());
    display.SetHeight(Height() + forms::Form2::kAllowance);
    display.SetLeft(Left());
    display.SetTop(Top() - forms::Form2::kAllowance);
    display.Picture1->SetWidth(Image1->Width());
    display.Picture1->SetHeight(Image1->Height());
    display.Image1->SetWidth(Image1->Width());
    display.Image1->SetHeight(Image1->Height());
    display.Image1->SetPicture(Image1->GetPicture());
    display.Label1.Caption = Label2.Caption;

    // This window's own entry: its path and the geometry texts it was listed with, so that the
    // right one goes when several windows show the same file.
    if (!pictures_.Remove({Label2.Caption, entryTexts})) return;
    Unload();
}

}  // namespace pinned_window
