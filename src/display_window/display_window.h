#pragma once

#include <cstdint>

#include "forms/form2.h"

namespace platform {
class ThumbnailCache;
}
namespace store {
class PictureList;
}

namespace display_window {

// The display window's behaviour: the picture keeps its aspect ratio while the user sizes the
// window, and pinning turns it into a pinned window, and writes the thumbnail that the pinned
// window's next restore will look for into `thumbnails` (when there is a cache; it must outlive
// the window).
class DisplayWindow : public forms::Form2 {
    Q_OBJECT
public:
    explicit DisplayWindow(store::PictureList& pictures,
                           platform::ThumbnailCache* thumbnails = nullptr);

    void SetWinSize(std::int16_t height, std::int16_t width) override;
    void Pic_show() override;

    // The reference size, for tests.
    double ReferenceHeight() const { return pic_h; }
    std::int16_t ReferenceWidth() const { return pic_w; }

protected:
    void Form_Resize() override;
    void Form_LostFocus() override;
    void OnCloseCommand() override;

    void Image1_DblClick() override;
    void hari_Click() override;
    void del_pos_Click() override;
    void disp_vl_Click() override;
    void vl_end_Click() override;
    void orvik_hlp_Click() override;
    void vl_ab_Click() override;

private:
    void Form_Initialize();

    store::PictureList& pictures_;
    platform::ThumbnailCache* thumbnails_;
    double pic_h = 0;  // single-precision from Form_Initialize, integer from SetWinSize
    std::int16_t pic_w = 1;
    bool pinning_ = false;  // one display gives one pinned window, whatever the focus does
};

// The picture height for a window `width` twips wide, for a reference size pic_h x pic_w:
// the product and the quotient each rounded to single precision.
float PictureHeightFor(double pic_h, std::int16_t pic_w, float width);

}  // namespace display_window
