#pragma once

#include "forms/form3.h"

namespace store {
class PictureList;
}

namespace pinned_window {

// A picture pinned to the desktop; a double-click hands it back to the display window.
class PinnedWindow : public forms::Form3 {
    Q_OBJECT
public:
    explicit PinnedWindow(store::PictureList& pictures) : pictures_(pictures) {}
    void PicCopy() override;

protected:
    void Image1_DblClick() override;
    // Unloaded from inside its own double-click handler: the object goes once that has returned.
    void OnUnload() override { deleteLater(); }

private:
    store::PictureList& pictures_;
};

// The reference size handed to the display window: the window's size as 16-bit integers, the
// aspect ratio kept when either side exceeds 32767 twips.
struct ReferenceSize {
    std::int16_t height;
    std::int16_t width;
};
ReferenceSize ReferenceSizeFor(float heightTwips, float widthTwips);

}  // namespace pinned_window
