#include "main_window/main_window.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include "forms/form2.h"
#include "forms/form4.h"
#include "forms/forms.h"
#include "platform/file_lists.h"
#include "platform/form_window.h"
#include "platform/mouse_pointer.h"
#include "platform/picture.h"
#include "platform/twips.h"
#include "preview/preview_size.h"
#include "store/picture_list.h"

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

MainWindow::MainWindow(store::PictureList& pictures, platform::ThumbnailCache* thumbnails)
    : pictures_(pictures), thumbnails_(thumbnails) {
    // The lists start at the process's current folder; nothing here changes that folder.
    Drive1->ShowVolumeOf(QDir::currentPath());
    Dir1->SetPath(platform::FilePath::FromText(QDir::currentPath()));
    setAcceptDrops(true);
}

std::optional<QString> MainWindow::OpenPicture(const platform::FilePath& path) {
    const QByteArray name = path.FileName();
    if (name.isEmpty() || platform::MatchingFileNames({name}, File1->Pattern()).isEmpty()) {
        return QStringLiteral("not a picture the browser lists (%1)").arg(File1->Pattern());
    }
    if (name.startsWith('.')) return QStringLiteral("the browser does not list hidden files");
    const platform::PictureLoad measured = platform::MeasurePicture(path);
    if (!measured) return platform::DescribePictureError(measured.error);

    // As when the display window loses the focus to the main window: its picture stays where
    // the user put it.
    if (forms::Form2Exists()) {
        forms::Form2& display = forms::TheForm2();
        if (display.Loaded() && display.isVisible()) display.Pic_show();
    }
    const platform::FilePath folder(path.Bytes().chopped(name.size()));
    // The volume is found by its mount point's text; the folder itself goes by its bytes.
    Drive1->ShowVolumeOf(QFile::decodeName(folder.Bytes()));
    if (!Dir1->SetPath(folder)) return QStringLiteral("its folder cannot be read");
    int row = -1;
    for (int i = 0; i < File1->ListCount() && row < 0; ++i) {
        if (File1->List(i) == name) row = i;
    }
    if (row < 0) return QStringLiteral("the browser does not list it");
    {
        // Selected once, and File1_Click run once, whichever entry was selected before.
        const QSignalBlocker quiet(File1);
        File1->setCurrentRow(row);
    }
    File1_Click();
    Image1_DblClick();
    const forms::Form2& display = forms::TheForm2();
    if (!display.isVisible() || display.Label1.Caption != path) {
        return QStringLiteral("it could not be opened");
    }
    return std::nullopt;
}

void MainWindow::Drive1_Change() {
    // A volume that cannot be read leaves the lists where they were.
    const QString folder = Drive1->FolderToShowFor(Drive1->Drive());
    if (!Dir1->SetPath(platform::FilePath::FromText(folder))) {
        Drive1->ShowVolumeOf(Dir1->Path().DisplayText());
    }
}

void MainWindow::Dir1_Change() {
    File1->SetPath(Dir1->Path());
}

void MainWindow::File1_Click() {
    Image1->setVisible(false);
    Picture1->setVisible(false);
    const platform::BusyPointer busy;
    const int i = File1->ListIndex();
    if (i < 0) return;
    Label1.Caption = platform::FilePath(File1->List(i));
    cur_path = File1->Path().Joined(File1->List(i));
    const platform::PictureLoad measured = platform::MeasurePicture(cur_path);
    // Gone, cut short or not a picture: the preview stays hidden.
    if (!measured) return;
    Picture1->SetPicture(measured.picture);
    const float W = Picture1->Width();
    const float H = Picture1->Height();
    const preview::PreviewSize size = preview::PreviewSizeFor(W, H);
    Image1->SetWidth(size.width);
    Image1->SetHeight(size.height);
    Picture1->SetPicture(nullptr);
    const platform::PictureLoad shown = platform::LoadPictureFor(*Image1, cur_path, thumbnails_);
    if (!shown) return;
    Image1->SetPicture(shown.picture);
    Image1->setVisible(true);
}

void MainWindow::Image1_DblClick() {
    // Before any file was chosen there is no picture to open; an entry with an empty path would
    // end every later restore at that entry.
    if (cur_path.IsEmpty()) return;
    const platform::BusyPointer busy;
    forms::Form2& display = forms::TheForm2();
    const platform::PictureLoad measured = platform::MeasurePicture(cur_path);
    if (!measured) return;
    display.Picture1->SetPicture(measured.picture);
    // A picture larger than 16-bit twips or than the screen opens scaled down to fit.
    const QSizeF fitted = preview::FitWithin(
        QSizeF(display.Picture1->Width(), display.Picture1->Height()), LargestDisplaySize());
    display.Picture1->SetWidth(float(fitted.width()));
    display.Picture1->SetHeight(float(fitted.height()));
    const std::int16_t h = platform::ToInteger16(display.Picture1->Height()).value_or(32767);
    const std::int16_t w = platform::ToInteger16(display.Picture1->Width()).value_or(32767);
    display.SetWinSize(h, w);
    display.SetWidth(display.Picture1->Width());
    display.SetHeight(display.Picture1->Height());
    display.Image1->SetWidth(display.Picture1->Width());
    display.Image1->SetHeight(display.Picture1->Height());
    display.Picture1->SetPicture(nullptr);
    const platform::PictureLoad shown =
        platform::LoadPictureFor(*display.Image1, cur_path, thumbnails_);
    if (!shown) return;
    display.Image1->SetPicture(shown.picture);
    Label1.Caption = cur_path;
    display.Label1.Caption = cur_path;
    display.Show();
    SetShown(false);
}

void MainWindow::non_disp_Click() {
    // With nothing pinned there would be no way back to a hidden main window.
    if (pictures_.ListCount() == 0) return;
    SetShown(false);
}

void MainWindow::end_vl_Click() {
    forms::EndProgram();
}

void MainWindow::vl_help_Click() {
    help.Open(forms::HelpSection::MainWindow);
}

void MainWindow::vl_about_Click() {
    forms::TheForm4().ShowAbout();
}

namespace {

// The first local file a drag carries, if it is one the file list offers.
std::optional<platform::FilePath> DraggedPicture(const QMimeData* data, const QString& pattern) {
    if (!data || !data->hasFormat(QStringLiteral("text/uri-list"))) return std::nullopt;
    const QList<platform::FilePath> files =
        platform::LocalFilesOfUriList(data->data(QStringLiteral("text/uri-list")));
    if (files.isEmpty() ||
        platform::MatchingFileNames({files.first().FileName()}, pattern).isEmpty()) {
        return std::nullopt;
    }
    return files.first();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedPicture(event->mimeData(), File1->Pattern())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<platform::FilePath> picture =
        DraggedPicture(event->mimeData(), File1->Pattern());
    if (!picture) return;
    event->acceptProposedAction();
    // Opened once the drop is over, so that the file manager is not kept waiting meanwhile. A
    // file that cannot be opened is passed over as the browser passes over one.
    QTimer::singleShot(0, this, [this, path = *picture] { OpenPicture(path); });
}

void MainWindow::OnCloseCommand() {
    // With pictures pinned the window only steps aside, as "非表示" does; with none there is
    // nothing left to show, and the program ends as "終了" does. Nothing is saved either way.
    if (pictures_.ListCount() > 0) {
        SetShown(false);
    } else {
        forms::EndProgram();
    }
}

}  // namespace main_window
