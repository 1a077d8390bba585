#pragma once

#include <QSize>

#include "platform/picture.h"
#include "platform/twips_window.h"

namespace platform {
class ImageBox;
}

namespace pinned_window {

// A picture pinned to the desktop: a window without frame or title bar that is nothing but its
// picture, stretched over the whole window. A double-click asks for it to be unpinned.
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

signals:
    void unpinRequested();

protected:
    // A pinned window has no close command of its own; the window manager's is ignored.
    void OnCloseCommand() override {}
    void DrawContents(QPainter& painter) override;

private:
    platform::ImageBox* picture_;
};

}  // namespace pinned_window
