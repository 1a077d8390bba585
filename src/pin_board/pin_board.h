#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/file_path.h"
#include "platform/picture.h"
#include "store/data_file.h"

class QObjectCleanupHandler;

namespace platform {
class PictureDecodes;
class ThumbnailCache;
}  // namespace platform
namespace pinned_window {
class PinnedWindow;
}

namespace pin_board {

// A picture to pin and the pinned window's rectangle, in twips.
struct Placement {
    platform::FilePath path;
    platform::Picture picture;
    float left = 0, top = 0, width = 0, height = 0;
};

// A picture taken off the desktop, with the rectangles its pinned window and picture had, in
// twips, for the display window to take over.
struct Unpinned {
    platform::FilePath path;
    platform::Picture picture;
    float left = 0, top = 0, width = 0, height = 0;
    float pictureWidth = 0, pictureHeight = 0;
};

// The pinned pictures: every pinned window, and the list of them that the data file keeps, in
// the order they were pinned. Nothing else creates, lists or removes pins.
class PinBoard : public QObject {
    Q_OBJECT
public:
    using SaveListener = std::function<void(const QString& dataFile, const store::SaveResult&)>;

    // Pictures are loaded through `thumbnails` (may be null), which outlives the board.
    PinBoard(QString dataFile, platform::ThumbnailCache* thumbnails);
    ~PinBoard() override;
    PinBoard(const PinBoard&) = delete;
    PinBoard& operator=(const PinBoard&) = delete;

    const QString& DataFile() const { return dataFile_; }
    int Count() const { return int(pins_.size()); }
    bool IsEmpty() const { return pins_.empty(); }
    // The list as the data file keeps it, and the windows, both in list order.
    QList<store::PictureEntry> Entries() const;
    QList<pinned_window::PinnedWindow*> Windows() const;

    // The start-up: every record of the data file is pinned again where it was, and the file is
    // rewritten with the records that came back. Whether the browser should stay out of sight:
    // the file was read to its end and at least one picture came back.
    bool Restore();
    // Pins the picture at the placement, lists it and saves the list.
    void Pin(const Placement& placement);
    // Takes the window's picture off the desktop and out of the list, without saving, and hands
    // it on through `unpinned`. The window goes once the event that asked for it has been
    // handled.
    void Unpin(pinned_window::PinnedWindow* window);
    // The picture unpinned last is given up for good: the list is saved without it.
    void Delete();

    // Rewrites the data file from the list; the listener hears every result.
    store::SaveResult Save() const;
    void SetSaveListener(SaveListener listener) { listener_ = std::move(listener); }

signals:
    void unpinned(const pin_board::Unpinned& picture);

private:
    struct PinnedPicture {
        store::PictureEntry entry;
        pinned_window::PinnedWindow* window;
    };

    pinned_window::PinnedWindow* NewWindow();
    bool PlaceStored(store::Record& record, platform::PictureDecodes& decodes);

    QString dataFile_;
    platform::ThumbnailCache* thumbnails_;
    std::vector<PinnedPicture> pins_;
    SaveListener listener_;
    // Every window the board made and that still exists, unpinned ones on their way out
    // included: they go with the board.
    std::unique_ptr<QObjectCleanupHandler> windows_;
};

}  // namespace pin_board
