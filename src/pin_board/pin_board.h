#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "pin_list/pin_list.h"
#include "platform/core/file_path.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/pictures/pasted_picture.h"
#include "platform/pictures/picture.h"
#include "store/data_file.h"
#include "store/pin_settings.h"

class QImage;
class QObjectCleanupHandler;
class QTemporaryDir;
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
    platform::TwipsRect rect;
};

// A picture taken off the desktop, with the rectangles its pinned window and picture had, in
// twips, for the display window to take over.
struct Unpinned {
    platform::FilePath path;
    platform::Picture picture;
    platform::TwipsRect window;
    float pictureWidth = 0, pictureHeight = 0;
};

using pin_list::PinListing;
using pin_list::PinState;

// The pinned windows over the pin list: one window for each pin placed, following its pin as the
// list changes (place, settings, shown or hidden, gone), and the menu's commands of each. Nothing
// else creates or removes pinned windows.
//
// A stored picture whose folder is missing at start (a disk, a share or a cloud folder that
// mounts after login) is not dropped: it waits, keeps its place in the list and in every save,
// and is pinned as the restore would have pinned it once its folder appears.
class PinBoard : public QObject {
    Q_OBJECT
public:
    using SaveListener = std::function<void(const QString& dataFile, const store::SaveResult&)>;

    // Pictures are loaded through `thumbnails` (may be null), which outlives the board.
    PinBoard(const QString& dataFile, platform::ThumbnailCache* thumbnails);
    ~PinBoard() override;
    PinBoard(const PinBoard&) = delete;
    PinBoard& operator=(const PinBoard&) = delete;

    // The list the windows follow; views of the pins read it, commands that need no window
    // change it.
    pin_list::PinList& List() { return *list_; }
    const pin_list::PinList& List() const { return *list_; }
    const QString& DataFile() const { return list_->DataFile(); }
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
    const QString& UnreadNote() const { return list_->UnreadNote(); }
    // The settings a picture pinned from now on starts with (the preferences' keep-above and
    // opacity); a picture unpinned and pinned again keeps its own.
    void SetNewPinSettings(const store::PinSettings& settings) { newPinSettings_ = settings; }
    // Pins every waiting picture whose folder has appeared, or drops it as the restore would
    // when its file is not a picture there; saves when anything changed.
    void LookForWaitingFolders();
    // Drops a waiting pin from the list, which is saved. False when it is not waiting.
    bool ForgetWaiting(const store::PictureEntry& entry);

    // Takes every pin off the desktop, or puts them all back; nothing is saved.
    void HideAll();
    void ShowAll();
    bool AllHidden() const { return list_->AllHidden(); }
    // Turns click-through off on every pin: the way back to pins that take clicks.
    void MakeAllSolid();
    // Every pin's settings, in list order, waiting ones included.
    QList<store::PinSettings> Settings() const;
    // Pins the picture at the placement, lists it and saves the list. The picture unpinned last,
    // pinned again, keeps what the user chose for it. A file WritePasted is still writing is
    // waited for; one it could not write is no pin.
    void Pin(const Placement& placement);
    // Writes a picture the program drew into "pasted" as a new PNG file, encoded by `encode`,
    // behind the caller's back (see platform::PngWrites::Start): the file is named at once, for
    // the picture to be shown meanwhile, and `ended` hears how the write went. Pinning the file
    // and deleting it wait for the write.
    platform::Pasted WritePasted(const QImage& pixels, platform::PngWrites::Encoder encode,
                                 platform::PngWrites::Ended ended);
    // Waits for every write WritePasted started: before the program ends.
    void WaitForWrites() { writes_->WaitForAll(); }
    // Whether `path` is the picture unpinned last, neither pinned again nor removed: the one the
    // display window shows.
    bool IsUnpinned(const platform::FilePath& path) const {
        return unpinned_ && unpinned_->entry.path == path;
    }
    // What pins the picture on show before another comes to take its place (the display window's
    // own pinning): a pin unpinned then finds the display window free.
    void SetPinShownPicture(std::function<void()> pin) { pinShownPicture_ = std::move(pin); }
    // Takes the window's picture off the desktop and out of the list, without saving, and hands
    // it on through `unpinned`. The window goes once the event that asked for it has been
    // handled.
    void Unpin(pinned_window::PinnedWindow* window);
    // The picture unpinned last is removed: the list is saved without it, and it goes into the
    // recently removed list with its place, size, settings and board (its file too, when
    // pasted or captured). A `file` shown without having been pinned, when pasted or captured (see
    // platform::DeleteOwnPictureIfUnnamed), is deleted once no pin names it and it is written.
    void Delete(const platform::FilePath& file = {});
    // The picture unpinned last goes into the recently removed list, as Delete does.
    void DiscardUnpinned();
    // Puts the removed pin back where it was (see PinList::RestoreRemoved); why not, for people,
    // when it cannot come.
    std::optional<QString> RestoreRemoved(int index);

