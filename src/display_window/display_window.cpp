#include "display_window/display_window.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "pin_board/pin_board.h"
#include "platform/core/twips.h"
#include "platform/gui/controls.h"
#include "platform/gui/menus.h"
#include "platform/gui/mouse_pointer.h"
#include "sizing/display_size.h"

namespace display_window {

namespace {

// The shape kept until a picture is opened, in twips.
constexpr std::int16_t kDesignHeight = 1455;
constexpr std::int16_t kDesignWidth = 2055;

}  // namespace

QSizeF LargestDisplaySize() {
    QSizeF limit(32767, 32767);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Room for the frame on both sides; the 600-twip allowance holds the title and menu
        // bars above the picture.
        const int frame = 2 * platform::kFrameReservePixels;
        const QRect area = screen->availableGeometry();
        const double width = platform::PixelsToTwips(area.width() - frame);
        const double height =
            platform::PixelsToTwips(area.height() - frame) - DisplayWindow::kAllowance;
        limit = limit.boundedTo(QSizeF(std::max(width, 150.0), std::max(height, 150.0)));
    }
    return limit;
}

DisplayWindow::DisplayWindow(pin_board::PinBoard& board)
    : TwipsWindow(
          Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint,
          platform::Sizing::Free),
      board_(board) {
    setObjectName(QStringLiteral("DisplayWindow"));
    setWindowRole(QStringLiteral("vellora-display"));
    setWindowTitle(tr("画像表示 "));
    CreateMenu();
    CreateControls();
    referenceHeight_ = kDesignHeight;
    referenceWidth_ = kDesignWidth;
    SetClientSize(4680, 3195);
    OpenAtPlatformDefault();
    // The user sets the width; the height follows it.
    SetUserSizableHeight(false);
    SetWidth(kDesignWidth);
    SetHeight(kDesignHeight);
}

void DisplayWindow::CreateMenu() {
    QMenu* menu = platform::AddMenu(MenuBar(), "menu", tr("ﾒﾆｭｰ"));
    QAction* pin = platform::AddMenuItem(menu, "pin", tr("張り付け"));
    QAction* remove = platform::AddMenuItem(menu, "delete", tr("削除"));
    QAction* add = platform::AddMenuItem(menu, "addPicture", tr("画像追加..."));
    platform::AddMenuItem(menu, "separator", {});
    QAction* quit = platform::AddMenuItem(menu, "quit", tr("終了"));
    const platform::HelpMenu help = platform::AddHelpMenu(MenuBar());

    connect(pin, &QAction::triggered, this, [this] { Pin(); });
    connect(remove, &QAction::triggered, this, [this] { Delete(); });
    connect(add, &QAction::triggered, this, [this] { AddPicture(); });
    connect(quit, &QAction::triggered, this, &DisplayWindow::quitRequested);
    // Ctrl+V is no menu item: the menu keeps its items.
    auto* paste = new QAction(this);
    paste->setShortcut(QKeySequence::Paste);
    addAction(paste);
    connect(paste, &QAction::triggered, this, &DisplayWindow::pasteRequested);
    // Help and About pin the picture first, as the focus leaving for their windows would.
    connect(help.help, &QAction::triggered, this, [this] {
        Pin();
        emit helpRequested();
    });
    connect(help.about, &QAction::triggered, this, [this] {
        Pin();
        emit aboutRequested();
    });
}

void DisplayWindow::CreateControls() {
    QWidget* client = ClientArea();
    picture_ = new platform::ImageBox(client);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->SetRect(0, 0, 2895, 2175);
    // Keep the picture's detail up to the screen's size, so that widening stays sharp.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        picture_->KeepDetailUpTo(screen->size() * screen->devicePixelRatio());
    }
    connect(picture_, &platform::ImageBox::DoubleClicked, this, [this] { Pin(); });
}

int DisplayWindow::TopAllowancePixels() const {
    // The picture starts 600 twips below Top: whatever of that the menu bar does not take lies
    // above the window's client area, where the window manager draws the title bar.
    return platform::TwipsToPixels(kAllowance) - MenuBarHeight();
}

void DisplayWindow::SetReferenceSize(std::int16_t height, std::int16_t width) {
    referenceHeight_ = height;
    referenceWidth_ = width == 0 ? std::int16_t(1) : width;  // the width divides every resize
    SetWidth(width);
    SetHeight(height);
}

void DisplayWindow::OnResized() {
    picture_->setVisible(false);
    const float width = Width();
    const float height = sizing::PictureHeightFor(referenceHeight_, referenceWidth_, width);
    picture_->SetWidth(Width());
    picture_->SetHeight(height);
    SetHeight(picture_->Height() + kAllowance);
    picture_->setVisible(true);
}

QSize DisplayWindow::DecodeTargetFor(QSize natural) const {
    const sizing::OpenedSize size = sizing::OpenedSizeFor(natural, LargestDisplaySize());
    return picture_->DecodeTargetAt(
        QSize(platform::ControlPixels(size.width), platform::ControlPixels(size.height)));
}

void DisplayWindow::Open(const platform::Picture& picture) {
    // A picture larger than 16-bit twips or than the screen opens scaled down to fit.
    const sizing::OpenedSize size =
        sizing::OpenedSizeFor(picture->NaturalSize(), LargestDisplaySize());
    SetReferenceSize(size.reference.height, size.reference.width);
    SetWidth(size.width);
    SetHeight(size.height);
    picture_->SetWidth(size.width);
    picture_->SetHeight(size.height);
    picture_->SetPicture(picture);
    path_ = picture->Path();
    Show();
}

void DisplayWindow::ShowUnpinned(const pin_board::Unpinned& picture) {
    const platform::TwipsRect& pinned = picture.window;
    const sizing::ReferenceSize reference = sizing::ReferenceSizeFor(pinned.height, pinned.width);
    SetReferenceSize(reference.height, reference.width);
    SetWidth(pinned.width);
    SetHeight(pinned.height + kAllowance);
    SetLeft(pinned.left);
    SetTop(pinned.top - kAllowance);
    picture_->SetWidth(picture.pictureWidth);
    picture_->SetHeight(picture.pictureHeight);
    picture_->SetPicture(picture.picture);
    path_ = picture.path;
    Show();
}

void DisplayWindow::OnFocusMovedToOtherWindow() {
    Pin();
}

void DisplayWindow::Pin() {
    // A lost focus that arrives while a pinning is under way, or after the window has gone,
    // must not pin the picture a second time.
    if (pinning_ || !Loaded() || !picture_->GetPicture()) return;
    pinning_ = true;
    const platform::BusyPointer busy;
    board_.Pin({path_,
                picture_->GetPicture(),
                {Left(), Top() + kAllowance, Width(), Height() - kAllowance}});
    Unload();
    pinning_ = false;
}

void DisplayWindow::Delete() {
    board_.Delete(path_);
    Unload();
    if (board_.IsEmpty()) emit browserRequested(false);
}

void DisplayWindow::AddPicture() {
    Pin();
    emit browserRequested(true);
}

void DisplayWindow::OnUnload() {
    // Back to the design state; the picture is let go so that its memory is freed.
    picture_->SetPicture(nullptr);
    path_ = {};
}

void DisplayWindow::OnCloseCommand() {
    // Closing discards the picture on show. One that was unpinned leaves the list as "削除"
    // does, into the recently removed list: the data file then says what the screen says,
    // whatever comes next.
    const bool unpinned = board_.IsUnpinned(path_);
    Unload();
    if (unpinned) board_.DiscardUnpinned();
    if (board_.IsEmpty()) emit browserNeededIfHidden();
}

}  // namespace display_window
