#pragma once

#include <QSize>
#include <functional>
#include <optional>

#include "marks/mark_painter.h"
#include "pinned_window/marked_picture.h"
#include "platform/gui/twips_window.h"
#include "platform/pictures/picture.h"
#include "store/pin_settings.h"
#include "text_recognition/text_cache.h"

class QMenu;

namespace platform {
class ImageBox;
class ObscuredWatch;
class ThumbnailCache;
}  // namespace platform

namespace marks {
class MarkSet;
}

namespace text_recognition {
class TextRecognizer;
struct Recognition;
}  // namespace text_recognition

namespace pinned_window {

using SettingsChange = std::function<void(store::PinSettings&)>;

class AnimationPlayer;
class CropMode;
class MarkingMode;
class TextSelection;
class WheelZoom;

// A picture pinned to the desktop: a window without frame or title bar that is nothing but its
// picture, stretched over the whole window. A double-click asks for it to be unpinned; the right
// button opens its menu, whose settings the window only asks to change: the pin list owns them,
// and the window shows what it is given (SetSettings).
class PinnedWindow : public platform::TwipsWindow {
    Q_OBJECT
public:
    PinnedWindow();
    ~PinnedWindow() override;

    // The window's rectangle in twips; the picture covers all of it.
    void Place(float left, float top, float width, float height);
    void Place(const platform::TwipsRect& rect) {
        Place(rect.left, rect.top, rect.width, rect.height);
    }
    void SetPicture(platform::Picture picture);
    const platform::Picture& Picture() const;
    // The size, in device pixels, at which this window's picture is best decoded.
    QSize DecodeTarget() const;
    // The picture's own rectangle, in twips.
    float PictureWidth() const;
    float PictureHeight() const;

    // What the user chose for this pin, as last given. Setting them applies them to the window,
    // shown or not.
    const store::PinSettings& Settings() const { return settings_; }
    void SetSettings(const store::PinSettings& settings);
    // Shows the window with its settings: the window manager forgets some of them while the
    // window is off the screen.
    void ShowPinned();
    // Opacity is offered only while a compositing manager runs, since nothing else draws it.
    void SetOpacityAvailable(bool available) { opacityAvailable_ = available; }
    // The wheel zooms the window around the cursor; the sharper pixels each size needs come from
    // `thumbnails` (may be null) when it holds them, else from the file.
    void SetThumbnails(platform::ThumbnailCache* thumbnails) { thumbnails_ = thumbnails; }
    // What every pin recognises its text with (may be null, or without its language data: the
    // menu's text items are then disabled). Its owner clears it before it goes.
    static void SetTextRecognizer(text_recognition::TextRecognizer* recognizer);

    // The text of the picture: recognised (or taken from the cache) and put on the clipboard,
    // or made selectable on the pin. A note near the pin tells what came of it.
    void CopyText();
    void StartTextSelection();
    // The selectable words over the picture while the user selects text; null otherwise.
    TextSelection* Selection() const { return selection_; }
    void EndTextSelection();

    // The pin's marks, drawn over the picture while its settings show them: the pin list's,
    // which the window only shows and, while marking, changes through their own steps. Null for
    // none.
    void SetMarks(marks::MarkSet* set);
    marks::MarkSet* Marks() const { return marks_; }
    // The marking mode on these marks (see MarkingMode); the list gave the pin its marks first.
    void StartMarking(marks::MarkSet& set);
    void EndMarking();
    MarkingMode* Marking() const { return marking_; }
    // The crop mode: a rectangle dragged over the picture, kept by Enter or a double-click
    // inside it (transformRequested), left by Esc. Null while it is off.
    void StartCrop();
    void EndCrop();
    CropMode* Crop() const { return crop_; }

    // An animated GIF plays while its setting asks for it and the window can be seen: not while
    // it is hidden, minimised, off every screen or, without a compositing manager, covered
    // entirely. Otherwise the pin shows the picture's first frame.
    bool AnimationRunning() const;
    // Frames of the animation drawn so far; tests count them.
    int AnimationFramesDrawn() const { return animationFramesDrawn_; }

signals:
    void unpinRequested();
    void deleteRequested();
    void copyRequested();
    void showFolderRequested();
    void originalSizeRequested();
    void markingRequested();
    void markingEnded();
    void saveAsRequested();
    // Ctrl held, the picture dragged out of the pin as a file.
    void dragOutRequested();
    // The user chose a setting in the menu: the change to make to the pin's settings.
    void settingsChangeRequested(const pinned_window::SettingsChange& change);
    // The wheel zoomed the window: its rectangle changed.
    void zoomed();
    // The user turned, mirrored, cropped or reset the picture: the transform it asks for.
    void transformRequested(const platform::PictureTransform& transform);

protected:
    // A pinned window has no close command of its own; the window manager's is ignored.
    void OnCloseCommand() override {}
    void DrawContents(QPainter& painter) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddTransformMenu(QMenu& menu);
    // The picture with its marks when they are shown, else the picture alone.
    void DrawMarkedPicture(QPainter& painter, const QRect& target);
    void RepaintMarks(const QRectF& pictureArea);
    void RepaintControlArea(const QRectF& control);
    bool DragOut(QEvent* event);
    bool MarksShown() const;
    QMenu* BuildMenu();

    bool Animated();
    bool CanBeSeen() const;
    void UpdateAnimation();
    void WatchObscured();
    void DrawPicture(QPainter& painter, const QRect& target);
    void RepaintPicture();
    bool TextAvailable() const;
    void RequestText(std::function<void(const text_recognition::Recognition&)> then);
    void CopySelectedText();
    // Puts the text on the clipboard and says near the pin how many characters it holds.
    void CopyToClipboard(const QString& text);
    void ShowNote(const QString& text);

    platform::ImageBox* picture_;
    store::PinSettings settings_;
    bool opacityAvailable_ = false;
    // Whether the picture is an animated GIF; found out when first needed.
    std::optional<bool> animated_;
    AnimationPlayer* animation_ = nullptr;
    platform::ObscuredWatch* obscured_ = nullptr;
    int animationFramesDrawn_ = 0;
    WheelZoom& Zoom();
    WheelZoom* zoom_ = nullptr;                       // made on first use
    platform::ThumbnailCache* thumbnails_ = nullptr;  // for the zoom's sharp pixels
    TextSelection* selection_ = nullptr;
    std::optional<text_recognition::FileIdentity> selectedFile_;  // what selection_'s words are of
    marks::MarkSet* marks_ = nullptr;
    marks::CoverCache covers_;  // for marks drawn straight onto the window
    MarkedPicture marked_;
    MarkingMode* marking_ = nullptr;
    CropMode* crop_ = nullptr;
    std::optional<QPoint> dragOutFrom_;  // where a press with Ctrl held began
};

}  // namespace pinned_window
