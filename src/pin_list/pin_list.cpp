#include "pin_list/pin_list.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

#include "pin_list/kept_files.h"
#include "platform/core/own_pictures.h"
#include "platform/core/whole_file.h"

namespace pin_list {

namespace {

Geometry GeometryOf(const store::Record& record) {
    return {float(record.left), float(record.top), float(record.width), float(record.height)};
}

}  // namespace

Geometry GeometryOf(const store::PictureEntry& entry) {
    const QList<store::Record> records = store::ReadDataFile(store::FormatRecords({entry})).records;
    return records.isEmpty() ? Geometry() : GeometryOf(records.first());
}

QString BoardOf(const store::PinSettings& settings) {
    // A blank name (a hand edit) is no board: the window refuses one too.
    return settings.board.trimmed().isEmpty() ? store::kFirstBoard : settings.board;
}

QString BoardTitle(const QString& board) {
    return board == store::kFirstBoard
               ? QCoreApplication::translate("pin_list::PinList", "既定", "the first board")
               : board;
}

std::array<QString, 4> GeometryTexts(const Geometry& geometry) {
    return store::GeometryTexts(geometry.left, geometry.top, geometry.width, geometry.height);
}

Stored LoadStored(const store::DataFolder& folder) {
    Stored stored;
    stored.dataFile = platform::ReadFile(platform::FilePath::FromText(folder.DataFile()));
    stored.contents = store::ReadDataFile(stored.dataFile.bytes.value_or(QByteArray()));
    QSet<QByteArray> pinned;
    for (const store::Record& record : stored.contents.records) {
        stored.records.append(store::EntryOf(record));
        pinned.insert(
            store::RecordKey(stored.records.last().path.Bytes(), stored.records.last().geometry));
    }
    stored.settings = store::LoadPinSettings(folder.PinSettingsFile(), stored.records);
    stored.boards = store::LoadBoards(folder.BoardsFile());
    for (store::RemovedPin pin : store::LoadRemovedPins(folder.RemovedPinsFile())) {
        // Written relative by an older run: relative to the data folder.
        pin.entry.path = folder.Resolved(pin.entry.path);
        pin.movedFrom = folder.Resolved(pin.movedFrom);
        // One pin when it has the same geometry texts and the path it was pinned by (for a file
        // moved into "removed", the one it had before).
        const platform::FilePath& was = pin.movedFrom.IsEmpty() ? pin.entry.path : pin.movedFrom;
        if (pinned.contains(store::RecordKey(was.Bytes(), pin.entry.geometry))) {
            stored.alsoPinned.append(pin);
            continue;
        }
        stored.removed.append(pin);
    }
    return stored;
}

PinList::PinList(const QString& dataFile) : folder_(dataFile), marks_(folder_.MarksFolder()) {
    IndexBoards();
}

PinList::~PinList() = default;

int PinList::RowOf(PinId id) const {
    return rowOfId_.value(id, -1);
}

const Pin* PinList::Find(PinId id) const {
    const int row = RowOf(id);
    return row < 0 ? nullptr : &At(row);
}

std::vector<PinList::Item>::iterator PinList::ItemOf(PinId id) {
    const int row = RowOf(id);
    return row < 0 ? items_.end() : items_.begin() + qsizetype(rows_[size_t(row)]);
}

void PinList::Renumber() {
    rows_.clear();
    rowOfId_.clear();
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].pin.entry.IsUnread() || items_[i].unpinned) continue;
        rowOfId_.insert(items_[i].pin.id, int(rows_.size()));
        rows_.push_back(i);
    }
}

QList<PinId> PinList::IdsIn(PinState state) const {
    QList<PinId> ids;
    for (const size_t i : rows_) {
        if (items_[i].pin.state == state) ids.append(items_[i].pin.id);
    }
    return ids;
}

QList<store::PictureEntry> PinList::Entries() const {
    QList<store::PictureEntry> entries;
    entries.reserve(qsizetype(items_.size()));
    for (const Item& item : items_) entries.append(item.pin.entry);
    return entries;
}

