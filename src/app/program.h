#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QImage;
class QMimeData;
class QRectF;

namespace about_box {
class AboutBox;
}
namespace capture_window {
class Capture;
}
namespace display_window {
class DisplayWindow;
}
namespace help {
class Help;
enum class HelpSection;
}  // namespace help
namespace main_window {
class MainWindow;
}
namespace pin_board {
class PinBoard;
}
namespace pin_list_window {
class PinListWindow;
}
namespace platform {
class FilePath;
class ThumbnailCache;
struct PngWritten;
}  // namespace platform

namespace text_recognition {
class TextRecognizer;
struct KeptText;
}  // namespace text_recognition

namespace app {

class PictureOpener;
class SaveFailureNotice;

// The running program: the pin board with its data file, the windows that show and change it,
// and what it tells the user when a save fails. The main window, the display window and the
// About box are one object each, made on first use.
class Program {
public:
    // Pictures are loaded through the thumbnail cache in `thumbnailFolder` (for the program
    // ThumbnailCache::DesktopRoot()); none when it is empty.
    // `recognitionLanguages`: Tesseract's, as the preferences name them; the default when empty.
    explicit Program(const QString& dataFile, const QString& thumbnailFolder = {},
                     const QString& recognitionLanguages = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Runs the start-up restore, then opens `picture` when one is given (see OpenPicture), and
    // shows the main window unless the restore hid it or the picture opened. Does not enter the
    // event loop. What kept the picture from opening, if anything.
    std::optional<QString> Start(const platform::FilePath& picture);
    void Start();

    // Brings the main window back, raised and activated, with "非表示" offered while pictures
    // are pinned.
    void ShowMainWindow();
    // "張り付けた画像の一覧", raised and activated.
    void ShowPinList();
    // Opens the picture in the display window (see PictureOpener::Open): the one road every
    // open takes, the browser's double-click and a drop included.
    std::optional<QString> OpenPicture(const platform::FilePath& picture);
    // Opens the clipboard's picture as TakePicture does.
    std::optional<QString> Paste();
    // Opens the picture the data holds (see platform::TakePicture): image data is written into
    // "pasted" beside the data file first. The data is read at once, the picture opened once
    // the event loop is back, so that a drop ends first; when `later` is false, it is opened
    // now. What kept it from opening, if anything.
    // Without a picture, a page, a colour or text the data holds is drawn into one (see
    // pasted_text::Draw) and its text kept beside it.
    std::optional<QString> TakePicture(const QMimeData* data, bool later = false);
    // Freezes the desktop and lets the user drag a part of it, which becomes a pin exactly where
    // it was, its pixels kept as a PNG file in "captured" beside the data file, and its rectangle
    // in the last region's file; with `lastRegion`, that rectangle is taken again at once. A
    // colour copied instead is told in a note by the pointer. While a capture is under way
    // another asks for nothing. `failed` hears why nothing was captured, later; not when the
    // user cancelled; `noted` hears a line about less taken than asked for.
    void Capture(bool lastRegion, const std::function<void(const QString&)>& failed,
                 const std::function<void(const QString&)>& noted);
    // How captures go from now on: whether the overlay first outlines the window under the
    // pointer (or else its monitor), and a folder each captured picture is also copied to
    // (none when empty).
    void SetCaptureChoices(bool outlineWindow, const QString& copyFolder) {
        outlineWindow_ = outlineWindow;
        copyFolder_ = copyFolder;
    }
    // Whether a capture is under way: from the call until its pin is on the desktop, or it ended.
    bool Capturing() const { return capture_ != nullptr; }
    // Ends the program at once: every window goes, nothing is saved; files being written are
    // finished first.
    void Quit();
    // What Quit does once the windows are gone; the event loop's end unless tests replace it.
    void SetQuitAction(std::function<void()> action) { quitAction_ = std::move(action); }

    pin_board::PinBoard& Board() { return *board_; }
    main_window::MainWindow& MainWindow();
    display_window::DisplayWindow& DisplayWindow();
    about_box::AboutBox& AboutBox();
    pin_list_window::PinListWindow& PinListWindow();
    help::Help& Help() { return *help_; }
    // Null when the program runs without one.
    platform::ThumbnailCache* Thumbnails() { return thumbnails_.get(); }
    // Recognises the text of pins when asked, and keeps it in the folder "text" beside the
    // data file; CachedText answers a search without recognising anything.
    text_recognition::TextRecognizer& TextRecognizer() { return *textRecognizer_; }

private:
    // Help, About and quitting, which both windows with a menu bar offer.
    template <typename Window>
    void ConnectCommands(Window* window, help::HelpSection section);
    // Ctrl+V in a window: what fails goes to standard error.
    void PasteFromWindow();
    // Opens the picture of the page, colour or text the data holds, written into "pasted", as
    // TakePicture does; why not, if not.
    std::optional<QString> TakeText(const QMimeData* data, bool later);
    // The file of a pasted text is written: its text is kept; or it is not, and its picture,
    // if on show, goes.
    void PastedWritten(const platform::PngWritten& written, const text_recognition::KeptText& kept);
    // The main window back when it was hidden, so that a window is left to reach the program by.
    void ShowBrowserIfHidden();
    // Writes the captured pixels into "captured" and pins them at `logical` (logical pixels).
    std::optional<QString> PinCaptured(const QImage& pixels, const QRectF& logical);
    // The rectangle the last capture took, in the X screen's device pixels; why there is none.
    std::variant<QRect, QString> LastRegion() const;
    void CopyColour(const QString& text);
    // Pins the display window's picture, when it shows one: before any other picture comes.
    void PinShownPicture();
    void EndCapture();

    // Declared in the order they may be needed; they go in the reverse order, the windows first.
    std::unique_ptr<platform::ThumbnailCache> thumbnails_;
    std::unique_ptr<text_recognition::TextRecognizer> textRecognizer_;
    std::unique_ptr<pin_board::PinBoard> board_;
    std::unique_ptr<SaveFailureNotice> saveFailureNotice_;
    std::unique_ptr<help::Help> help_;
    std::unique_ptr<PictureOpener> opener_;
    std::unique_ptr<about_box::AboutBox> aboutBox_;
    std::unique_ptr<display_window::DisplayWindow> displayWindow_;
    std::unique_ptr<main_window::MainWindow> mainWindow_;
    // Made when asked for and gone when closed, with its thumbnails.
    QPointer<pin_list_window::PinListWindow> pinListWindow_;
    std::unique_ptr<capture_window::Capture> capture_;
    bool outlineWindow_ = true;
    QString copyFolder_;
    std::function<void()> quitAction_;
};

}  // namespace app
