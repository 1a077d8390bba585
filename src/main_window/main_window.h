#pragma once

#include <QString>
#include <optional>

#include "forms/form1.h"

namespace platform {
class ThumbnailCache;
}
namespace store {
class PictureList;
}

namespace main_window {

// The main window's behaviour: the browser, the preview, opening a picture, and the commands.
class MainWindow : public forms::Form1 {
    Q_OBJECT
public:
    // `thumbnails` (may be null) serves the preview and the display window; it outlives the
    // window.
    MainWindow(store::PictureList& pictures, platform::ThumbnailCache* thumbnails);

    // Opens the picture at `path` (absolute) as the user would: a picture on show in the display
    // window is pinned first, the browser moves to the picture's folder and selects it
    // (File1_Click), and the preview's double-click opens it (Image1_DblClick). A file the file
    // list would not offer, or that is not a loadable picture, changes nothing: the reason.
    std::optional<QString> OpenPicture(const platform::FilePath& path);

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

    // A JPEG or GIF file dropped from a file manager opens as OpenPicture does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    store::PictureList& pictures_;
    platform::ThumbnailCache* thumbnails_;
};

// The largest size, in twips, at which a picture opens in the display window: within 16-bit
// twips, and within the screen's available area so that every border can be reached.
QSizeF LargestDisplaySize();

}  // namespace main_window