QList<PinListing> PinList::Listing() const {
    QList<PinListing> listing;
    for (const size_t i : rows_) {
        const Pin& pin = items_[i].pin;
        listing.append({pin.state, pin.entry, pin.settings.board});
    }
    for (const store::RemovedPin& pin : removed_) {
        listing.append({PinState::Removed, pin.entry, BoardOf(pin.settings)});
    }
    return listing;
}

QList<store::PinSettings> PinList::Settings() const {
    QList<store::PinSettings> settings;
    for (const size_t i : rows_) settings.append(items_[i].pin.settings);
    return settings;
}

bool PinList::AnyWaiting() const {
    return std::any_of(rows_.cbegin(), rows_.cend(),
                       [this](size_t i) { return items_[i].pin.state == PinState::Waiting; });
}

bool PinList::AnyPlaced() const {
    return std::any_of(rows_.cbegin(), rows_.cend(), [this](size_t i) {
        const PinState state = items_[i].pin.state;
        return state == PinState::Shown || state == PinState::Hidden;
    });
}

bool PinList::Load() {
    const QString& dataFile = folder_.DataFile();
    platform::FilePath file = platform::FilePath::FromText(dataFile);
    if (!store::FileExists(file)) platform::CreateIfMissing(dataFile);
    Stored stored = LoadStored(folder_);
    if (!stored.dataFile.bytes) {
        // Neither readable nor creatable: start with no pictures, and do not write a file
        // that could replace one we merely failed to read.
        qWarning("vellora: %s: %s; no pictures are restored", qPrintable(dataFile),
                 qPrintable(platform::DescribeReadError(stored.dataFile.error)));
        return false;
    }
    const store::DataFileContents& contents = stored.contents;
    const QList<store::PinSettings>& settings = stored.settings;
    if (!contents.unread.isEmpty()) {
        const QString lines = store::DescribeUnread(contents.unread);
        qWarning("vellora: %s: %s kept as they are, unread: no picture records",
                 qPrintable(dataFile), qPrintable(lines));
        unreadNote_ =
            tr("%1 の読めない行 (%2) はそのまま残しています").arg(store::kDataFileName, lines);
    }
    stoppedAtEmptyPath_ = contents.stop == store::ReadStop::EmptyPath;

    boards_ = std::move(stored.boards);
    IndexBoards();
    removed_ = std::move(stored.removed);
    loading_ = true;
    bool boardsAdded = false;

    emit aboutToReset();
    items_.clear();
    savedSettings_.clear();
    qsizetype next = 0;
    for (const store::PictureEntry& entry : store::EntriesOf(contents)) {
        if (entry.IsUnread()) {
            items_.push_back({{0, entry, {}, {}, PinState::Restoring}, {}});
            continue;
        }
        savedSettings_.append({entry, settings[next]});
        store::PinSettings withBoard = settings[next];
        const qsizetype boards = boards_.names.size();
        AddBoardOf(withBoard);
        boardsAdded = boardsAdded || boards_.names.size() != boards;
        items_.push_back(
            {{++lastId_, entry, GeometryOf(contents.records[next]), withBoard, PinState::Restoring},
             {}});
        ++next;
    }
    Renumber();
    loading_ = false;
    emit reset();
    // Boards named by pins alone (a kill between the two files, a hand edit), in one write.
    if (boardsAdded) SaveBoards();
    if (!stored.alsoPinned.isEmpty()) {
        qWarning("vellora: %s: %d removed pins are pinned too and leave the removed list",
                 qPrintable(folder_.RemovedPinsFile()), int(stored.alsoPinned.size()));
        // The second name a moved file got in "removed" goes with its entry, once the name the
        // data file uses is sure to be there.
        QList<store::RemovedPin> named;
        for (const store::RemovedPin& pin : stored.alsoPinned) {
            if (platform::CanOpenForReading(pin.movedFrom)) named.append(pin);
        }
        if (SaveRemoved().ok) ForgetKeptFiles(named);
    }
    ExpireRemoved();
    emit boardsChanged();
    emit removedPinsChanged();
    return true;
}

