#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/file_path.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/gui/picture.h"
#include "store/data_file.h"
#include "store/pin_settings.h"

class QObjectCleanupHandler;
class QTimer;

namespace platform {
class CompositorWatch;
class MountWatch;
class PictureDecodes;
class ThumbnailCache;
}  // namespace platform
namespace pinned_window {
class PinnedWindow;
}

namespace pin_board {

class FileFollower;

// A picture to pin and the pinned window's rectangle, in twips.
struct Placement {
    platform::FilePath path;
    platform::Picture picture;
    float left = 0, top = 0, width = 0, height = 0;
    // A picture pinned again after it was unpinned keeps what the user chose for it.
    store::PinSettings settings;
};

// A picture taken off the desktop, with the rectangles its pinned window and picture had, in
// twips, for the display window to take over.
struct Unpinned {
    platform::FilePath path;
    platform::Picture picture;
    float left = 0, top = 0, width = 0, height = 0;
    float pictureWidth = 0, pictureHeight = 0;
    store::PinSettings settings;
};

// What became of a listed pin.
enum class PinState {
    Restoring,  // read from the data file, to be put back as the start-up comes to it
    Shown,      // on the desktop
    Hidden,     // taken off the desktop for a while (HideAll); it comes back with ShowAll
    Waiting,    // its folder is missing, as a drive not mounted yet: shown once it appears
    Saved,      // in the data file of a program that is not running
};

// One listed pin, as ListPins tells it.
struct PinListing {
    PinState state;
    store::PictureEntry entry;
};

// One line a pin: its state, its geometry texts and its file's bytes, separated by tabs. A tab,
// newline, carriage return, NUL or backslash in the file is written as \t, \n, \r, \0 or \\.
QByteArray FormatListing(const QList<PinListing>& pins);
// The pins a data file holds, for when no program runs for it: waiting where the folder is
// missing, else saved.
QList<PinListing> ListSavedPins(const QByteArray& dataFile);

// The pinned pictures: every pinned window, and the list of them that the data file keeps, in
// the order they were pinned. Nothing else creates, lists or removes pins.
//
// A stored picture whose folder is missing at start (a disk, a share or a cloud folder that
// mounts after login) is not dropped: it waits, keeps its place in the list and in every save,
// and is pinned as the restore would have pinned it once its folder appears.
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
    // Every listed pin, waiting ones included; lines of the data file kept unread are no pins.
    int Count() const;
    // Whether no pin has a window: none on the desktop or hidden, whatever is waiting.
    bool IsEmpty() const;
    // The list as the data file keeps it, and the windows of the pins that have one, both in
    // list order.
    QList<store::PictureEntry> Entries() const;
    QList<pinned_window::PinnedWindow*> Windows() const;
    QList<PinListing> ListPins() const;
    QList<store::PictureEntry> WaitingPins() const;

    // The start-up: every record of the data file is pinned again where it was, or waits for
    // its folder, and the file is rewritten with the records kept. Lines that do not read as a
    // record are kept in their place in every save, and never pinned. Whether the browser should
    // stay out of sight: the file was read to its end and at least one picture came back.
    //
    // Every record is listed before the first is placed, and events other than the user's are
    // handled between pictures, so that a later start is answered during a long restore.
    bool Restore();
    // What the restore kept unread, for people: empty when every line read.
    const QString& UnreadNote() const { return unreadNote_; }
    // Pins every waiting picture whose folder has appeared, or drops it as the restore would
    // when its file is not a picture there; saves when anything changed.
    void LookForWaitingFolders();
    // Drops a waiting pin from the list, which is saved. False when it is not waiting.
    bool ForgetWaiting(const store::PictureEntry& entry);

    // Takes every pin off the desktop, or puts them all back; nothing is saved.
    void HideAll();
    void ShowAll();
    bool AllHidden() const { return allHidden_; }
    // Turns click-through off on every pin: the way back to pins that take clicks.
    void MakeAllSolid();
    // Every pin's settings, in list order, waiting ones included.
    QList<store::PinSettings> Settings() const;
    // Pins the picture at the placement, lists it and saves the list.
    void Pin(const Placement& placement);
    // Takes the window's picture off the desktop and out of the list, without saving, and hands
    // it on through `unpinned`. The window goes once the event that asked for it has been
    // handled.
    void Unpin(pinned_window::PinnedWindow* window);
    // The picture unpinned last is given up for good: the list is saved without it. Its `file`,
    // when pasted (see platform::DeletePastedIfUnnamed), goes too once no pin names it.
    void Delete(const platform::FilePath& file = {});

