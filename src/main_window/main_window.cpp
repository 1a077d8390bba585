#include "main_window/main_window.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "forms/form2.h"
#include "forms/form4.h"
#include "forms/forms.h"
#include "main_window/preview_size.h"
#include "platform/file_lists.h"
#include "platform/form_window.h"
#include "platform/help_viewer.h"
#include "platform/mouse_pointer.h"
#include "platform/twips.h"

namespace main_window {

QSizeF LargestDisplaySize() {
    QSizeF limit(32767, 32767);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Room for the frame on both sides; the 600-twip allowance holds the title and menu
        // bars above the picture.
        const int frame = 2 * platform::kFrameReservePixels;
        const QRect area = screen->availableGeometry();
        const double width = platform::PixelsToTwips(area.width() - frame);
        const double height =
            platform::PixelsToTwips(area.height() - frame) - forms::Form2::kAllowance;
        limit = limit.boundedTo(QSizeF(std::max(width, 150.0), std::max(height, 150.0)));
    }
    return limit;
}

MainWindow::MainWindow() {
    // The lists start at the process's current folder; nothing here changes that folder.
    Drive1->ShowVolumeOf(QDir::currentPath());
    Dir1->SetPath(QDir::currentPath());
}

void MainWindow::Drive1_Change() {
    // A volume that cannot be read leaves the lists where they were.
    if (!Dir1->SetPath(Drive1->FolderToShowFor(Drive1->Drive()))) {
        Drive1->ShowVolumeOf(Dir1->Path());
    }
}

void MainWindow::Dir1_Change() {
    File1->SetPath(Dir1->Path());
}

void MainWindow::File1_Click() {
    Image1->SetVisible(false);
    Picture1->setVisible(false);
    platform::SetMousePointer(platform::kBusyPointer);
    const int i = File1->ListIndex();
    if (i < 0) {
        platform::SetMousePointer(platform::kDefaultPointer);
        return;
    }
    Label1.Caption = File1->List(i);
    cur_path = PathOfListedFile(File1->Path(), File1->List(i));
    const platform::PictureLoad measured = platform::MeasurePicture(cur_path);
    if (!measured) {
        // Gone, cut short or not a picture: the preview stays hidden.
        platform::SetMousePointer(platform::kDefaultPointer);
        return;
    }
    Picture1->SetPicture(measured.picture);
    const float W = Picture1->Width();
    const float H = Picture1->Height();
    const PreviewSize preview = PreviewSizeFor(W, H);
    Image1->SetWidth(preview.width);
    Image1->SetHeight(preview.height);
    Picture1->SetPicture(nullptr);
    const platform::PictureLoad shown = platform::LoadPictureFor(*Image1, cur_path);
    if (!shown) {
        platform::SetMousePointer(platform::kDefaultPointer);
        return;
    }
    Image1->SetPicture(shown.picture);
    Image1->SetVisible(true);
    platform::SetMousePointer(platform::kDefaultPointer);
}

void MainWindow::Image1_DblClick() {
    // Before any file was chosen there is no picture to open; an entry with an empty path would
    // end every later restore at that entry.
    if (cur_path.isEmpty()) return;
    platform::SetMousePointer(platform::kBusyPointer);
    forms::Form2& display = forms::TheForm2();
    const platform::PictureLoad measured = platform::MeasurePicture(cur_path);
    if (!measured) {
        platform::SetMousePointer(platform::kDefaultPointer);
        return;
    }
    display.Picture1->SetPicture(measured.picture);
    // A picture larger than 16-bit twips or than the screen opens scaled down to fit.
    const QSizeF fitted = FitWithin(QSizeF(display.Picture1->Width(), display.Picture1->Height()),
                                    LargestDisplaySize());
    display.Picture1->SetWidth(float(fitted.width()));
    display.Picture1->SetHeight(float(fitted.height()));
    std::int16_t h = platform::ToInteger16(display.Picture1->Height()).value_or(32767);
    std::int16_t w = platform::ToInteger16(display.Picture1->Width()).value_or(32767);
    display.SetWinSize(h, w);
    display.SetWidth(display.Picture1->Width());
    display.SetHeight(display.Picture1->Height());
    display.Image1->SetWidth(display.Picture1->Width());
    display.Image1->SetHeight(display.Picture1->Height());
    display.Picture1->SetPicture(nullptr);
    const platform::PictureLoad shown = platform::LoadPictureFor(*display.Image1, cur_path);
    if (!shown) {
        platform::SetMousePointer(platform::kDefaultPointer);
        return;
    }
    display.Image1->SetPicture(shown.picture);
    Label1.Caption = cur_path;
    display.Label1.Caption = cur_path;
    display.Show();
    SetVisible(false);
    platform::SetMousePointer(platform::kDefaultPointer);
}

void MainWindow::non_disp_Click() {
    // With nothing pinned there would be no way back to a hidden main window.
    if (pictureList.ListCount() == 0) return;
    SetVisible(false);
}

void MainWindow::end_vl_Click() {
    forms::EndProgram();
}

void MainWindow::vl_help_Click() {
    platform::WinHelp(this, QStringLiteral("Orvik.HLP"), platform::kHelpContents, 0);
}

void MainWindow::vl_about_Click() {
    forms::TheForm4().ShowAbout();
}

void MainWindow::OnCloseCommand() {
    // With pictures pinned the window only steps aside, as "非表示" does; with none there is
    // nothing left to show, and the program ends as "終了" does. Nothing is saved either way.
    if (pictureList.ListCount() > 0) {
        SetVisible(false);
    } else {
        forms::EndProgram();
    }
}

}  // namespace main_window