void PinList::SetState(Item& item, PinState state) {
    if (item.pin.state == state) return;
    item.pin.state = state;
    const PinId id = item.pin.id;
    emit changed(id, RowOf(id));
}

bool PinList::PlaceItem(Item& item, const Placer& place) {
    Pin placed = item.pin;
    if (!place(placed)) return false;
    // The probe drops a trailing "/" from the path, which is then what is listed.
    const PinId id = item.pin.id;
    const auto again = ItemOf(id);  // `place` may have let events in that changed the list
    if (again == items_.end()) return true;
    again->pin.entry.path = placed.entry.path;
    again->failedAt.reset();
    SetState(*again, PlacedState(again->pin));
    return true;
}

void PinList::DropWhere(const std::function<bool(const Item&)>& drop) {
    for (size_t i = items_.size(); i-- > 0;) {
        if (items_[i].pin.entry.IsUnread() || !drop(items_[i])) continue;
        const PinId id = items_[i].pin.id;
        const int row = RowOf(id);
        emit aboutToRemove(id, row);
        items_.erase(items_.begin() + qsizetype(i));
        Renumber();
        emit removed(id, row);
    }
}

bool PinList::PlaceRestoring(const Placer& place, const std::function<void()>& between) {
    bool placedAny = false;
    QList<PinId> dropped;
    // By id, not by iterator: between two pictures a later start's command is answered, and
    // the display window it opened may pin its picture when it loses the focus, which inserts.
    for (const PinId id : IdsIn(PinState::Restoring)) {
        const auto item = ItemOf(id);
        if (item == items_.end()) continue;
        if (!platform::IsFolder(item->pin.entry.path.Folder())) {
            SetState(*item, PinState::Waiting);
            continue;
        }
        if (!PlaceItem(*item, place)) {
            dropped.append(id);
            continue;
        }
        placedAny = true;
        if (between) between();
    }
    DropWhere([&dropped](const Item& item) { return dropped.contains(item.pin.id); });
    // The file keeps exactly the pictures that came back or wait, in their order, and the
    // lines it could not read.
    Save();
    if (AnyWaiting()) emit waitingChanged();
    return placedAny;
}

bool PinList::PlaceWaiting(const Placer& place) {
    bool placedAny = false;
    for (const PinId id : IdsIn(PinState::Waiting)) {
        const auto item = ItemOf(id);
        if (item == items_.end() || !platform::IsFolder(item->pin.entry.path.Folder())) continue;
        // Only a picture that loads ends the wait. The folder of a share or a cloud folder may
        // appear before its files have arrived whole; nothing is dropped for that before the
        // next start, whose restore drops what is then not a picture.
        const std::optional<platform::FileStamp> stamp = platform::StampOf(item->pin.entry.path);
        if (!stamp || stamp == item->failedAt) continue;
        if (!PlaceItem(*item, place)) {
            const auto failed = ItemOf(id);
            if (failed != items_.end()) failed->failedAt = stamp;  // tried again once it changes
            continue;
        }
        placedAny = true;
    }
    if (!placedAny) return false;
    Save();
    emit waitingChanged();
    return true;
}

PinId PinList::Insert(const Pin& pin) {
    // Before lines kept unread from an empty path on: the reading stops there.
    const bool beforeTail = !items_.empty() && items_.back().pin.entry.endsReading;
    const auto at = beforeTail ? std::prev(items_.end()) : items_.end();
    const int row = Count();
    emit aboutToAdd(row);
    const PinId id = ++lastId_;
    Item item{pin, {}};
    item.pin.id = id;
    items_.insert(at, item);
    Renumber();
    emit added(id, row);
    return id;
}

