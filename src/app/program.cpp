#include "app/program.h"

#include <malloc.h>

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFileInfo>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

#include "about_box/about_box.h"
#include "app/picture_opener.h"
#include "app/save_failure_notice.h"
#include "capture_window/aiming.h"
#include "capture_window/capture_window.h"
#include "capture_window/screen_source.h"
#include "display_window/display_window.h"
#include "help/help.h"
#include "main_window/main_window.h"
#include "pasted_text/clipboard_text.h"
#include "pasted_text/text_picture.h"
#include "pin_board/pin_board.h"
#include "pin_list_window/pin_list_window.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/file_path.h"
#include "platform/core/twips.h"
#include "platform/core/whole_file.h"
#include "platform/gui/labels.h"
#include "platform/pictures/pasted_picture.h"
#include "platform/pictures/thumbnail_cache.h"
#include "platform/pictures/uncompressed_png.h"
#include "store/data_folder.h"
#include "text_recognition/tesseract_engine.h"
#include "text_recognition/text_recognizer.h"

namespace app {

namespace {

text_recognition::RecognizerSettings RecognizerSettingsOf(const store::DataFolder& folder,
                                                          const QString& languages) {
    text_recognition::RecognizerSettings settings;
    settings.languages = languages;
    settings.cacheFolder = folder.TextFolder();
    settings.keptFolder = folder.KeptTextFolder();
    settings.dataPath = text_recognition::DefaultDataPath();
    return settings;
}

}  // namespace

Program::Program(const QString& dataFile, const QString& thumbnailFolder,
                 const QString& recognitionLanguages)
    : thumbnails_(thumbnailFolder.isEmpty()
                      ? nullptr
                      : std::make_unique<platform::ThumbnailCache>(thumbnailFolder)),
      textRecognizer_(std::make_unique<text_recognition::TextRecognizer>(
          RecognizerSettingsOf(store::DataFolder(dataFile), recognitionLanguages))),
      board_(std::make_unique<pin_board::PinBoard>(dataFile, thumbnails_.get())),
      saveFailureNotice_(std::make_unique<SaveFailureNotice>(dataFile)),
      help_(std::make_unique<help::Help>()),
      opener_(std::make_unique<PictureOpener>(
          [this]() -> display_window::DisplayWindow& { return DisplayWindow(); },
          [this]() -> main_window::MainWindow& { return MainWindow(); }, thumbnails_.get())),
      quitAction_([] { QCoreApplication::exit(0); }) {
    board_->SetSaveListener(
        [notice = saveFailureNotice_.get()](const QString& file, const store::SaveResult& result) {
            notice->Saved(file, result);
        });
    pinned_window::PinnedWindow::SetTextRecognizer(textRecognizer_.get());
    // One rule for the picture on show: whatever brings a new picture pins it first.
    board_->SetPinShownPicture([this] { PinShownPicture(); });
    // A pin deleted from its own menu may have been the last on the desktop: as after "削除",
    // the browser comes back without "非表示", or nothing would be left to reach the program by.
    QObject::connect(board_.get(), &pin_board::PinBoard::deleted, board_.get(), [this] {
        if (board_->IsEmpty()) MainWindow().SetShownWithHideOffered(true, false);
    });
    // A picture unpinned goes back to the display window, to be moved, sized, pinned or deleted.
    QObject::connect(
        board_.get(), &pin_board::PinBoard::unpinned, board_.get(),
        [this](const pin_board::Unpinned& picture) { DisplayWindow().ShowUnpinned(picture); });
}

Program::~Program() {
    // Every window is still there to hear how a write ended.
    board_->WaitForWrites();
    delete pinListWindow_.data();
    // The recognizer outlives the windows (see the members); no pin asks it anything more.
    pinned_window::PinnedWindow::SetTextRecognizer(nullptr);
}

template <typename Window>
void Program::ConnectCommands(Window* window, help::HelpSection section) {
    QObject::connect(window, &Window::helpRequested, window,
                     [this, section] { help_->Open(section); });
    QObject::connect(window, &Window::aboutRequested, window, [this] { AboutBox().ShowAbout(); });
    QObject::connect(window, &Window::quitRequested, window, [this] { Quit(); });
}

main_window::MainWindow& Program::MainWindow() {
    if (!mainWindow_) {
        mainWindow_ = std::make_unique<main_window::MainWindow>(*board_, thumbnails_.get());
        ConnectCommands(mainWindow_.get(), help::HelpSection::MainWindow);
        // A picture that cannot be opened is passed over, as the browser passes over one.
        QObject::connect(mainWindow_.get(), &main_window::MainWindow::openRequested,
                         mainWindow_.get(),
                         [this](const platform::FilePath& path) { OpenPicture(path); });
        QObject::connect(mainWindow_.get(), &main_window::MainWindow::pasteRequested,
                         mainWindow_.get(), [this] { PasteFromWindow(); });
        QObject::connect(mainWindow_.get(), &main_window::MainWindow::pictureDataDropped,
                         mainWindow_.get(), [this](const QMimeData* data) {
                             if (const std::optional<QString> failure = TakePicture(data, true)) {
                                 qWarning("vellora: drop: %s", qPrintable(*failure));
                             }
                         });
    }
    return *mainWindow_;
}

display_window::DisplayWindow& Program::DisplayWindow() {
    if (!displayWindow_) {
        displayWindow_ = std::make_unique<display_window::DisplayWindow>(*board_);
        display_window::DisplayWindow* window = displayWindow_.get();
        QObject::connect(
            window, &display_window::DisplayWindow::browserRequested, window,
            [this](bool hideOffered) { MainWindow().SetShownWithHideOffered(true, hideOffered); });
        QObject::connect(window, &display_window::DisplayWindow::browserNeededIfHidden, window,
                         [this] { ShowBrowserIfHidden(); });
        ConnectCommands(window, help::HelpSection::DisplayWindow);
        QObject::connect(window, &display_window::DisplayWindow::pasteRequested, window,
                         [this] { PasteFromWindow(); });
    }
    return *displayWindow_;
}

pin_list_window::PinListWindow& Program::PinListWindow() {
    if (!pinListWindow_) {
        auto* window = new pin_list_window::PinListWindow(*board_, thumbnails_.get());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->SetTextLookup(
            [recognizer = textRecognizer_.get(), own = board_->List().Folder().OwnPictureFolders()](
                const platform::FilePath& file) { return recognizer->KnownText(file, own); });
        QObject::connect(textRecognizer_.get(), &text_recognition::TextRecognizer::recognised,
                         window, &pin_list_window::PinListWindow::TextRecognised);
        pinListWindow_ = window;
    }
    return *pinListWindow_;
}

void Program::ShowPinList() {
    pin_list_window::PinListWindow& window = PinListWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

about_box::AboutBox& Program::AboutBox() {
    if (!aboutBox_) aboutBox_ = std::make_unique<about_box::AboutBox>();
    return *aboutBox_;
}

void Program::Start() {
    Start(platform::FilePath());
}

std::optional<QString> Program::Start(const platform::FilePath& picture) {
    // Blocks of 128 KiB and more each get pages of their own, given back to the system when
    // freed. glibc otherwise raises that bound after freeing a decode's large buffers, and the
    // pictures kept afterwards then sit among freed memory it cannot return: 10 pins held 1.5
    // times their pixels instead of 1.1 times.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    platform::InstallFontSubstitutes();
    main_window::MainWindow& main = MainWindow();
    const bool hidden = board_->Restore();
    if (hidden) main.SetShownWithHideOffered(false, true);
    // The restore's decodes freed their working memory in the worker threads' malloc arenas,
    // where glibc keeps it resident; hand it back to the system.
    malloc_trim(0);
    std::optional<QString> failure;
    if (!picture.IsEmpty()) {
        failure = OpenPicture(picture);
        if (!failure) return std::nullopt;
    }
    if (!hidden) main.Show();
    return failure;
}

void Program::ShowMainWindow() {
    main_window::MainWindow& main = MainWindow();
    if (main.isMinimized()) main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
    main.SetShownWithHideOffered(true, !board_->IsEmpty());
}

std::optional<QString> Program::OpenPicture(const platform::FilePath& picture) {
    return opener_->Open(picture);
}

std::optional<QString> Program::Paste() {
    return TakePicture(QGuiApplication::clipboard()->mimeData());
}

void Program::PasteFromWindow() {
    if (const std::optional<QString> failure = Paste()) {
        qWarning("vellora: paste: %s", qPrintable(*failure));
    }
}

std::optional<QString> Program::TakePicture(const QMimeData* data, bool later) {
    const platform::Pasted pasted =
        platform::TakePicture(data, board_->List().Folder().PastedFolder());
    if (!pasted && pasted.failure->error == platform::PasteError::NoPicture) {
        return TakeText(data, later);
    }
    if (!pasted) return pasted.failure->reason;
    if (!later) return OpenPicture(pasted.file);
    QTimer::singleShot(0, board_.get(), [this, file = pasted.file] {
        if (const std::optional<QString> failure = OpenPicture(file)) {
            qWarning("vellora: %s: %s", qPrintable(file.DisplayText()), qPrintable(*failure));
        }
    });
    return std::nullopt;
}

std::optional<QString> Program::TakeText(const QMimeData* data, bool later) {
    const std::optional<pasted_text::ClipboardText> content = pasted_text::TextOfClipboard(data);
    if (!content) {
        const QStringList held = pasted_text::HeldFormats(data);
        return held.isEmpty() ? QStringLiteral("the clipboard is empty")
                              : QStringLiteral("the clipboard holds %1, which cannot be pinned")
                                    .arg(held.join(QStringLiteral(", ")));
    }
    const pasted_text::TextPicture drawn =
        pasted_text::Draw(*content, pasted_text::LookUnderPointer());
    // On the screen from the pixels drawn, while its file is written; the text is kept under
    // the file's bytes once they are on the disk.
    const platform::Pasted named = board_->WritePasted(
        drawn.picture, platform::FlatPngOf,
        [this, kept = text_recognition::KeptText{drawn.text, drawn.words}](
            const platform::PngWritten& written) { PastedWritten(written, kept); });
    if (!named) return named.failure->reason;
    if (!later) {
        opener_->OpenDrawn(named.file, drawn.picture);
        return std::nullopt;
    }
    QTimer::singleShot(0, board_.get(), [this, file = named.file, pixels = drawn.picture] {
        opener_->OpenDrawn(file, pixels);
    });
    return std::nullopt;
}

void Program::PastedWritten(const platform::PngWritten& written,
                            const text_recognition::KeptText& kept) {
    if (!written.failure) {
        // Without its text the pin would be a picture of text like any other: recognised, not
        // given back as it was. It is pinned all the same.
        textRecognizer_->Keep(written.file, written.png, kept);
        return;
    }
    qWarning("vellora: paste: %s", qPrintable(written.failure->reason));
    // Nothing is left to pin: the picture on show goes, as when it is closed.
    if (!displayWindow_ || displayWindow_->ShownPath() != written.file) return;
    displayWindow_->Unload();
    if (board_->IsEmpty()) ShowBrowserIfHidden();
}

void Program::ShowBrowserIfHidden() {
    if (!MainWindow().isVisible()) MainWindow().SetShownWithHideOffered(true, false);
}

void Program::Capture(bool lastRegion, const std::function<void(const QString&)>& failed,
                      const std::function<void(const QString&)>& noted) {
    if (capture_) return;
    std::optional<QRect> region;
    if (lastRegion) {
        const std::variant<QRect, QString> last = LastRegion();
        if (const QString* why = std::get_if<QString>(&last)) {
            failed(*why);
            return;
        }
        region = std::get<QRect>(last);
    }
    capture_ = std::make_unique<capture_window::Capture>(capture_window::MakeScreenSource());
    capture_window::Capture* capture = capture_.get();
    capture->AimAtWindows(outlineWindow_);
    QObject::connect(
        capture, &capture_window::Capture::captured, capture,
        [this, failed](const QImage& pixels, const QRectF& logical, const QRect& device) {
            const std::optional<QString> failure = PinCaptured(pixels, logical);
            EndCapture();
            if (failure) {
                failed(*failure);
                return;
            }
            if (device.isEmpty()) return;
            const platform::WriteResult kept = platform::WriteOwnFile(
                platform::FilePath::FromText(board_->List().Folder().LastRegionFile()),
                capture_window::RegionText(device));
            if (!kept.ok) failed(QStringLiteral("the region is not kept: %1").arg(kept.error));
        });
    QObject::connect(capture, &capture_window::Capture::failed, capture,
                     [this, failed](const QString& reason) {
                         EndCapture();
                         if (!reason.isEmpty()) failed(reason);
                     });
    QObject::connect(capture, &capture_window::Capture::colourTaken, capture,
                     [this](const QString& text) {
                         EndCapture();
                         CopyColour(text);
                     });
    QObject::connect(capture, &capture_window::Capture::noted, capture, noted);
    if (region) {
        capture->StartAt(*region);
    } else {
        capture->Start();
    }
}

std::variant<QRect, QString> Program::LastRegion() const {
    const QString name = board_->List().Folder().LastRegionFile();
    // A few numbers: anything longer is not the program's.
    constexpr qint64 kLongest = 256;
    const platform::WholeFile file =
        platform::ReadFile(platform::FilePath::FromText(name), kLongest, platform::Links::Refuse);
    if (file.error == platform::ReadError::CannotOpen) {
        return QStringLiteral("no region has been captured yet");
    }
    if (!file.bytes) {
        return QStringLiteral("the last region's file %1 cannot be read: %2")
            .arg(name, platform::DescribeReadError(file.error));
    }
    if (const std::optional<QRect> region = capture_window::RegionFromText(*file.bytes)) {
        return *region;
    }
    return QStringLiteral("the last region's file %1 holds no rectangle").arg(name);
}

void Program::CopyColour(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    constexpr int kNoteMilliseconds = 3000;
    QToolTip::showText(QCursor::pos(),
                       QCoreApplication::translate("app::Program", "%1 をコピーしました").arg(text),
                       nullptr, QRect(), kNoteMilliseconds);
}

void Program::PinShownPicture() {
    if (displayWindow_) displayWindow_->Pin();
}

std::optional<QString> Program::PinCaptured(const QImage& pixels, const QRectF& logical) {
    PinShownPicture();
    // The file first: the record that names it is saved with the pin.
    const std::optional<QByteArray> png = platform::EncodePng(pixels);
    if (!png) return QStringLiteral("the captured picture cannot be encoded as PNG");
    const platform::Pasted written =
        platform::WriteNewPng(*png, board_->List().Folder().CapturedFolder());
    if (!written) return written.failure->reason;
    if (!copyFolder_.isEmpty()) {
        // The copy is the user's: the pin and its own file do not wait on it.
        const platform::Pasted copied = platform::WriteNewPng(*png, copyFolder_);
        if (!copied) {
            qWarning("vellora: the captured picture is not copied to %s: %s",
                     qPrintable(copyFolder_), qPrintable(copied.failure->reason));
        }
    }
    pin_board::Placement placement;
    placement.path = written.file;
    // The pixels on hand are the file's: the pin shows them as they are, at its own size.
    placement.picture =
        std::make_shared<platform::PictureData>(written.file, pixels.size(), pixels);
    placement.rect = platform::TwipsRectOf(logical);
    board_->Pin(placement);
    return std::nullopt;
}

void Program::EndCapture() {
    // The overlay that reported is still in its own event handler: it goes once that returns,
    // and the frozen desktop's pixels go back to the system with it.
    capture_window::Capture* ending = capture_.release();
    QObject::connect(ending, &QObject::destroyed, [] { malloc_trim(0); });
    ending->deleteLater();
}

void Program::Quit() {
    // No pasted picture is cut short: its file is whole, or not there at all.
    board_->WaitForWrites();
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    quitAction_();
}

}  // namespace app
