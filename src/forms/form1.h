#pragma once

#include <QString>

#include "forms/help.h"
#include "platform/controls.h"
#include "platform/file_path.h"
#include "platform/form_window.h"

class QAction;
class QLabel;

namespace platform {
class DriveListBox;
class DirListBox;
class FileListBox;
}  // namespace platform

namespace forms {

// The main window: the picture browser with its preview.
class Form1 : public platform::FormWindow {
    Q_OBJECT
public:
    Form1();

    // Controls, front-most first. The picture list the hidden list boxes held is a
    // store::PictureList the program hands to the windows.
    platform::PictureBox* Picture1;
    platform::FileListBox* File1;
    platform::DirListBox* Dir1;
    platform::DriveListBox* Drive1;
    QLabel* Label5;
    QLabel* Label3;
    QLabel* Label2;
    platform::HiddenLabel Label1;
    platform::ImageBox* Image1;

    // Menu "ﾒﾆｭｰ" and "ﾍﾙﾌﾟ".
    QAction* non_disp;
    QAction* end_vl;
    QAction* vl_help;
    QAction* vl_about;

    // The help commands of this window and of the display window.
    Help help;

    // The current picture, and the record being restored at start.
    platform::FilePath cur_path;
    double cur_left = 0, cur_top = 0, cur_width = 0, cur_height = 0;

    // Shows or hides the main window, with "非表示" offered or not: every place outside the
    // window that brings it back or sends it away goes through here.
    void SetShownWithHide(bool shown, bool hideEnabled);

protected:
    // Handlers; the browser and the commands are defined with the main window's behaviour.
    virtual void Drive1_Change() {}
    virtual void Dir1_Change() {}
    virtual void File1_Click() {}
    virtual void Image1_DblClick() {}
    virtual void non_disp_Click() {}
    virtual void end_vl_Click() {}
    virtual void vl_help_Click() {}
    virtual void vl_about_Click() {}

private:
    void CreateControls();
    void CreateMenu();
    void ConnectHandlers();
};

}  // namespace forms
