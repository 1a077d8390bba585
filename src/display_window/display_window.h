#pragma once

#include <QSize>
#include <QSizeF>
#include <cstdint>

#include "platform/core/file_path.h"
#include "platform/gui/twips_window.h"
#include "platform/pictures/picture.h"
#include "store/pin_settings.h"

namespace platform {
class ImageBox;
}
namespace pin_board {
class PinBoard;
struct Unpinned;
}  // namespace pin_board

namespace display_window {

// The display window: one picture, shown at the size the user gives it before it is pinned. The
// picture keeps its shape: the user sets the width and the height follows. Its Top lies 600
// twips above the picture and its Height is the picture's plus 600, whatever frame the window
// manager draws, so pinning leaves the picture on the same screen pixels.
class DisplayWindow : public platform::TwipsWindow {
    Q_OBJECT
public:
    static constexpr float kAllowance = 600.0f;  // title bar and menu bar, in twips

    // The board outlives the window.
    explicit DisplayWindow(pin_board::PinBoard& board);

    // The device pixels at which a picture of `natural` pixels is best decoded to open here.
    QSize DecodeTargetFor(QSize natural) const;
    // Shows the picture, checked and decoded by the caller (see DecodeTargetFor), at its own size
    // or scaled down to fit the screen.
    void Open(const platform::Picture& picture);
    // Takes over a picture just unpinned, at the place and size it had on the desktop.
    void ShowUnpinned(const pin_board::Unpinned& picture);
    // Pins the picture on show where it is, and closes the window; nothing when none is shown.
    void Pin();

    // The shape the picture keeps while the window is sized, and the window's size to match.
    void SetReferenceSize(std::int16_t height, std::int16_t width);
    double ReferenceHeight() const { return referenceHeight_; }
    std::int16_t ReferenceWidth() const { return referenceWidth_; }
    // The file of the picture on show; empty when none is.
    const platform::FilePath& ShownPath() const { return path_; }

signals:
    // The browser is wanted back: "画像追加..." offers hiding it again, the deletion of the last
    // pin does not.
    void browserRequested(bool hideOffered);
    // Closed with nothing pinned: a hidden browser must come back, or no window would be left to
    // reach the program by.
    void browserNeededIfHidden();
    void helpRequested();
    void aboutRequested();
    void quitRequested();
    // Ctrl+V.
    void pasteRequested();

protected:
    int TopAllowancePixels() const override;
    void OnResized() override;
    void OnFocusMovedToOtherWindow() override;
    void OnUnload() override;
    void OnCloseCommand() override;

private:
    void CreateMenu();
    void CreateControls();
    void Delete();
    void AddPicture();

    pin_board::PinBoard& board_;
    platform::ImageBox* picture_ = nullptr;
    platform::FilePath path_;
    // What the user chose for the picture while it was pinned, for when it is pinned again;
    // the defaults for a picture opened from the browser.
    double referenceHeight_ = 0;  // single precision from the design, integer once set
    std::int16_t referenceWidth_ = 1;
    bool pinning_ = false;  // one display gives one pin, whatever the focus does meanwhile
};

// The largest size, in twips, at which a picture opens in the display window: within 16-bit
// twips, and within the screen's available area so that every border can be reached.
QSizeF LargestDisplaySize();

}  // namespace display_window
