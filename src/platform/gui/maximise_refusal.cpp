#include "platform/gui/maximise_refusal.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace platform {

namespace {

// Geometry changes from the window system this close together belong to one action of the window
// manager; the window manager sends a maximised window's state and size within a few
// milliseconds.
constexpr qint64 kOneActionMs = 500;
// A refusal waits for the window manager's reports, not for time. In case a request was lost it
// is made again at this interval, this many times; then the window manager has the last word.
constexpr int kRetryMs = 400;
constexpr int kRetries = 5;
// Sizes a window manager imposed that are still refused after the refusal has ended.
constexpr size_t kImposedSizesKept = 8;

std::function<qint64()> SteadyClock() {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    return [started] { return started->elapsed(); };
}

}  // namespace

MaximiseRefusal::MaximiseRefusal(Window& window, QObject* parent, std::function<qint64()> clockMs)
    : QObject(parent),
      window_(window),
      clockMs_(clockMs ? std::move(clockMs) : SteadyClock()),
      retry_(new QTimer(this)) {
    retry_->setSingleShot(true);
    retry_->setInterval(kRetryMs);
    connect(retry_, &QTimer::timeout, this, [this] { Retry(); });
}

bool MaximiseRefusal::Refuses(bool resized) {
    if (!target_) {
        if (!ImposedBySystem(resized)) {
            // The user's: the start of a run of changes unless one came a moment ago.
            if (!WithinOneAction()) beforeSystemChange_ = window_.Outer();
            lastSystemChange_ = clockMs_();
            return false;
        }
        // Nothing of this change was taken as the user's: the window goes back to where it is.
        Refuse(false);
    }
    // A size that comes while the window refuses is the window manager's, though the state may
    // be gone by the time it is handled.
    if (resized) RememberImposedSize(window_.Client().size());
    return true;
}

void MaximiseRefusal::StateChanged() {
    Review(true);
}

void MaximiseRefusal::Reported(QSize sizeInState, bool stateChanged) {
    // Noted at once: Qt may deliver that size after the state has gone and the refusal has
    // ended. The rest waits until Qt has handled the report.
    if (!sizeInState.isEmpty()) RememberImposedSize(sizeInState);
    ReviewLater(stateChanged);
}

bool MaximiseRefusal::ImposedBySystem(bool resized) const {
    // The window manager may send the size before the state, or a size it imposed after it has
    // given the state up; a window resized to exactly fill a screen is one made full-screen. A
    // window that already has such a size (a pinned screenshot) is moved freely.
    if (window_.InSizeState()) return true;
    if (!resized) return false;
    const QSize now = window_.Client().size();
    if (std::find(imposedSizes_.begin(), imposedSizes_.end(), now) != imposedSizes_.end()) {
        return true;
    }
    return window_.ScreenSizes().contains(now);
}

bool MaximiseRefusal::WithinOneAction() const {
    return lastSystemChange_ && clockMs_() - *lastSystemChange_ <= kOneActionMs;
}

void MaximiseRefusal::Refuse(bool sizeMayHaveComeFirst) {
    if (!target_) {
        // A state reported after its size: that size was taken as the user's a moment ago.
        const bool sizedAlready = sizeMayHaveComeFirst && WithinOneAction();
        target_ = sizedAlready ? beforeSystemChange_ : window_.Outer();
        retries_ = 0;
        if (*target_ != window_.Outer()) {
            // What the program made of that size (a display window's height follows its width)
            // came from the state too.
            const QSize made = window_.Client().size();
            window_.PutBack(*target_);
            RememberImposedSize(made);
        }
    }
    window_.DropSizeStates();
    retry_->start();
    ReviewLater(false);
}

void MaximiseRefusal::ReviewLater(bool stateChanged) {
    // After the events already queued, among them the window system's answers.
    QMetaObject::invokeMethod(
        this, [this, stateChanged] { Review(stateChanged); }, Qt::QueuedConnection);
}

void MaximiseRefusal::Review(bool stateChanged) {
    if (!target_) {
        if (stateChanged && window_.Visible() && window_.InSizeState()) Refuse(true);
        return;
    }
    if (!window_.Visible()) {
        // Hidden meanwhile: shown again, it opens at the program's rectangle anyway.
        End();
        return;
    }
    const QRect wanted = window_.WantedClient();
    const QRect now = window_.ClientOnServer();
    if (window_.InSizeState()) {
        RememberImposedSize(now.size());
        return;
    }
    // After the last retry, the state gone is enough: see Retry.
    if (now == wanted || retries_ > kRetries) {
        End();
        return;
    }
    // The state is gone but the window is elsewhere: asked for its rectangle unless that is
    // what was asked last and the answer is still to come. The window manager's answer brings
    // the next review; off X11 the answer is there at once.
    const QRect asked = window_.Client();
    window_.AskForWanted();
    if (window_.Client() != asked) ReviewLater(false);
}

void MaximiseRefusal::Retry() {
    if (!target_) return;
    const bool held = window_.InSizeState();
    if (++retries_ > kRetries) {
        // A window manager that keeps the window elsewhere: that is where it is. One that keeps
        // the state: the refusal lasts until it reports the state gone.
        if (!held) End();
        return;
    }
    if (held) {
        Refuse(false);
        return;
    }
    Review(false);
    if (target_) retry_->start();
}

void MaximiseRefusal::RememberImposedSize(QSize size) {
    // The size the window goes back to stays the user's to choose.
    if (size == window_.WantedClient().size() ||
        std::find(imposedSizes_.begin(), imposedSizes_.end(), size) != imposedSizes_.end()) {
        return;
    }
    imposedSizes_.push_back(size);
    if (imposedSizes_.size() > kImposedSizesKept) imposedSizes_.erase(imposedSizes_.begin());
}

void MaximiseRefusal::End() {
    target_.reset();
    retry_->stop();
}

}  // namespace platform
