#pragma once

#include <QSize>
#include <functional>

#include "platform/picture.h"
#include "platform/twips_window.h"
#include "store/pin_settings.h"

class QMenu;

namespace platform {
class ImageBox;
class ThumbnailCache;
}  // namespace platform

namespace pinned_window {

class WheelZoom;

// A picture pinned to the desktop: a window without frame or title bar that is nothing but its
// picture, stretched over the whole window. A double-click asks for it to be unpinned; the right
// button opens its menu, whose settings the window applies itself and reports.
class PinnedWindow : public platform::TwipsWindow {
    Q_OBJECT
public:
    PinnedWindow();

    // The window's rectangle in twips; the picture covers all of it.
    void Place(float left, float top, float width, float height);
    void SetPicture(platform::Picture picture);
    const platform::Picture& Picture() const;
    // The size, in device pixels, at which this window's picture is best decoded.
    QSize DecodeTarget() const;
    // The picture's own rectangle, in twips.
    float PictureWidth() const;
    float PictureHeight() const;

    // What the user chose for this pin. Setting them applies them to the window, shown or not.
    const store::PinSettings& Settings() const { return settings_; }
    void SetSettings(const store::PinSettings& settings);
    // Shows the window with its settings: the window manager forgets some of them while the
    // window is off the screen.
    void ShowPinned();
    // Opacity is offered only while a compositing manager runs, since nothing else draws it.
    void SetOpacityAvailable(bool available) { opacityAvailable_ = available; }
    // The wheel zooms the window around the cursor; the sharper pixels each size needs come from
    // `thumbnails` (may be null) when it holds them, else from the file.
    void SetThumbnails(platform::ThumbnailCache* thumbnails);

signals:
    void unpinRequested();
    void deleteRequested();
    void copyRequested();
    void showFolderRequested();
    void originalSizeRequested();
    // The user changed a setting in the menu; Settings() has it.
    void settingsChanged();
    // The wheel zoomed the window: its rectangle changed.
    void zoomed();

protected:
    // A pinned window has no close command of its own; the window manager's is ignored.
    void OnCloseCommand() override {}
    void DrawContents(QPainter& painter) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QMenu* BuildMenu();
    void Change(const std::function<void(store::PinSettings&)>& change);

    platform::ImageBox* picture_;
    store::PinSettings settings_;
    bool opacityAvailable_ = false;
    WheelZoom& Zoom();
    WheelZoom* zoom_ = nullptr;  // made on first use
};

}  // namespace pinned_window
