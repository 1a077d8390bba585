#include "pin_board/file_follower.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>

#include "pinned_window/pinned_window.h"
#include "platform/core/thumbnail_rules.h"

namespace pin_board {

namespace {

using Version = FileFollower::Version;

// The seconds of the thumbnail stamp cannot tell two saves within one second apart; the
// nanoseconds, the inode and the change time can, a rename over the file included.
std::optional<Version> VersionOf(const platform::FilePath& path) {
    struct stat status {};
    if (::stat(path.Bytes().constData(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return Version{qint64(status.st_dev), qint64(status.st_ino), qint64(status.st_size),
                   ns(status.st_mtim), ns(status.st_ctim)};
}

// On a worker thread: the new version decoded at the pin's width and the height its own shape
// gives. A save mostly keeps the picture's shape, so the pin's own shape is tried first; only a
// picture of another shape is decoded a second time.
platform::PictureLoad LoadAtWidth(const platform::FilePath& path, QSize shown,
                                  platform::ThumbnailCache* thumbnails) {
    platform::PictureLoad load = platform::LoadPicture(path, shown, thumbnails);
    if (!load) return load;
    const QSize natural = load.picture->NaturalSize();
    const int height =
        std::max(1, qRound(double(shown.width()) * natural.height() / natural.width()));
    if (std::abs(height - shown.height()) <= 1) return load;
    return platform::LoadPicture(path, QSize(shown.width(), height), thumbnails);
}

}  // namespace

struct FileFollower::Follower {
    platform::FilePath path;
    QString file, folder;  // as the watcher names them
    std::optional<Version> shown, failed;
    quint64 generation = 0;
    bool loading = false;
    bool again = false;  // the file changed while it was being decoded
};

FileFollower::FileFollower(platform::ThumbnailCache* thumbnails, int settleMs)
    : thumbnails_(thumbnails),
      watcher_(std::make_unique<QFileSystemWatcher>()),
      settle_(std::make_unique<QTimer>()) {
    // A save arrives as a burst of signals: one check a little after the first.
    settle_->setSingleShot(true);
    settle_->setInterval(settleMs);
    connect(settle_.get(), &QTimer::timeout, this, &FileFollower::CheckPending);
    connect(watcher_.get(), &QFileSystemWatcher::fileChanged, this, &FileFollower::Changed);
    connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, this, &FileFollower::Changed);
}

FileFollower::~FileFollower() {
    // The decodes still running use the thumbnail cache, which the caller may drop next.
    for (QFutureWatcherBase* running : findChildren<QFutureWatcherBase*>()) {
        running->disconnect(this);
        running->waitForFinished();
    }
}

void FileFollower::Follow(pinned_window::PinnedWindow* window, const platform::FilePath& path) {
    if (const auto known = followers_.constFind(window); known != followers_.cend()) {
        if ((*known)->path == path) return;
        Stop(window);
    }
    auto follower = std::make_shared<Follower>();
    follower->path = path;
    follower->file = QFile::decodeName(path.Bytes());
    follower->folder = QFile::decodeName(path.Folder().Bytes());
    follower->generation = nextGeneration_++;
    // The picture on show stands for the file as it is now only when it was decoded from it.
    const platform::Picture& picture = window->Picture();
    const std::optional<Version> now = VersionOf(path);
    const bool current =
        picture && picture->Origin() && platform::StampOf(path) == picture->Origin()->stamp;
    if (current) follower->shown = now;
    followers_.insert(window, follower);
    Watch(follower->folder);
    Watch(follower->file);
    Rearm(follower->file, now);
    if (!current) Changed(follower->file);
}

void FileFollower::Stop(pinned_window::PinnedWindow* window) {
    const std::shared_ptr<Follower> follower = followers_.take(window);
    if (!follower) return;
    pending_.remove(window);
    Unwatch(follower->file);
    Unwatch(follower->folder);
}

void FileFollower::Changed(const QString& path) {
    for (auto it = followers_.cbegin(); it != followers_.cend(); ++it) {
        if ((*it)->file == path || (*it)->folder == path) {
            pending_.insert(const_cast<pinned_window::PinnedWindow*>(it.key()));
        }
    }
    if (!pending_.isEmpty() && !settle_->isActive()) settle_->start();
}

void FileFollower::CheckPending() {
    const QSet<pinned_window::PinnedWindow*> pending = std::exchange(pending_, {});
    for (pinned_window::PinnedWindow* window : pending) {
        if (const std::shared_ptr<Follower> follower = followers_.value(window)) {
            Check(window, *follower);
        }
    }
}

void FileFollower::Check(pinned_window::PinnedWindow* window, Follower& follower) {
    if (follower.loading) {
        follower.again = true;
        return;
    }
    const std::optional<Version> version = VersionOf(follower.path);
    Rearm(follower.file, version);
    // Gone: the last pixels stay on show until a picture is there again.
    if (!version || version == follower.shown || version == follower.failed) return;
    follower.loading = true;
    auto* running = new QFutureWatcher<platform::PictureLoad>(this);
    const quint64 generation = follower.generation;
    connect(running, &QFutureWatcherBase::finished, this,
            [this, running, window, generation, loaded = *version] {
                running->deleteLater();
                Loaded(window, generation, loaded, running->result());
            });
    running->setFuture(
        QtConcurrent::run(LoadAtWidth, follower.path, window->DecodeTarget(), thumbnails_));
}

void FileFollower::Loaded(pinned_window::PinnedWindow* window, quint64 generation,
                          const Version& version, const platform::PictureLoad& load) {
    const std::shared_ptr<Follower> follower = followers_.value(window);
    // Stopped, or followed anew, while the decode ran.
    if (!follower || follower->generation != generation) return;
    follower->loading = false;
    (load ? follower->shown : follower->failed) = version;
    if (std::exchange(follower->again, false) || VersionOf(follower->path) != version) {
        Changed(follower->file);
    }
    if (load) emit pictureChanged(window, load.picture);
}

void FileFollower::Rearm(const QString& file, const std::optional<Version>& version) {
    // The watch holds the inode: a file renamed over the old one is a new watch. The watcher
    // refuses a path it still lists, so the old watch is dropped first.
    const auto armed = armedInodes_.constFind(file);
    // A file deleted and made again may get the same inode, on a watch the watcher dropped.
    if (version && armed != armedInodes_.cend() && *armed == version->inode &&
        watcher_->files().contains(file)) {
        return;
    }
    if (armed != armedInodes_.cend()) {
        watcher_->removePath(file);
        armedInodes_.erase(armed);
    }
    if (version && watcher_->addPath(file)) armedInodes_.insert(file, version->inode);
}

void FileFollower::Watch(const QString& path) {
    // A file's own watch is armed by Rearm, once it exists.
    if (watchCounts_[path]++ == 0 && QFileInfo(path).isDir()) watcher_->addPath(path);
}

void FileFollower::Unwatch(const QString& path) {
    const auto count = watchCounts_.find(path);
    if (count == watchCounts_.end() || --*count > 0) return;
    watchCounts_.erase(count);
    watcher_->removePath(path);
    armedInodes_.remove(path);
}

}  // namespace pin_board
