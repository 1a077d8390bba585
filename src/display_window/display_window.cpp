#include "display_window/display_window.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/forms.h"
#include "platform/mouse_pointer.h"
#include "platform/number_text.h"
#include "platform/picture.h"
#include "platform/twips.h"
#include "store/picture_list.h"

namespace display_window {

float PictureHeightFor(double pic_h, std::int16_t pic_w, float width) {
    const float product = static_cast<float>(pic_h * double(width));
    return product / static_cast<float>(pic_w);
}

DisplayWindow::DisplayWindow(store::PictureList& pictures, platform::ThumbnailCache* thumbnails)
    : pictures_(pictures), thumbnails_(thumbnails) {
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

void DisplayWindow::SetWinSize(std::int16_t height, std::int16_t width) {
    pic_h = height;
    pic_w = width == 0 ? std::int16_t(1) : width;  // the width divides every later resize
    SetWidth(width);
    SetHeight(height);
}

void DisplayWindow::Form_Resize() {
    Image1->setVisible(false);
    const float width = Width();
    const float height = PictureHeightFor(pic_h, pic_w, width);
    Image1->SetWidth(Width());
    Image1->SetHeight(height);
    SetHeight(Image1->Height() + kAllowance);
    Image1->setVisible(true);
}

void DisplayWindow::Form_LostFocus() {
    Pic_show();
}

void DisplayWindow::Pic_show() {
    // A lost focus that arrives while a pinning is under way, or after the window has gone,
    // must not pin the picture a second time.
    if (pinning_ || !Loaded() || !Image1->GetPicture()) return;
    pinning_ = true;
    const platform::BusyPointer busy;
    forms::Form3* pinned = forms::NewForm3();
    pinned->Image1->SetPicture(Image1->GetPicture());
    pinned->Image1->SetWidth(Width());
    pinned->Image1->SetHeight(Height() - kAllowance);
    pinned->SetLeft(Left());
    pinned->SetTop(Top() + kAllowance);
    pinned->SetWidth(Width());
    pinned->SetHeight(Height() - kAllowance);
    pinned->Label2.Caption = Label1.Caption;
    pinned->entryTexts = {platform::NumberText(Left()), platform::NumberText(Top() + kAllowance),
                          platform::NumberText(Width()),
                          platform::NumberText(Height() - kAllowance)};
    pictures_.Append({Label1.Caption, pinned->entryTexts});
    pictures_.SaveAll();
    // The picture was decoded here with more detail than the pin shows: its thumbnail saves
    // the first restore a decode. Taken before the pinned window paints and drops that detail.
    if (thumbnails_) {
        platform::StoreThumbnailOf(*pinned->Image1->GetPicture(), pinned->Image1->DecodeTarget(),
                                   *thumbnails_);
    }
    pinned->Show();
    Unload();
    pinning_ = false;
}

void DisplayWindow::Image1_DblClick() {
    Pic_show();
}

void DisplayWindow::hari_Click() {
    Pic_show();
}

void DisplayWindow::del_pos_Click() {
    pictures_.SaveAll();
    Unload();
    if (pictures_.ListCount() == 0) forms::TheForm1().SetShownWithHide(true, false);
}

void DisplayWindow::disp_vl_Click() {
    Pic_show();
    forms::TheForm1().SetShownWithHide(true, true);
}

void DisplayWindow::vl_end_Click() {
    forms::EndProgram();
}

void DisplayWindow::orvik_hlp_Click() {
    Pic_show();
    forms::TheForm1().help.Open(forms::HelpSection::DisplayWindow);
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
    if (pictures_.ListCount() == 0 && !main.isVisible()) main.SetShownWithHide(true, false);
}

}  // namespace display_window
