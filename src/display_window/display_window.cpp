#include "display_window/display_window.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/forms.h"
#include "platform/help_viewer.h"
#include "platform/mouse_pointer.h"
#include "platform/number_text.h"
#include "platform/twips.h"
#include "store/data_file.h"

namespace display_window {

float PictureHeightFor(double pic_h, std::int16_t pic_w, float width) {
    const float product = static_cast<float>(pic_h * double(width));
    return product / static_cast<float>(pic_w);
}

DisplayWindow::DisplayWindow() {
    // The user sets the width; the height follows it.
    SetUserSizableHeight(false);
    // Keep the picture's detail up to the screen's size, so that widening stays sharp.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        Image1->KeepDetailUpTo(screen->size() * screen->devicePixelRatio());
    }
    Form_Initialize();
}

void DisplayWindow::Form_Initialize() {
    pic_h = Picture1->Height();
    pic_w = platform::ToInteger16(Picture1->Width()).value_or(1);
    SetWidth(Picture1->Width());
    SetHeight(Picture1->Height());
}

void DisplayWindow::SetWinSize(std::int16_t& height, std::int16_t& width) {
    pic_h = height;
    pic_w = width == 0 ? std::int16_t(1) : width;  // the width divides every later resize
    SetWidth(width);
    SetHeight(height);
}

void DisplayWindow::Form_Resize() {
    Image1->SetVisible(false);
    const float width = Width();
    const float height = PictureHeightFor(pic_h, pic_w, width);
    Image1->SetWidth(Width());
    Image1->SetHeight(height);
    SetHeight(Image1->Height() + kAllowance);
    Image1->SetVisible(true);
}

void DisplayWindow::Form_LostFocus() { Pic_show(); }

void DisplayWindow::Pic_show() {
    // A lost focus that arrives while a pinning is under way, or after the window has gone,
    // must not pin the picture a second time.
    if (pinning_ || !Loaded() || !Image1->GetPicture()) return;
    pinning_ = true;
    forms::Form3* pinned = forms::NewForm3();
    pin_win = pinned;
    platform::SetMousePointer(platform::kBusyPointer);
    pinned->Image1->SetPicture(Image1->GetPicture());
    pinned->Image1->SetWidth(Width());
    pinned->Image1->SetHeight(Height() - kAllowance);
    pinned->SetLeft(Left());
    pinned->SetTop(Top() + kAllowance);
    pinned->SetWidth(Width());
    pinned->SetHeight(Height() - kAllowance);
    pinned->Label2.Caption = Label1.Caption;
    pinned->entryTexts = {platform::NumberText(Left()), platform::NumberText(Top() + kAllowance),
                          platform::NumberText(Width()), platform::NumberText(Height() - kAllowance)};
    store::PictureList& list = forms::TheForm1().pictureList;
    list.AddItem(Label1.Caption, pinned->entryTexts[0], pinned->entryTexts[1],
                 pinned->entryTexts[2], pinned->entryTexts[3]);
    store::SaveAll(list);
    pinned->Show();
    Unload();
    platform::SetMousePointer(platform::kDefaultPointer);
    pinning_ = false;
}

void DisplayWindow::Image1_DblClick() { Pic_show(); }

void DisplayWindow::hari_Click() { Pic_show(); }

void DisplayWindow::del_pos_Click() {
    forms::Form1& main = forms::TheForm1();
    store::SaveAll(main.pictureList);
    Unload();
    if (main.pictureList.ListCount() == 0) {
        main.SetVisible(true);
        main.non_disp->setEnabled(false);
    }
}

void DisplayWindow::disp_vl_Click() {
    Pic_show();
    forms::Form1& main = forms::TheForm1();
    main.SetVisible(true);
    main.non_disp->setEnabled(true);
}

void DisplayWindow::vl_end_Click() { forms::EndProgram(); }

void DisplayWindow::orvik_hlp_Click() {
    Pic_show();
    // The display window is gone by now; the main window owns the viewer's messages.
    platform::WinHelp(&forms::TheForm1(), QStringLiteral("Orvik.HLP"), platform::kHelpContents, 0);
}

void DisplayWindow::vl_ab_Click() {
    Pic_show();
    forms::TheForm4().ShowAbout();
}

void DisplayWindow::OnCloseCommand() {
    // Closing discards the picture on show without saving. With nothing pinned and the main
    // window hidden no window would be left to reach the program by, so the main window returns.
    Unload();
    forms::Form1& main = forms::TheForm1();
    if (main.pictureList.ListCount() == 0 && !main.isVisible()) {
        main.SetVisible(true);
        main.non_disp->setEnabled(false);
    }
}

}  // namespace display_window