PinId PinList::Add(const platform::FilePath& path, const Geometry& geometry,
                   const store::PinSettings& settings, PinState state) {
    // A new pin, or one pinned again whose board has been hidden meanwhile, goes where the
    // user is looking.
    store::PinSettings placed = settings;
    if (placed.board.isEmpty() || BoardHidden(placed.board)) placed.board = TakingBoard();
    AddBoardOf(placed);
    const PinId id = Insert({0, {path, GeometryTexts(geometry)}, geometry, placed, state});
    Save();
    return id;
}

std::optional<Pin> PinList::Unpin(PinId id) {
    const auto item = ItemOf(id);
    if (item == items_.end()) return std::nullopt;
    const Pin pin = item->pin;
    const int row = RowOf(id);
    const bool waiting = pin.state == PinState::Waiting;
    emit aboutToRemove(id, row);
    item->unpinned = true;
    Renumber();
    emit removed(id, row);
    if (waiting) emit waitingChanged();
    return pin;
}

std::vector<PinList::Item>::iterator PinList::UnpinnedItem(PinId id) {
    return std::find_if(items_.begin(), items_.end(),
                        [id](const Item& item) { return item.unpinned && item.pin.id == id; });
}

void PinList::Forget(PinId unpinned) {
    const auto item = UnpinnedItem(unpinned);
    if (item == items_.end()) return;
    items_.erase(item);
    Renumber();  // the rows' indexes into items_ moved
}

store::SaveResult PinList::Remove(PinId id) {
    auto item = ItemOf(id);
    if (item == items_.end()) item = UnpinnedItem(id);
    return item == items_.end() ? Save() : MoveToRemoved(item);
}

store::SaveResult PinList::MoveToRemoved(std::vector<Item>::iterator item) {
    const Pin pin = item->pin;
    store::RemovedPin removed{pin.entry, pin.settings, {}, clock_()};
    // A second name in "removed" first, so that every file either list names is there; only
    // for the program's own pictures, and only into a "removed" that is no link to elsewhere.
    const QString removedFolder = folder_.RemovedFolder();
    if (platform::IsInFolders(pin.entry.path, folder_.OwnPictureFolders()) &&
        store::IsOwnFolder(removedFolder)) {
        if (const auto kept = LinkInto(pin.entry.path, removedFolder, pin.entry.path.FileName())) {
            removed.movedFrom = pin.entry.path;
            removed.entry.path = *kept;
        }
    }
    removed_.append(removed);
    if (store::SaveResult saved = SaveRemoved(); !saved.ok) {
        // The pin stays where it was; a second name made for it goes again.
        removed_.removeLast();
        if (!removed.movedFrom.IsEmpty() && !NamedAsRemoved(removed.entry.path)) {
            RemoveName(removed.entry.path);
        }
        return saved;
    }
    const PinId id = pin.id;
    if (item->unpinned) {
        items_.erase(item);
        Renumber();  // the rows' indexes into items_ moved
    } else {
        const bool waiting = pin.state == PinState::Waiting;
        DropWhere([id](const Item& i) { return i.pin.id == id; });
        if (waiting) emit waitingChanged();
    }
    store::SaveResult result = Save();
    const QList<store::PictureEntry> entries = Entries();
    const bool stillNamed = std::any_of(
        entries.cbegin(), entries.cend(),
        [&removed](const store::PictureEntry& e) { return e.path == removed.movedFrom; });
    if (result.ok && !removed.movedFrom.IsEmpty() && !stillNamed) RemoveName(removed.movedFrom);
    ExpireRemoved();
    emit removedPinsChanged();
    return result;
}

