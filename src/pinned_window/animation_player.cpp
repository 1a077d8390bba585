#include "pinned_window/animation_player.h"

#include <QFile>
#include <QImageReader>
#include <QTimer>

#include "platform/core/whole_file.h"

namespace pinned_window {

namespace {

// Delays this short are taken as unset, as web browsers take them: many GIFs say 0 and mean
// "as fast as the viewer likes", which would spend a core.
constexpr int kShortestDelayMs = 20;
constexpr int kUnsetDelayMs = 100;

}  // namespace

AnimationPlayer::AnimationPlayer(platform::FilePath path, QObject* parent)
    : QObject(parent), path_(std::move(path)), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &AnimationPlayer::Advance);
}

AnimationPlayer::~AnimationPlayer() = default;

bool AnimationPlayer::IsAnimated(const platform::FilePath& path) {
    QFile file;
    if (platform::OpenForReading(path, file) != platform::ReadError::None) return false;
    QImageReader reader(&file, "gif");
    return reader.canRead() && reader.supportsAnimation() && reader.imageCount() > 1;
}

void AnimationPlayer::SetRunning(bool running) {
    if (running == Running() || failed_) return;
    if (!running) {
        timer_->stop();
    } else if (frame_.isNull()) {
        Advance();
    } else {
        // The frame on hand has been shown already for an unknown time: the next one is due.
        timer_->start(0);
    }
}

bool AnimationPlayer::Running() const {
    return timer_->isActive();
}

bool AnimationPlayer::Reopen() {
    reader_.reset();
    file_ = std::make_unique<QFile>();
    if (platform::OpenForReading(path_, *file_) != platform::ReadError::None) return false;
    reader_ = std::make_unique<QImageReader>(file_.get(), "gif");
    return true;
}

void AnimationPlayer::Advance() {
    // The decoder keeps the frame it builds the next one on; let go of ours first, so that it
    // writes in place instead of copying a frame still shared with us.
    frame_ = QImage();
    QImage next;
    if (reader_) next = reader_->read();
    // After the last frame, or on the first run, start again from the file's beginning.
    if (next.isNull() && Reopen()) next = reader_->read();
    if (next.isNull()) {
        // Gone or damaged: the pin shows its still picture again.
        failed_ = true;
        reader_.reset();
        file_.reset();
        emit frameChanged();
        return;
    }
    frame_ = std::move(next);
    const int delay = reader_->nextImageDelay();
    timer_->start(delay < kShortestDelayMs ? kUnsetDelayMs : delay);
    emit frameChanged();
}

}  // namespace pinned_window
