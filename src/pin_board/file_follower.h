#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/pictures/picture.h"

class QFileSystemWatcher;
class QTimer;

namespace platform {
class ThumbnailCache;
}
namespace pinned_window {
class PinnedWindow;
}

namespace pin_board {

// Watches the files of the pins that follow them, and decodes each new version off the UI
// thread at the width its pin shows. One watcher serves every pin: a file's folder is watched
// as well as the file, since an editor that saves by writing a new file and renaming it over
// the old one leaves the file's own watch on a file that is gone. A version that cannot be read
// as a picture (deleted, half written, something else) is skipped; the next one is tried.
class FileFollower : public QObject {
    Q_OBJECT
public:
    // Pictures are loaded through `thumbnails` (may be null), which outlives the follower.
    explicit FileFollower(platform::ThumbnailCache* thumbnails, int settleMs = 20);
    ~FileFollower() override;
    FileFollower(const FileFollower&) = delete;
    FileFollower& operator=(const FileFollower&) = delete;

    // Starts following the file for the window; the picture on show is taken for the file's
    // current version unless it was decoded from an older one. Following again is harmless.
    void Follow(pinned_window::PinnedWindow* window, const platform::FilePath& path);
    // Stops following for the window; a decode under way for it is dropped.
    void Stop(pinned_window::PinnedWindow* window);

    // What identifies a version of a file: another inode, size or change time is another one.
    struct Version {
        qint64 device = 0, inode = 0, size = 0, mtimeNs = 0, ctimeNs = 0;
        bool operator==(const Version&) const = default;
    };

signals:
    // A new version of the followed file, decoded for the window.
    void pictureChanged(pinned_window::PinnedWindow* window, const platform::Picture& picture);

private:
    struct Follower;
    void Changed(const QString& path);
    void CheckPending();
    void Check(pinned_window::PinnedWindow* window, Follower& follower);
    void Loaded(pinned_window::PinnedWindow* window, quint64 generation, const Version& version,
                const platform::PictureLoad& load);
    void Rearm(const QString& file, const std::optional<Version>& version);
    void Watch(const QString& path);
    void Unwatch(const QString& path);

    platform::ThumbnailCache* thumbnails_;
    std::unique_ptr<QFileSystemWatcher> watcher_;
    std::unique_ptr<QTimer> settle_;
    QHash<const pinned_window::PinnedWindow*, std::shared_ptr<Follower>> followers_;
    QHash<QString, int> watchCounts_;     // followers of each watched file or folder
    QHash<QString, qint64> armedInodes_;  // the inode each file's watch is on
    QSet<pinned_window::PinnedWindow*> pending_;
    quint64 nextGeneration_ = 1;
};

}  // namespace pin_board