PinList::Restored PinList::RestoreRemoved(int index, const Placer& place) {
    if (index < 0 || index >= removed_.size())
        return {std::nullopt, tr("この画像はもうありません")};
    const store::RemovedPin removed = removed_[index];
    Pin pin{0, removed.entry, GeometryOf(removed.entry), removed.settings, PinState::Restoring};
    AddBoardOf(pin.settings);
    const QString name = removed.entry.path.DisplayText();
    if (!removed.movedFrom.IsEmpty()) {
        // Back under its old name, or one beside it when that has been taken meanwhile, but only
        // into one of the program's own folders: never a folder made outside the data folder.
        const QString into = removed.movedFrom.Folder().DisplayText();
        const QStringList own = folder_.OwnPictureFolders();
        if (!own.contains(QDir::cleanPath(into)) || !store::IsOwnFolder(into)) {
            return {std::nullopt, tr("%1 は元のフォルダー %2 に戻せません").arg(name, into)};
        }
        if (!platform::CanOpenForReading(removed.entry.path)) {
            return {std::nullopt, tr("%1 のファイルがなくなっています").arg(name)};
        }
        const auto back = LinkInto(removed.entry.path, into, removed.movedFrom.FileName());
        if (!back) return {std::nullopt, tr("%1 を %2 に戻せません").arg(name, into)};
        pin.entry.path = *back;
    }
    const PinId id = Insert(pin);
    const auto item = ItemOf(id);
    if (!platform::IsFolder(item->pin.entry.path.Folder())) {
        SetState(*item, PinState::Waiting);
        emit waitingChanged();
    } else if (!PlaceItem(*item, place)) {
        DropWhere([id](const Item& i) { return i.pin.id == id; });
        if (!removed.movedFrom.IsEmpty()) RemoveName(pin.entry.path);
        return {std::nullopt, tr("%1 を表示できません").arg(name)};
    }
    // The data file first: until the removed list is written, the pin is in both.
    if (!Save().ok) return {id, {}};
    removed_.removeOne(removed);
    if (SaveRemoved().ok && !removed.movedFrom.IsEmpty() && !NamedAsRemoved(removed.entry.path)) {
        RemoveName(removed.entry.path);
    }
    emit removedPinsChanged();
    return {id, {}};
}

void PinList::ExpireRemoved() {
    const QDateTime now = clock_();
    QList<store::RemovedPin> kept;
    QList<store::RemovedPin> gone;
    for (qsizetype i = 0; i < removed_.size(); ++i) {
        const bool expired = store::RemovedPinExpired(removed_[i], i, removed_.size(), now);
        (expired ? gone : kept).append(removed_[i]);
    }
    if (gone.isEmpty()) return;
    removed_ = kept;
    if (SaveRemoved().ok) ForgetKeptFiles(gone);
}

void PinList::ForgetKeptFiles(const QList<store::RemovedPin>& gone) {
    // Their marks go with them, unless a pin still names them (one kept in both files by a kill).
    for (const store::RemovedPin& pin : gone) {
        if (!pin.settings.marks.isEmpty() && !NamesMarks(pin.settings.marks)) {
            marks_.Forget(pin.settings.marks);
        }
    }
    // Their files go once no list names them, and only those the program put in a "removed"
    // folder of its own, by the names it gives them.
    const QString removedFolder = folder_.RemovedFolder();
    if (!store::IsOwnFolder(removedFolder)) return;
    for (const store::RemovedPin& pin : gone) {
        if (!pin.movedFrom.IsEmpty() &&
            IsKeptName(pin.entry.path.FileName(), pin.movedFrom.FileName()) &&
            platform::IsInFolders(pin.entry.path, {removedFolder}) &&
            !NamedAsRemoved(pin.entry.path)) {
            RemoveName(pin.entry.path);
        }
    }
}

bool PinList::NamesMarks(const QString& key) const {
    const auto names = [&key](const store::PinSettings& settings) { return settings.marks == key; };
    return std::any_of(items_.cbegin(), items_.cend(),
                       [&](const Item& item) { return names(item.pin.settings); }) ||
           std::any_of(removed_.cbegin(), removed_.cend(),
                       [&](const store::RemovedPin& pin) { return names(pin.settings); });
}

marks::MarkSet* PinList::MarksOf(PinId id) {
    const Pin* pin = Find(id);
    return pin ? marks_.Of(pin->settings.marks) : nullptr;
}

