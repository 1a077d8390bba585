#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace platform {
class FilePath;
class ThumbnailCache;
}  // namespace platform

namespace store {
class PictureList;
}

namespace app {

class SaveFailureNotice;

// The running program: the picture list it keeps in its data file, the windows that show and
// change that list, and what it tells the user when a save fails.
class Program {
public:
    // Pictures are loaded through the thumbnail cache in `thumbnailFolder` (for the program
    // ThumbnailCache::DesktopRoot()); none when it is empty.
    explicit Program(const QString& dataFile, const QString& thumbnailFolder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Creates the main window, runs the start-up restore, then opens `picture` when one is
    // given (see OpenPicture), and shows the main window unless the restore hid it or the
    // picture opened. Does not enter the event loop. What kept the picture from opening, if
    // anything.
    std::optional<QString> Start(const platform::FilePath& picture);
    void Start();

    // Brings the main window back, raised and activated, with "非表示" offered while pictures
    // are pinned.
    void ShowMainWindow();
    // Opens the picture in the display window as the browser does (MainWindow::OpenPicture).
    std::optional<QString> OpenPicture(const platform::FilePath& picture);

    store::PictureList& Pictures() { return *pictures_; }
    // Null when the program runs without one.
    platform::ThumbnailCache* Thumbnails() { return thumbnails_.get(); }

private:
    // Declared first: the windows that load through it go before it.
    std::unique_ptr<platform::ThumbnailCache> thumbnails_;
    std::unique_ptr<store::PictureList> pictures_;
    std::unique_ptr<SaveFailureNotice> saveFailureNotice_;
};

}  // namespace app
