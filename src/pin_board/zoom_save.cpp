#include <QTimer>
#include <utility>

#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"

namespace pin_board {

void PinBoard::SetZoomSaveDelay(int milliseconds) {
    zoomSaveDelay_ = milliseconds;
    if (zoomSave_) zoomSave_->setInterval(milliseconds);
}

void PinBoard::Zoomed(pinned_window::PinnedWindow* window) {
    const pin_list::PinId id = IdOf(window);
    if (!id) return;
    list_->SetGeometry(id, window->Rect());
    if (!zoomedSinceSave_.contains(window)) zoomedSinceSave_.append(window);
    if (!zoomSave_) {
        zoomSave_ = new QTimer(this);
        zoomSave_->setSingleShot(true);
        zoomSave_->setInterval(zoomSaveDelay_);
        connect(zoomSave_, &QTimer::timeout, this, [this] { SaveZoomed(); });
    }
    zoomSave_->start();  // every step starts the wait again
}

void PinBoard::SaveZoomed() {
    // Where each zoomed pin is now: a window manager that keeps windows on the screen (icewm)
    // may have moved it after the step, and the next start must put it where the user saw it.
    for (pinned_window::PinnedWindow* window : std::exchange(zoomedSinceSave_, {})) {
        if (const pin_list::PinId id = IdOf(window)) list_->SetGeometry(id, window->Rect());
    }
    list_->Save();
}

}  // namespace pin_board
