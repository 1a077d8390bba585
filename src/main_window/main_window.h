#pragma once

#include "forms/form1.h"

namespace store {
class PictureList;
}

namespace main_window {

// The main window's behaviour: the browser, the preview, opening a picture, and the commands.
class MainWindow : public forms::Form1 {
    Q_OBJECT
public:
    explicit MainWindow(store::PictureList& pictures);

protected:
    void Drive1_Change() override;
    void Dir1_Change() override;
    void File1_Click() override;
    void Image1_DblClick() override;
    void non_disp_Click() override;
    void end_vl_Click() override;
    void vl_help_Click() override;
    void vl_about_Click() override;
    void OnCloseCommand() override;

private:
    store::PictureList& pictures_;
};

// The largest size, in twips, at which a picture opens in the display window: within 16-bit
// twips, and within the screen's available area so that every border can be reached.
QSizeF LargestDisplaySize();

}  // namespace main_window