marks::MarkSet* PinList::MarksToEdit(PinId id) {
    const Pin* pin = Find(id);
    if (!pin) return nullptr;
    if (!marks::MarksStore::IsKey(pin->settings.marks)) {
        const QString key = marks_.Make();
        ChangeSettings(id, [&key](store::PinSettings& settings) { settings.marks = key; });
    }
    return MarksOf(id);
}

bool PinList::NamedAsRemoved(const platform::FilePath& file) const {
    // A pin kept in both files by a kill, removed again, is listed twice with one file.
    return std::any_of(removed_.cbegin(), removed_.cend(),
                       [&file](const store::RemovedPin& pin) { return pin.entry.path == file; });
}

void PinList::Report(const QString& file, const store::SaveResult& result) const {
    if (listener_) listener_(file, result);
}

store::SaveResult PinList::SaveRemoved() {
    const QString file = folder_.RemovedPinsFile();
    store::SaveResult result = store::SaveRemovedPins(removed_, file);
    Report(file, result);
    return result;
}

void PinList::SetGeometry(PinId id, const Geometry& geometry) {
    const auto item = ItemOf(id);
    if (item == items_.end()) return;
    Geometry& now = item->pin.geometry;
    if (now == geometry) return;
    // Only the texts of the values that changed are made again: the others stay as read.
    const std::array<QString, 4> texts = GeometryTexts(geometry);
    const std::array<bool, 4> moved = {now.left != geometry.left, now.top != geometry.top,
                                       now.width != geometry.width, now.height != geometry.height};
    for (size_t i = 0; i < texts.size(); ++i) {
        if (moved[i]) item->pin.entry.geometry[i] = texts[i];
    }
    now = geometry;
    emit changed(id, RowOf(id));
}

void PinList::SetSettings(PinId id, const store::PinSettings& settings) {
    const auto item = ItemOf(id);
    if (item == items_.end()) return;
    item->pin.settings = settings;
    AddBoardOf(item->pin.settings);
    emit changed(id, RowOf(id));
    SaveSettings();
    FollowBoards();
}

void PinList::ChangeSettings(PinId id, const std::function<void(store::PinSettings&)>& change) {
    const auto item = ItemOf(id);
    if (item == items_.end()) return;
    store::PinSettings settings = item->pin.settings;
    change(settings);
    if (settings == item->pin.settings) return;
    SetSettings(id, settings);
}

void PinList::ChangeAllSettings(const std::function<void(store::PinSettings&)>& change) {
    for (const size_t i : rows_) {
        Pin& pin = items_[i].pin;
        const store::PinSettings before = pin.settings;
        change(pin.settings);
        if (pin.settings != before) emit changed(pin.id, RowOf(pin.id));
    }
    SaveSettings();
}

void PinList::HideAll() {
    allHidden_ = true;
    for (const size_t i : rows_) {
        if (items_[i].pin.state == PinState::Shown) SetState(items_[i], PinState::Hidden);
    }
}

void PinList::ShowAll() {
    allHidden_ = false;
    FollowBoards();
}

PinState PinList::PlacedState(const Pin& pin) const {
    return allHidden_ || BoardHidden(pin.settings.board) ? PinState::Hidden : PinState::Shown;
}

void PinList::FollowBoards() {
    for (const size_t i : rows_) {
        const PinState state = items_[i].pin.state;
        if (state == PinState::Shown || state == PinState::Hidden) {
            SetState(items_[i], PlacedState(items_[i].pin));
        }
    }
}

bool PinList::SetShown(PinId id, bool shown) {
    const auto item = ItemOf(id);
    if (item == items_.end()) return false;
    const PinState state = item->pin.state;
    if (state != PinState::Shown && state != PinState::Hidden) return false;
    SetState(*item, shown ? PinState::Shown : PinState::Hidden);
    return true;
}

