#include <QTimer>

#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"

namespace pin_board {

void PinBoard::SetZoomSaveDelay(int milliseconds) {
    zoomSaveDelay_ = milliseconds;
    if (zoomSave_) zoomSave_->setInterval(milliseconds);
}

void PinBoard::Zoomed(pinned_window::PinnedWindow* window) {
    PinnedPicture* pin = PinOf(window);
    if (!pin) return;
    pin->entry.geometry = GeometryTextsOf(*window);
    if (!zoomSave_) {
        zoomSave_ = new QTimer(this);
        zoomSave_->setSingleShot(true);
        zoomSave_->setInterval(zoomSaveDelay_);
        connect(zoomSave_, &QTimer::timeout, this, [this] { Save(); });
    }
    zoomSave_->start();  // every step starts the wait again
}

}  // namespace pin_board
