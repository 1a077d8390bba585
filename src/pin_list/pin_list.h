#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "marks/marks_store.h"
#include "platform/core/file_path.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/core/twips.h"
#include "platform/core/whole_file.h"
#include "store/boards.h"
#include "store/data_file.h"
#include "store/data_folder.h"
#include "store/pin_settings.h"
#include "store/removed_pins.h"

// The pinned pictures as data: what the data file and the settings file beside it hold, and
// what became of each pin since. No windows: the pinned windows follow this list, and any view
// that lists pins reads it.
namespace pin_list {

// Lives as long as its pin, wherever it moves and whatever its size. Never 0.
using PinId = quint64;

// A pin's window rectangle, in twips.
using Geometry = platform::TwipsRect;

// What became of a listed pin.
enum class PinState {
    Restoring,  // read from the data file, to be put back as the start-up comes to it
    Shown,      // on the desktop
    Hidden,     // taken off the desktop: for a while (HideAll), or with its board
    Waiting,    // its folder is missing, as a drive not mounted yet: shown once it appears
    Saved,      // in the data file of a program that is not running
    Removed,    // in the recently removed list, to be put back (listings only)
};

struct Pin {
    PinId id = 0;
    // The path and the four geometry texts exactly as read or as last written, so that a record
    // nobody touched is written back byte for byte.
    store::PictureEntry entry;
    Geometry geometry;
    store::PinSettings settings;
    PinState state = PinState::Restoring;
};

// One listed pin, as a listing tells it.
struct PinListing {
    PinState state;
    store::PictureEntry entry;
    QString board = QString();
};

// What the data folder holds, read as a start reads it.
struct Stored {
    platform::WholeFile dataFile;  // the data file's bytes, or why there are none
    store::DataFileContents contents;
    QList<store::PictureEntry> records;  // one for each record of `contents`
    QList<store::PinSettings> settings;  // the settings of each record
    store::BoardList boards;
    // Absolute paths, without an entry that names a record the data file holds too (a kill
    // between the two writes of a removal leaves one): the data file is what is pinned.
    QList<store::RemovedPin> removed;
    QList<store::RemovedPin> alsoPinned;  // the entries left out for that
};
// The one reading of the data folder, for the start-up and for a listing with no program running.
Stored LoadStored(const store::DataFolder& folder);

// Every pin, in the order they were pinned, with the lines of the data file that do not read as
// a record kept in their place. The one reader and writer of the data file and of the settings
// file beside it.
//
// The save rule: pinning, deleting and forgetting save the list; unpinning does not, so that a
// picture moved between unpin and pin again is saved once, when it is pinned again. Geometry
// changes are saved when the caller says (Save): a zoom waits for the wheel to rest.
// Settings are saved into their own file at once.
//
// Boards: every pin belongs to one (its settings name it). A pin of a hidden board is hidden,
// and stays hidden across starts; the board shown last takes new pins.
//
// Unpinning: a pin unpinned leaves the rows and its window goes, but its record stays in every
// save, as it was last pinned, until it is pinned again (it is then listed anew) or removed. So
// the data file always names what the user can get back, whatever happens meanwhile.
//
// Removing: a pin removed goes into the recently removed list with everything it had, and can be
// put back (RestoreRemoved). The removed list is saved before the data file when a pin leaves,
// and after it when one comes back, so that a kill at any moment leaves every pin in one of the
// two files; when the removed list cannot be saved the pin stays where it was. A pasted or
// captured picture's file gets a second name in "removed" before either file is written, and
// loses the old one only after both are. A folder of the data folder that is a symbolic link is
// the user's: nothing in it is moved or deleted.
//
// Every save's result, failed or not, goes to the save listener with the file it was for.
//
// Rows: pins are numbered in list order from 0; unread lines have no row.
class PinList : public QObject {
    Q_OBJECT
public:
    using SaveListener = std::function<void(const QString& dataFile, const store::SaveResult&)>;
    // Puts a pin on the screen at its geometry with its settings; false when it cannot be
    // shown there (why is told on standard error). It may shorten the pin's path as
    // store::FileExists does.
    using Placer = std::function<bool(Pin& pin)>;

    explicit PinList(const QString& dataFile);
    ~PinList() override;
    PinList(const PinList&) = delete;
    PinList& operator=(const PinList&) = delete;

