#include "main_window/main_window.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTimer>

#include "icon/program_icon.h"
#include "pin_board/pin_board.h"
#include "platform/core/picture_formats.h"
#include "platform/gui/controls.h"
#include "platform/gui/file_lists.h"
#include "platform/gui/labels.h"
#include "platform/gui/menus.h"
#include "platform/gui/mouse_pointer.h"
#include "platform/pictures/pasted_picture.h"
#include "platform/pictures/picture.h"
#include "sizing/preview_size.h"

namespace main_window {

namespace {

constexpr platform::LabelFont kTitleFont{"Times New Roman", 14.25, true, true};
constexpr platform::LabelFont kVersionFont{"Times New Roman", 12, true, true};

// The pictures that come from outside only: the browser keeps to its own pattern.
const QString kOutsidePattern = platform::PicturePattern(false);

bool Matches(const QByteArray& name, const QString& pattern) {
    return !platform::MatchingFileNames({name}, pattern).isEmpty();
}

// The first local file a drag carries, if it is one the file list offers or one of the
// pictures that come from outside.
std::optional<platform::FilePath> DraggedPicture(const QMimeData* data, const QString& pattern) {
    if (!data || !data->hasFormat(QStringLiteral("text/uri-list"))) return std::nullopt;
    const QList<platform::FilePath> files =
        platform::LocalFilesOfUriList(data->data(QStringLiteral("text/uri-list")));
    if (files.isEmpty()) return std::nullopt;
    const QByteArray name = files.first().FileName();
    if (!Matches(name, pattern) && !Matches(name, kOutsidePattern)) return std::nullopt;
    return files.first();
}

// Image data without a local file, as a web browser drags a picture.
bool DraggedImageData(const QMimeData* data) {
    return data && !data->hasFormat(QStringLiteral("text/uri-list")) &&
           platform::MayHoldPicture(data);
}

}  // namespace

MainWindow::MainWindow(const pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails)
    : TwipsWindow(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint,
                  platform::Sizing::Fixed),
      board_(board),
      thumbnails_(thumbnails) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowRole(QStringLiteral("vellora-main"));
    setWindowTitle(QStringLiteral("Vellora"));
    setWindowIcon(icon::ProgramIcon());
    CreateMenu();
    CreateControls();
    SetClientSize(3960, 2835);
    CenterOnScreen();
    // The lists start at the process's current folder; nothing here changes that folder.
    drives_->ShowVolumeOf(QDir::currentPath());
    folders_->SetPath(platform::FilePath::FromText(QDir::currentPath()));
    setAcceptDrops(true);
}

void MainWindow::CreateMenu() {
    QMenu* menu = platform::AddMenu(MenuBar(), "menu", tr("ﾒﾆｭｰ"));
    hide_ = platform::AddMenuItem(menu, "hide", tr("非表示"));
    platform::AddMenuItem(menu, "separator", {});
    QAction* quit = platform::AddMenuItem(menu, "quit", tr("終了"));
    const platform::HelpMenu help = platform::AddHelpMenu(MenuBar());

    connect(hide_, &QAction::triggered, this, [this] { HideWhilePinned(); });
    // Ctrl+V is no menu item: the menu keeps its items.
    auto* paste = new QAction(this);
    paste->setShortcut(QKeySequence::Paste);
    addAction(paste);
    connect(paste, &QAction::triggered, this, &MainWindow::pasteRequested);
    connect(quit, &QAction::triggered, this, &MainWindow::quitRequested);
    connect(help.help, &QAction::triggered, this, &MainWindow::helpRequested);
    connect(help.about, &QAction::triggered, this, &MainWindow::aboutRequested);
}

void MainWindow::CreateControls() {
    QWidget* client = ClientArea();
    // Created back to front: a later sibling lies in front of an earlier one.
    preview_ = new platform::ImageBox(client);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->SetRect(2280, 600, 1215, 975);
    connect(preview_, &platform::ImageBox::DoubleClicked, this, [this] { OpenPreviewed(); });

    // The title twice, the light-blue one offset as its shadow.
    platform::MakeLabel(client, QStringLiteral("titleShadow"), QStringLiteral("Vellora"), 2160, 45,
                        1815, 375, kTitleFont, QColor(0x80, 0x80, 0xFF));
    platform::MakeLabel(client, QStringLiteral("title"), QStringLiteral("Vellora"), 2115, 45, 1815,
                        375, kTitleFont, Qt::blue);
    platform::MakeLabel(client, QStringLiteral("version"), QStringLiteral("ver 0.1"), 3240, 270,
                        690, 240, kVersionFont, Qt::red);

    drives_ = new platform::DriveListBox(client);
    drives_->setObjectName(QStringLiteral("drives"));
    drives_->SetRect(135, 45, 1905, 300);
    folders_ = new platform::DirListBox(client);
    folders_->setObjectName(QStringLiteral("folders"));
    folders_->SetRect(135, 405, 1890, 1140);
    files_ = new platform::FileListBox(client);
    files_->setObjectName(QStringLiteral("files"));
    files_->SetPattern(platform::PicturePattern(true));
    files_->SetRect(135, 1575, 1890, 1170);

    // Only the three browser lists take the focus, in this order.
    setTabOrder(drives_, folders_);
    setTabOrder(folders_, files_);

    connect(drives_, &platform::DriveListBox::Change, this, [this] { ShowDrive(); });
    connect(folders_, &platform::DirListBox::Change, this,
            [this] { files_->SetPath(folders_->Path()); });
    connect(files_, &platform::FileListBox::Click, this, [this] { ShowPreview(); });
}

