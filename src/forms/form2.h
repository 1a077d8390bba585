#pragma once

#include <cstdint>

#include "platform/controls.h"
#include "platform/form_window.h"

class QAction;

namespace forms {

// The display window: one picture shown at the size the user gives it, before it is pinned.
// Its Top lies 600 twips above the picture and its Height is the picture's plus 600, whatever
// frame the window manager draws, so pinning leaves the picture on the same screen pixels.
class Form2 : public platform::FormWindow {
    Q_OBJECT
public:
    static constexpr float kAllowance = 600.0f;  // title bar and menu bar, in twips

    Form2();

    platform::PictureBox* Picture1;
    platform::HiddenLabel Label1;
    platform::ImageBox* Image1;

    // Menu "ﾒﾆｭｰ" and "ﾍﾙﾌﾟ".
    QAction* hari;
    QAction* del_pos;
    QAction* disp_vl;
    QAction* vl_end;
    QAction* orvik_hlp;
    QAction* vl_ab;

    virtual void SetWinSize(std::int16_t height, std::int16_t width) = 0;
    virtual void Pic_show() = 0;

protected:
    int TopAllowancePixels() const override;
    void OnUnload() override;

    virtual void Image1_DblClick() {}
    virtual void hari_Click() {}
    virtual void del_pos_Click() {}
    virtual void disp_vl_Click() {}
    virtual void vl_end_Click() {}
    virtual void orvik_hlp_Click() {}
    virtual void vl_ab_Click() {}

private:
    void CreateControls();
    void CreateMenu();
    void ConnectHandlers();
};

}  // namespace forms
