#pragma once

#include <QMimeData>  // moc needs the type of a signal's pointer argument
#include <QSize>
#include <QString>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/gui/twips_window.h"

class QAction;

namespace pin_board {
class PinBoard;
}
namespace platform {
class DirListBox;
class DriveListBox;
class FileListBox;
class ImageBox;
class PictureData;
class ThumbnailCache;
}  // namespace platform

namespace main_window {

// The main window: the picture browser with its drive, folder and file lists, and the preview of
// the file chosen, which a double-click asks to open.
class MainWindow : public platform::TwipsWindow {
    Q_OBJECT
public:
    // `thumbnails` (may be null) serves the preview; it and the board outlive the window.
    MainWindow(const pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails);

    // Shows the picture at `path` (absolute, one the browser lists) as chosen: the browser moves
    // to its folder and selects it, its preview hidden until ShowPreviewOf. Nothing changes when
    // it is the one chosen already. What kept the browser from showing it, if anything.
    std::optional<QString> ShowChosen(const platform::FilePath& path);
    // The preview of the picture chosen, made from `picture` (decoded for the display window)
    // without reading its file again; nothing when another is chosen.
    void ShowPreviewOf(const platform::PictureData& picture);

    // Shows or hides the window, with "非表示" offered or not: every place outside the window
    // that brings it back or sends it away goes through here.
    void SetShownWithHideOffered(bool shown, bool hideOffered);

    // The file chosen in the browser; empty before any was.
    const platform::FilePath& CurrentPicture() const { return currentPicture_; }

signals:
    // The preview was double-clicked, or a picture file dropped: the picture is to be opened.
    void openRequested(const platform::FilePath& path);
    void helpRequested();
    void aboutRequested();
    void quitRequested();
    // Ctrl+V.
    void pasteRequested();
    // Image data dropped, without a picture file: valid only while the signal is handled.
    void pictureDataDropped(const QMimeData* data);

protected:
    void OnCloseCommand() override;

    // A picture file dropped from a file manager is asked to be opened.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenu();
    void CreateControls();
    void ShowDrive();
    void ShowPreview();
    // Sizes the preview for a picture of `natural` pixels.
    void SizePreviewFor(QSize natural);
    void OpenPreviewed();
    void HideWhilePinned();

    const pin_board::PinBoard& board_;
    platform::ThumbnailCache* thumbnails_;

    platform::DriveListBox* drives_ = nullptr;
    platform::DirListBox* folders_ = nullptr;
    platform::FileListBox* files_ = nullptr;
    platform::ImageBox* preview_ = nullptr;
    QAction* hide_ = nullptr;

    platform::FilePath currentPicture_;
};

}  // namespace main_window