void MainWindow::SetShownWithHideOffered(bool shown, bool hideOffered) {
    SetShown(shown);
    hide_->setEnabled(hideOffered);
}

std::optional<QString> MainWindow::ShowChosen(const platform::FilePath& path) {
    if (path == currentPicture_) return std::nullopt;
    const QByteArray name = path.FileName();
    const platform::FilePath folder(path.Bytes().chopped(name.size()));
    // The volume is found by its mount point's text; the folder itself goes by its bytes.
    drives_->ShowVolumeOf(QFile::decodeName(folder.Bytes()));
    if (!folders_->SetPath(folder)) return QStringLiteral("its folder cannot be read");
    int row = -1;
    for (int i = 0; i < files_->ListCount() && row < 0; ++i) {
        if (files_->List(i) == name) row = i;
    }
    if (row < 0) return QStringLiteral("the browser does not list it");
    {
        // Selected once, whichever entry was selected before; the preview follows the picture.
        const QSignalBlocker quiet(files_);
        files_->setCurrentRow(row);
    }
    preview_->setVisible(false);
    currentPicture_ = path;
    return std::nullopt;
}

void MainWindow::ShowPreviewOf(const platform::PictureData& picture) {
    if (picture.Path() != currentPicture_) return;
    const QSize natural = picture.NaturalSize();
    SizePreviewFor(natural);
    // Scaled from the display window's pixels, which are at least the preview's size but for a
    // picture the screen holds smaller than the preview.
    const QSize target = platform::DecodeSizeFor(natural, preview_->DecodeTarget());
    const QImage& pixels = picture.Pixels();
    preview_->SetPicture(std::make_shared<platform::PictureData>(
        picture.Path(), natural,
        pixels.size() == target
            ? pixels
            : pixels.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        picture.Origin()));
    preview_->setVisible(true);
}

void MainWindow::ShowDrive() {
    // A volume that cannot be read leaves the lists where they were.
    const QString folder = drives_->FolderToShowFor(drives_->Drive());
    if (!folders_->SetPath(platform::FilePath::FromText(folder))) {
        drives_->ShowVolumeOf(folders_->Path().DisplayText());
    }
}

void MainWindow::SizePreviewFor(QSize natural) {
    const QSizeF measured = sizing::MeasuredSize(natural);
    const sizing::PreviewSize size =
        sizing::PreviewSizeFor(float(measured.width()), float(measured.height()));
    preview_->SetWidth(size.width);
    preview_->SetHeight(size.height);
}

void MainWindow::ShowPreview() {
    preview_->setVisible(false);
    const platform::BusyPointer busy;
    const int i = files_->ListIndex();
    if (i < 0) return;
    currentPicture_ = files_->Path().Joined(files_->List(i));
    const platform::PictureLoad measured = platform::MeasurePicture(currentPicture_);
    // Gone, cut short or not a picture: the preview stays hidden.
    if (!measured) return;
    SizePreviewFor(measured.picture->NaturalSize());
    const platform::PictureLoad shown =
        platform::LoadPictureFor(*preview_, currentPicture_, thumbnails_);
    if (!shown) return;
    preview_->SetPicture(shown.picture);
    preview_->setVisible(true);
}

void MainWindow::OpenPreviewed() {
    // Before any file was chosen there is no picture to open; an entry with an empty path would
    // end every later restore at that entry.
    if (currentPicture_.IsEmpty()) return;
    emit openRequested(currentPicture_);
}

void MainWindow::HideWhilePinned() {
    // With nothing pinned there would be no way back to a hidden main window.
    if (board_.IsEmpty()) return;
    SetShown(false);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedPicture(event->mimeData(), files_->Pattern()) ||
        DraggedImageData(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<platform::FilePath> picture =
        DraggedPicture(event->mimeData(), files_->Pattern());
    if (!picture && DraggedImageData(event->mimeData())) {
        event->acceptProposedAction();
        emit pictureDataDropped(event->mimeData());
        return;
    }
    if (!picture) return;
    event->acceptProposedAction();
    // Opened once the drop is over, so that the file manager is not kept waiting meanwhile.
    QTimer::singleShot(0, this, [this, path = *picture] { emit openRequested(path); });
}

void MainWindow::OnCloseCommand() {
    // With pictures pinned the window only steps aside, as "非表示" does; with none there is
    // nothing left to show, and the program ends as "終了" does. Nothing is saved either way.
    if (board_.IsEmpty()) {
        emit quitRequested();
    } else {
        SetShown(false);
    }
}

}  // namespace main_window
