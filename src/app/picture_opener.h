#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace display_window {
class DisplayWindow;
}
namespace main_window {
class MainWindow;
}
namespace platform {
class FilePath;
class ThumbnailCache;
}  // namespace platform

class QImage;

namespace app {

// The one road by which a picture opens in the display window, whoever asks: the browser's
// double-click, a drop, the command line, a later start, Open With, a paste. The file is read
// and checked once, decoded once at the size it opens at, and the decoded picture handed to the
// display window; the browser only shows which picture that is.
class PictureOpener {
public:
    // The windows are made on first use; `thumbnails` (may be null) serves the decode. All
    // outlive the opener.
    PictureOpener(std::function<display_window::DisplayWindow&()> display,
                  std::function<main_window::MainWindow&()> browser,
                  platform::ThumbnailCache* thumbnails);

    // Opens the picture at `path` (absolute): a picture on show in the display window is pinned
    // first, and the browser shows the new one chosen in its folder. A PNG, WebP or BMP file,
    // which the browser does not list, opens without the browser. Any other file, or one that is
    // not a loadable picture, changes nothing: the reason.
    std::optional<QString> Open(const platform::FilePath& path);
    // Opens the picture the program has just drawn and written to `path` (a PNG, which the
    // browser does not list), as Open does, with the pixels on hand instead of a read back.
    void OpenDrawn(const platform::FilePath& path, const QImage& pixels);

private:
    std::function<display_window::DisplayWindow&()> display_;
    std::function<main_window::MainWindow&()> browser_;
    platform::ThumbnailCache* thumbnails_;
};

}  // namespace app
