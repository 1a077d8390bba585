#include "app/picture_opener.h"

#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "platform/core/file_path.h"
#include "platform/core/picture_formats.h"
#include "platform/gui/file_lists.h"
#include "platform/gui/mouse_pointer.h"
#include "platform/pictures/picture.h"

namespace app {

namespace {

bool Matches(const QByteArray& name, const QString& pattern) {
    return !platform::MatchingFileNames({name}, pattern).isEmpty();
}

}  // namespace

PictureOpener::PictureOpener(std::function<display_window::DisplayWindow&()> display,
                             std::function<main_window::MainWindow&()> browser,
                             platform::ThumbnailCache* thumbnails)
    : display_(std::move(display)), browser_(std::move(browser)), thumbnails_(thumbnails) {}

std::optional<QString> PictureOpener::Open(const platform::FilePath& path) {
    const QString listed = platform::PicturePattern(true);
    const QString outside = platform::PicturePattern(false);
    const QByteArray name = path.FileName();
    const bool browserLists = !name.isEmpty() && Matches(name, listed);
    if (!browserLists && (name.isEmpty() || !Matches(name, outside))) {
        return QStringLiteral("not a picture the browser lists (%1) nor %2").arg(listed, outside);
    }
    if (browserLists && name.startsWith('.')) {
        return QStringLiteral("the browser does not list hidden files");
    }
    const platform::BusyPointer busy;
    // The check reads the file once; the decode, at the size the picture opens at, once more.
    const platform::PictureLoad measured = platform::MeasurePicture(path);
    if (!measured) return platform::DescribePictureError(measured.error);

    // As when the display window loses the focus to the main window: its picture stays where
    // the user put it.
    display_window::DisplayWindow& display = display_();
    if (display.isVisible()) display.Pin();  // the picture on show first
    main_window::MainWindow& browser = browser_();
    if (browserLists) {
        if (std::optional<QString> failure = browser.ShowChosen(path)) return failure;
    }
    const platform::PictureLoad loaded = platform::LoadPicture(
        path, display.DecodeTargetFor(measured.picture->NaturalSize()), thumbnails_);
    if (!loaded) return QStringLiteral("it could not be opened");
    display.Open(loaded.picture);
    if (browserLists) browser.ShowPreviewOf(*loaded.picture);
    browser.SetShown(false);
    return std::nullopt;
}

void PictureOpener::OpenDrawn(const platform::FilePath& path, const QImage& pixels) {
    display_window::DisplayWindow& display = display_();
    if (display.isVisible()) display.Pin();
    display.Open(std::make_shared<platform::PictureData>(path, pixels.size(), pixels));
    browser_().SetShown(false);
}

}  // namespace app