    // Rewrites the data file from the list, then, when that worked, the pins' settings beside
    // it; the listener hears every result of the data file.
    store::SaveResult Save();
    void SetSaveListener(SaveListener listener) { listener_ = std::move(listener); }
    // How long the wheel must be still after zooming a pin before the list is saved, so that a
    // burst of steps is one save: half a second unless a test chooses another.
    void SetZoomSaveDelay(int milliseconds);
    // How often the restore lets other events in: every 100 ms unless a test chooses another.
    void SetRestoreEventsEvery(int milliseconds) { restoreEventsEvery_ = milliseconds; }

signals:
    void unpinned(const pin_board::Unpinned& picture);
    // The waiting pins changed: one came, went, or was pinned.
    void waitingChanged();
    // A pin was deleted from its own menu.
    void deleted();

private:
    // What became of a listed entry that has no window.
    enum class Stage {
        Placed,     // it has its window
        Restoring,  // the restore has not come to it yet
        Waiting,    // for its folder
        Unread,     // lines kept as they were read: no pin
        Dropped,    // the restore could not place it: it goes from the list
    };

    struct PinnedPicture {
        store::PictureEntry entry;
        pinned_window::PinnedWindow* window = nullptr;  // null unless placed
        store::PinSettings settings;                    // the window's own while it has one
        store::Record waitingRecord;  // the record as read, while restoring or waiting
        // The file's stamp when it last failed to load while waiting.
        std::optional<platform::FileStamp> failedAt;
        Stage stage = Stage::Placed;
    };

    pinned_window::PinnedWindow* NewWindow();
    pinned_window::PinnedWindow* PlaceStored(store::Record& record,
                                             const store::PinSettings& settings,
                                             platform::PictureDecodes& decodes);
    void WatchWhileWaiting();
    PinnedPicture* PinOf(const pinned_window::PinnedWindow* window);
    // The window's rectangle as the data file writes it, for a pin the program moved or sized.
    static std::array<QString, 4> GeometryTextsOf(const pinned_window::PinnedWindow& window);
    void Remove(pinned_window::PinnedWindow* window);
    void ShowOriginalSize(pinned_window::PinnedWindow* window);
    void SaveSettings();
    store::PinsWithSettings PinsAndSettings() const;
    // Lets the events of later starts and of the window system in, at most every so often.
    void LetEventsIn();
    // Follows the window's file while its settings ask for it, and stops otherwise.
    void FollowIfAsked(pinned_window::PinnedWindow* window);
    // A followed file's new picture: shown at the pin's width, the height of its own shape.
    void ShowFollowedPicture(pinned_window::PinnedWindow* window, const platform::Picture& picture);
    void Zoomed(pinned_window::PinnedWindow* window);
    void SaveZoomed();
    void DeletePastedFile(const platform::FilePath& file) const;

    QString dataFile_;
    platform::ThumbnailCache* thumbnails_;
    std::vector<PinnedPicture> pins_;
    // What the settings file holds as far as this program wrote or read it.
    store::PinsWithSettings savedSettings_;
    QString unreadNote_;
    QElapsedTimer restoreEvents_;
    int restoreEventsEvery_ = 100;
    SaveListener listener_;
    bool allHidden_ = false;
    // Every window the board made and that still exists, unpinned ones on their way out
    // included: they go with the board.
    std::unique_ptr<QObjectCleanupHandler> windows_;
    std::unique_ptr<platform::MountWatch> mountWatch_;
    std::unique_ptr<platform::CompositorWatch> compositorWatch_;
    // Last, so that it goes first: no followed picture arrives for a window on its way out.
    std::unique_ptr<FileFollower> follower_;
    QTimer* zoomSave_ = nullptr;  // made on the first zoom
    QList<pinned_window::PinnedWindow*> zoomedSinceSave_;
    int zoomSaveDelay_ = 500;
};

}  // namespace pin_board