    const QString& DataFile() const { return folder_.DataFile(); }
    const store::DataFolder& Folder() const { return folder_; }
    int Count() const { return int(rows_.size()); }
    const Pin& At(int row) const { return items_[rows_[size_t(row)]].pin; }
    // The pin's row, or -1 when it is not listed.
    int RowOf(PinId id) const;
    const Pin* Find(PinId id) const;
    // The list as the data file keeps it, unread lines included, in file order.
    QList<store::PictureEntry> Entries() const;
    QList<PinListing> Listing() const;
    QList<store::PinSettings> Settings() const;
    // The pins in `state`, in list order.
    QList<PinId> IdsIn(PinState state) const;
    bool AnyWaiting() const;
    // Whether some pin is on the desktop or hidden from it, whatever is waiting.
    bool AnyPlaced() const;

    // The start-up. Reads the data file and the settings beside it, and lists every record as
    // restoring: false, with a warning, when the file can be neither read nor created. Lines
    // that do not read as a record are kept unread (UnreadNote says which).
    bool Load();
    const QString& UnreadNote() const { return unreadNote_; }
    // Whether the reading stopped at a record with an empty path: the rest is kept unread.
    bool StoppedAtEmptyPath() const { return stoppedAtEmptyPath_; }
    // Places every restoring pin in list order: it waits when its folder is missing, and goes
    // from the list when `place` refuses it. `between` runs after each pin placed. Then saves:
    // the file keeps exactly the pins that came back or wait, and the unread lines. Whether any
    // pin was placed.
    bool PlaceRestoring(const Placer& place, const std::function<void()>& between = {});
    // Places every waiting pin whose folder has appeared and whose file changed since it last
    // failed; saves when one was placed. Whether one was.
    bool PlaceWaiting(const Placer& place);

    // Lists a new pin before the unread lines that end the reading, and saves.
    PinId Add(const platform::FilePath& path, const Geometry& geometry,
              const store::PinSettings& settings, PinState state = PinState::Shown);
    // Takes a pin out of the rows without saving (unpinning): its record stays in every save
    // until it is pinned again (Forget, then Add) or removed (Remove with its id).
    std::optional<Pin> Unpin(PinId id);
    // Drops an unpinned pin's record without saving: it is about to be listed anew.
    void Forget(PinId unpinned);
    // Takes a pin, listed or unpinned, into the recently removed list, and saves both (deleting,
    // forgetting a waiting one). When the removed list cannot be saved the pin stays.
    store::SaveResult Remove(PinId id);
    // The recently removed pins, oldest first.
    const QList<store::RemovedPin>& RemovedPins() const { return removed_; }
    // Puts the removed pin back as it was, placed as the start-up places a pin (waiting when its
    // folder is missing), and saves. Its id, or why it stays in the removed list.
    struct Restored {
        std::optional<PinId> id;
        QString failure;  // for people, when there is no id
    };
    Restored RestoreRemoved(int index, const Placer& place);
    // What "now" is for the removed pins' age; the clock unless a test chooses another.
    void SetClock(std::function<QDateTime()> now) { clock_ = std::move(now); }
    // The pin's geometry, and its texts made from it; not saved until Save.
    void SetGeometry(PinId id, const Geometry& geometry);
    // Changes one pin's settings, saved into the settings file: what the change leaves of its
    // board (a view's copy may be older than the list's) stays the list's.
    void ChangeSettings(PinId id, const std::function<void(store::PinSettings&)>& change);
    // The pin's settings, saved into the settings file.
    void SetSettings(PinId id, const store::PinSettings& settings);
    // Changes every pin's settings, waiting ones included, and saves them once.
    void ChangeAllSettings(const std::function<void(store::PinSettings&)>& change);
    // Hides every placed pin, or shows them again; nothing is saved. A pin placed meanwhile
    // follows: hidden while AllHidden.
    void HideAll();
    void ShowAll();
    bool AllHidden() const { return allHidden_; }
    // Shows or hides one placed pin; nothing is saved. False when it is not placed.
    bool SetShown(PinId id, bool shown);

    // The boards, in the user's order, with which are hidden and which takes new pins. Each
    // change is saved at once; what went wrong, if anything, for people.
    const store::BoardList& Boards() const { return boards_; }
    bool BoardHidden(const QString& board) const { return hiddenBoards_.contains(board); }
    std::optional<QString> MakeBoard(const QString& name);
    // The first board keeps its name and cannot be deleted; a deleted board's pins go to it.
    std::optional<QString> RenameBoard(const QString& board, const QString& name);
    std::optional<QString> DeleteBoard(const QString& board);
    // Moves the pins into the board (listed when new), hidden or shown as it is; saved once.
    void MoveToBoard(const QList<PinId>& ids, const QString& board);
    // Hides or shows every pin of the board, now and at the next start. A board shown takes new
    // pins.
    std::optional<QString> SetBoardHidden(const QString& board, bool hidden);

