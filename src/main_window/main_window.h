#pragma once

#include <QMimeData>  // moc needs the type of a signal's pointer argument
#include <QString>
#include <functional>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/gui/twips_window.h"

class QAction;

namespace display_window {
class DisplayWindow;
}
namespace pin_board {
class PinBoard;
}
namespace platform {
class DirListBox;
class DriveListBox;
class FileListBox;
class ImageBox;
class PictureBox;
class ThumbnailCache;
}  // namespace platform

namespace main_window {

// The main window: the picture browser with its drive, folder and file lists, the preview of the
// file chosen, and opening that picture in the display window.
class MainWindow : public platform::TwipsWindow {
    Q_OBJECT
public:
    // `displayWindow` gives the one display window, made on first use. `thumbnails` (may be
    // null) serves the preview; it and the board outlive the window.
    MainWindow(const pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails,
               std::function<display_window::DisplayWindow&()> displayWindow);

    // Opens the picture at `path` (absolute) as the user would: a picture on show in the display
    // window is pinned first, the browser moves to the picture's folder and selects it, and the
    // preview's double-click opens it. A PNG, WebP or BMP file, which the browser does not list,
    // opens in the display window directly. Any other file, or one that is not a loadable
    // picture, changes nothing: the reason.
    std::optional<QString> OpenPicture(const platform::FilePath& path);

    // Shows or hides the window, with "非表示" offered or not: every place outside the window
    // that brings it back or sends it away goes through here.
    void SetShownWithHideOffered(bool shown, bool hideOffered);

    // The file chosen in the browser; empty before any was.
    const platform::FilePath& CurrentPicture() const { return currentPicture_; }

signals:
    void helpRequested();
    void aboutRequested();
    void quitRequested();
    // Ctrl+V.
    void pasteRequested();
    // Image data dropped, without a picture file: valid only while the signal is handled.
    void pictureDataDropped(const QMimeData* data);

protected:
    void OnCloseCommand() override;

    // A picture file dropped from a file manager opens as OpenPicture does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenu();
    void CreateControls();
    void ShowDrive();
    void ShowPreview();
    void OpenPreviewed();
    void HideWhilePinned();
    std::optional<QString> OpenOutsideBrowser(const platform::FilePath& path);

    const pin_board::PinBoard& board_;
    platform::ThumbnailCache* thumbnails_;
    std::function<display_window::DisplayWindow&()> displayWindow_;

    platform::DriveListBox* drives_ = nullptr;
    platform::DirListBox* folders_ = nullptr;
    platform::FileListBox* files_ = nullptr;
    platform::ImageBox* preview_ = nullptr;
    // Measures a picture's natural size; never shown.
    platform::PictureBox* measure_ = nullptr;
    QAction* hide_ = nullptr;

    platform::FilePath currentPicture_;
};

}  // namespace main_window
