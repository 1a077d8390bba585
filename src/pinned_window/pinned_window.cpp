#include "pinned_window/pinned_window.h"

#include <QPainter>

#include "platform/controls.h"

namespace pinned_window {

PinnedWindow::PinnedWindow()
    : TwipsWindow(Qt::Window | Qt::FramelessWindowHint, platform::Sizing::Free) {
    setObjectName(QStringLiteral("PinnedWindow"));
    // Never shown: the window has no title bar. Window rules and scripts find pins by it.
    setWindowTitle(QStringLiteral("Form3"));
    // A pinned picture belongs to the desktop: the user reaches it by clicking it, not by Alt+Tab.
    SetInWindowSwitchers(false);
    // It never changes size, and its picture is kept with it: one copy of the pixels is enough.
    DrawWithoutBackingStore();
    // The system's window background shows wherever the picture does not cover.
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    setPalette(palette);
    picture_ = new platform::ImageBox(ClientArea());
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->Place(0, 0, 2535, 1815);
    SetClientSize(3315, 2550);
    connect(picture_, &platform::ImageBox::DoubleClicked, this, &PinnedWindow::unpinRequested);
}

void PinnedWindow::Place(float left, float top, float width, float height) {
    SetLeft(left);
    picture_->SetLeft(0);
    SetTop(top);
    picture_->SetTop(0);
    SetWidth(width);
    picture_->SetWidth(width);
    SetHeight(height);
    picture_->SetHeight(height);
}

void PinnedWindow::SetPicture(platform::Picture picture) {
    picture_->SetPicture(std::move(picture));
    picture_->setVisible(true);
}

const platform::Picture& PinnedWindow::Picture() const {
    return picture_->GetPicture();
}

QSize PinnedWindow::DecodeTarget() const {
    return picture_->DecodeTarget();
}

float PinnedWindow::PictureWidth() const {
    return picture_->Width();
}

float PinnedWindow::PictureHeight() const {
    return picture_->Height();
}

void PinnedWindow::DrawContents(QPainter& painter) {
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (picture_->Visible()) {
        picture_->Draw(painter, QRect(picture_->mapTo(this, QPoint(0, 0)), picture_->size()));
    }
}

}  // namespace pinned_window