    // Every pin's marks, saved by their own rule (see marks::MarksStore).
    marks::MarksStore& Marks() { return marks_; }
    // The pin's marks, read on first use; null when it has none yet.
    marks::MarkSet* MarksOf(PinId id);
    // The same, given a key first when it has none (its settings are saved then): a pin about
    // to be marked. Null when the pin is not listed.
    marks::MarkSet* MarksToEdit(PinId id);

    // Rewrites the data file from the list, then, when that worked, the settings beside it.
    store::SaveResult Save();
    void SetSaveListener(SaveListener listener) { listener_ = std::move(listener); }

signals:
    void aboutToAdd(int row);
    void added(pin_list::PinId id, int row);
    void aboutToRemove(pin_list::PinId id, int row);
    void removed(pin_list::PinId id, int row);
    // Its geometry, settings, state or path.
    void changed(pin_list::PinId id, int row);
    // Load replaces the whole list.
    void aboutToReset();
    void reset();
    void waitingChanged();
    void boardsChanged();
    void removedPinsChanged();

private:
    struct Item {
        Pin pin;                                      // id 0 for unread lines
        std::optional<platform::FileStamp> failedAt;  // when it last failed to load while waiting
        bool unpinned = false;                        // saved, but in no row
    };

    std::vector<Item>::iterator ItemOf(PinId id);
    std::vector<Item>::iterator UnpinnedItem(PinId id);
    store::SaveResult MoveToRemoved(std::vector<Item>::iterator item);
    void Report(const QString& file, const store::SaveResult& result) const;
    // Keeps the look-ups of boards_ in step with it.
    void IndexBoards();
    void Renumber();
    void SetState(Item& item, PinState state);
    bool PlaceItem(Item& item, const Placer& place);
    void DropWhere(const std::function<bool(const Item&)>& drop);
    void SaveSettings();
    store::PinsWithSettings PinsAndSettings() const;
    PinId Insert(const Pin& pin);
    // Shown or hidden, as HideAll and the pin's board say.
    PinState PlacedState(const Pin& pin) const;
    void FollowBoards();
    // Applies a rule of the boards; when it holds, saves the boards and makes the pins follow.
    std::optional<QString> ChangeBoards(
        const std::function<std::optional<QString>(store::BoardList&)>& change);
    void AddBoardOf(store::PinSettings& settings);
    // The board that takes a new pin: the one shown last, or another that is shown.
    QString TakingBoard();
    store::SaveResult SaveBoards();
    store::SaveResult SaveRemoved();
    bool NamedAsRemoved(const platform::FilePath& file) const;
    // Whether a pin, listed, unpinned or removed, has these marks.
    bool NamesMarks(const QString& key) const;
    void ExpireRemoved();
    // Removes the files in "removed" of entries no longer listed.
    void ForgetKeptFiles(const QList<store::RemovedPin>& gone);

    store::DataFolder folder_;
    std::vector<Item> items_;
    std::vector<size_t> rows_;   // the index in items_ of each row
    QHash<PinId, int> rowOfId_;  // each listed pin's row, made again with rows_
    PinId lastId_ = 0;
    store::PinsWithSettings savedSettings_;  // what the settings file holds as far as we know
    QString unreadNote_;
    bool stoppedAtEmptyPath_ = false;
    bool allHidden_ = false;
    SaveListener listener_;
    store::BoardList boards_;
    QSet<QString> boardNames_;
    QSet<QString> hiddenBoards_;
    bool loading_ = false;  // boards named by pins alone are saved once, at the end of Load
    QList<store::RemovedPin> removed_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTimeUtc(); };
    marks::MarksStore marks_;
};

// The geometry texts of a pin's rectangle, as the data file writes them.
std::array<QString, 4> GeometryTexts(const Geometry& geometry);
// The geometry an entry's texts say, read as the data file reads them.
Geometry GeometryOf(const store::PictureEntry& entry);
// The board a pin belongs to: pins written before there were boards belong to the first.
QString BoardOf(const store::PinSettings& settings);
// A board's name as people read it: the first board's name is in the language in use.
QString BoardTitle(const QString& board);

}  // namespace pin_list