void PinList::AddBoardOf(store::PinSettings& settings) {
    settings.board = BoardOf(settings);
    // A board named by a pin alone (a kill between the two files, a hand edit) is listed.
    if (boardNames_.contains(settings.board)) return;
    boards_.names.append(settings.board);
    boardNames_.insert(settings.board);
    // While loading, once for all at the end.
    if (loading_) return;
    SaveBoards();
    emit boardsChanged();
}

void PinList::IndexBoards() {
    boardNames_ = QSet<QString>(boards_.names.cbegin(), boards_.names.cend());
    hiddenBoards_ = QSet<QString>(boards_.hidden.cbegin(), boards_.hidden.cend());
}

QString PinList::TakingBoard() {
    if (const std::optional<QString> board = store::TakingBoard(boards_)) return *board;
    SetBoardHidden(boards_.current, false);
    return boards_.current;
}

std::optional<QString> PinList::ChangeBoards(
    const std::function<std::optional<QString>(store::BoardList&)>& change) {
    if (auto wrong = change(boards_)) return wrong;
    IndexBoards();
    SaveBoards();
    FollowBoards();
    emit boardsChanged();
    return std::nullopt;
}

std::optional<QString> PinList::MakeBoard(const QString& name) {
    return ChangeBoards([&](store::BoardList& boards) { return store::MakeBoard(boards, name); });
}

std::optional<QString> PinList::RenameBoard(const QString& board, const QString& name) {
    store::BoardList renamed = boards_;
    if (auto wrong = store::RenameBoard(renamed, board, name)) return wrong;
    // The pins first: a board a pin names is listed again at the next start.
    ChangeAllSettings([&](store::PinSettings& settings) {
        if (settings.board == board) settings.board = name;
    });
    return ChangeBoards([&](store::BoardList& boards) {
        boards = renamed;
        return std::nullopt;
    });
}

std::optional<QString> PinList::DeleteBoard(const QString& board) {
    store::BoardList left = boards_;
    if (auto wrong = store::DeleteBoard(left, board)) return wrong;
    ChangeAllSettings([&](store::PinSettings& settings) {
        if (settings.board == board) settings.board = store::kFirstBoard;
    });
    return ChangeBoards([&](store::BoardList& boards) {
        boards = left;
        return std::nullopt;
    });
}

void PinList::MoveToBoard(const QList<PinId>& ids, const QString& board) {
    for (const PinId id : ids) {
        const auto item = ItemOf(id);
        if (item == items_.end() || item->pin.settings.board == board) continue;
        item->pin.settings.board = board;
        AddBoardOf(item->pin.settings);
        emit changed(id, RowOf(id));
    }
    SaveSettings();
    FollowBoards();
}

std::optional<QString> PinList::SetBoardHidden(const QString& board, bool hidden) {
    return ChangeBoards(
        [&](store::BoardList& boards) { return store::SetBoardHidden(boards, board, hidden); });
}

store::SaveResult PinList::SaveBoards() {
    const QString file = folder_.BoardsFile();
    store::SaveResult result = store::SaveBoards(boards_, file);
    Report(file, result);
    return result;
}

store::SaveResult PinList::Save() {
    const store::PinsWithSettings pins = PinsAndSettings();
    store::ListSaveResult result = store::SaveListAndSettings(pins, savedSettings_, folder_);
    // What the settings file holds now, as far as we know.
    if (result.ok && result.settings.ok) savedSettings_ = pins;
    Report(folder_.DataFile(), result);
    if (!result.settings.ok) Report(folder_.PinSettingsFile(), result.settings);
    return result;
}

void PinList::SaveSettings() {
    const store::PinsWithSettings pins = PinsAndSettings();
    const QString file = folder_.PinSettingsFile();
    const store::SaveResult result = store::SavePinSettings(pins, file);
    if (result.ok) savedSettings_ = pins;
    Report(file, result);
}

store::PinsWithSettings PinList::PinsAndSettings() const {
    store::PinsWithSettings pins;
    pins.reserve(qsizetype(items_.size()));
    for (const Item& item : items_) pins.append({item.pin.entry, item.pin.settings});
    return pins;
}

}  // namespace pin_list