    // Commands on one pin, for views of the list. Raising also outlines the pin for a moment so
    // that the eye finds it; deleting is the pin menu's "削除".
    void Raise(pin_list::PinId id);
    void Unpin(pin_list::PinId id);
    void DeletePin(pin_list::PinId id);

    // Rewrites the data file from the list, then, when that worked, the pins' settings beside
    // it; the listener hears every result of the data file.
    store::SaveResult Save();
    void SetSaveListener(SaveListener listener) { list_->SetSaveListener(std::move(listener)); }
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
    pinned_window::PinnedWindow* NewWindow();
    // Places the pin's window: the restore's and the waiting pins' Placer.
    bool PlaceStored(pin_list::Pin& pin, platform::PictureDecodes& decodes);
    pin_list::PinId IdOf(const pinned_window::PinnedWindow* window) const;
    pinned_window::PinnedWindow* WindowOf(pin_list::PinId id) const;
    // Makes the pin's window follow what changed in the list.
    void Follow(pin_list::PinId id);
    void DropWindow(pin_list::PinId id);
    void WatchWhileWaiting();
    void ShowOriginalSize(pinned_window::PinnedWindow* window);
    // Lets the events of later starts and of the window system in, at most every so often.
    void LetEventsIn();
    // Follows the window's file while its settings ask for it, and stops otherwise.
    void FollowIfAsked(pin_list::PinId id);
    // A followed file's new picture: shown at the pin's width, the height of its own shape.
    void ShowFollowedPicture(pinned_window::PinnedWindow* window, const platform::Picture& picture);
    void Zoomed(pinned_window::PinnedWindow* window);
    void SaveZoomed();
    void DeletePastedFile(const platform::FilePath& file) const;
    // The picture as it leaves the pin (a copy, a saved file, a drag): the whole picture, with
    // its marks when they are shown.
    std::optional<QImage> PictureLeaving(const pinned_window::PinnedWindow* window) const;
    void SaveAs(pinned_window::PinnedWindow* window);
    // Turns, mirrors, crops or resets the window's picture: one step of the pin's history, which
    // its marks share, so that undo takes back the last of either.
    void Transform(pinned_window::PinnedWindow* window, const platform::PictureTransform& after);
    // What the step does, and undoing it: the transform of the pin with these marks, and its
    // rectangle, from one to the other.
    void Retransform(const QString& marksKey, const platform::PictureTransform& from,
                     const platform::PictureTransform& to, QSize upright);
    void DragOut(pinned_window::PinnedWindow* window);

    std::unique_ptr<pin_list::PinList> list_;
    platform::ThumbnailCache* thumbnails_;
    std::unique_ptr<platform::PngWrites> writes_;
    QHash<pin_list::PinId, pinned_window::PinnedWindow*> windows_;
    QElapsedTimer restoreEvents_;
    int restoreEventsEvery_ = 100;
    // Every window the board made and that still exists, unpinned ones on their way out
    // included: they go with the board.
    std::unique_ptr<QObjectCleanupHandler> made_;
    std::unique_ptr<platform::MountWatch> mountWatch_;
    std::unique_ptr<platform::CompositorWatch> compositorWatch_;
    // Last, so that it goes first: no followed picture arrives for a window on its way out.
    std::unique_ptr<FileFollower> follower_;
    // The pin unpinned last, until it is pinned again or removed; the list keeps its record in
    // every save meanwhile.
    std::optional<pin_list::Pin> unpinned_;
    QTimer* zoomSave_ = nullptr;  // made on the first zoom
    QList<pinned_window::PinnedWindow*> zoomedSinceSave_;
    int zoomSaveDelay_ = 500;
    std::function<void()> pinShownPicture_;
    // The files pictures are dragged out as, gone with the program.
    std::unique_ptr<QTemporaryDir> dragFolder_;
    int drags_ = 0;
    store::PinSettings newPinSettings_;
};

}  // namespace pin_board
