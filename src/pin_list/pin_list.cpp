#include "pin_list/pin_list.h"

#include <algorithm>

#include "platform/core/whole_file.h"

namespace pin_list {

namespace {

// The file's bytes with those that would break a field of the listing escaped: the tab and
// line breaks that separate its fields and lines, the NUL that separates the fields of a reply to
// a later start, and the backslash that begins an escape. Hand-written, as Qt escapes bytes only
// by percent-encoding, which readers of tab-separated text do not undo.
QByteArray EscapedField(const QByteArray& bytes) {
    QByteArray text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
            case '\t':
                text += "\\t";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\0':
                text += "\\0";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                text += c;
        }
    }
    return text;
}

const char* StateName(PinState state) {
    switch (state) {
        case PinState::Restoring:
            return "restoring";
        case PinState::Shown:
            return "shown";
        case PinState::Hidden:
            return "hidden";
        case PinState::Waiting:
            return "waiting";
        case PinState::Saved:
            return "saved";
    }
    return "";
}

Geometry GeometryOf(const store::Record& record) {
    return {float(record.left), float(record.top), float(record.width), float(record.height)};
}

}  // namespace

std::array<QString, 4> GeometryTexts(const Geometry& geometry) {
    return store::GeometryTexts(geometry.left, geometry.top, geometry.width, geometry.height);
}

QByteArray FormatListing(const QList<PinListing>& pins) {
    QByteArray text;
    for (const PinListing& pin : pins) {
        text += StateName(pin.state);
        for (const QString& value : pin.entry.geometry) text += '\t' + value.toLatin1();
        text += '\t' + EscapedField(pin.entry.path.Bytes()) + '\n';
    }
    return text;
}

QList<PinListing> ListSavedPins(const QString& dataFile) {
    const QByteArray data =
        platform::ReadWholeFile(platform::FilePath::FromText(dataFile)).value_or(QByteArray());
    QList<PinListing> pins;
    for (const store::Record& record : store::ReadDataFile(data).records) {
        const bool waiting = !platform::IsFolder(record.path.Folder());
        pins.append({waiting ? PinState::Waiting : PinState::Saved, store::EntryOf(record)});
    }
    return pins;
}

PinList::PinList(QString dataFile) : dataFile_(std::move(dataFile)) {}

PinList::~PinList() = default;

int PinList::RowOf(PinId id) const {
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (items_[rows_[row]].pin.id == id) return int(row);
    }
    return -1;
}

const Pin* PinList::Find(PinId id) const {
    const int row = RowOf(id);
    return row < 0 ? nullptr : &At(row);
}

std::vector<PinList::Item>::iterator PinList::ItemOf(PinId id) {
    return std::find_if(items_.begin(), items_.end(),
                        [id](const Item& item) { return id != 0 && item.pin.id == id; });
}

void PinList::Renumber() {
    rows_.clear();
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].pin.entry.IsUnread()) rows_.push_back(i);
    }
}

QList<store::PictureEntry> PinList::Entries() const {
    QList<store::PictureEntry> entries;
    entries.reserve(qsizetype(items_.size()));
    for (const Item& item : items_) entries.append(item.pin.entry);
    return entries;
}

QList<PinListing> PinList::Listing() const {
    QList<PinListing> listing;
    for (const size_t i : rows_) listing.append({items_[i].pin.state, items_[i].pin.entry});
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
    platform::FilePath file = platform::FilePath::FromText(dataFile_);
    if (!store::FileExists(file)) platform::CreateIfMissing(dataFile_);
    const platform::WholeFile read = platform::ReadFile(file);
    if (!read.bytes) {
        // Neither readable nor creatable: start with no pictures, and do not write a file
        // that could replace one we merely failed to read.
        qWarning("vellora: %s: %s; no pictures are restored", qPrintable(dataFile_),
                 qPrintable(platform::DescribeReadError(read.error)));
        return false;
    }
    const store::DataFileContents contents = store::ReadDataFile(*read.bytes);
    QList<store::PictureEntry> stored;
    for (const store::Record& record : contents.records) stored.append(store::EntryOf(record));
    const QList<store::PinSettings> settings =
        store::LoadPinSettings(store::PinSettingsFileName(dataFile_), stored);
    if (!contents.unread.isEmpty()) {
        const QString lines = store::DescribeUnread(contents.unread);
        qWarning("vellora: %s: %s kept as they are, unread: no picture records",
                 qPrintable(dataFile_), qPrintable(lines));
        unreadNote_ = tr("%1 の読めない行 (%2) はそのまま残しています")
                          .arg(store::kDataFileName, lines);
    }
    stoppedAtEmptyPath_ = contents.stop == store::ReadStop::EmptyPath;

    emit aboutToReset();
    items_.clear();
    savedSettings_.clear();
    qsizetype next = 0;
    for (const store::PictureEntry& entry : store::EntriesOf(contents)) {
        if (entry.IsUnread()) {
            items_.push_back({{0, entry, {}, {}, PinState::Restoring}, {}});
            continue;
        }
        items_.push_back({{++lastId_, entry, GeometryOf(contents.records[next]), settings[next],
                           PinState::Restoring},
                          {}});
        savedSettings_.append({entry, settings[next]});
        ++next;
    }
    Renumber();
    emit reset();
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
    SetState(*again, allHidden_ ? PinState::Hidden : PinState::Shown);
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
    QList<PinId> restoring;
    for (const size_t i : rows_) {
        if (items_[i].pin.state == PinState::Restoring) restoring.append(items_[i].pin.id);
    }
    for (const PinId id : restoring) {
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
    QList<PinId> waiting;
    for (const size_t i : rows_) {
        if (items_[i].pin.state == PinState::Waiting) waiting.append(items_[i].pin.id);
    }
    for (const PinId id : waiting) {
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

PinId PinList::Add(const platform::FilePath& path, const Geometry& geometry,
                   const store::PinSettings& settings, PinState state) {
    // Before lines kept unread from an empty path on: the reading stops there.
    const bool beforeTail = !items_.empty() && items_.back().pin.entry.endsReading;
    const auto at = beforeTail ? std::prev(items_.end()) : items_.end();
    const int row = Count();
    emit aboutToAdd(row);
    const PinId id = ++lastId_;
    items_.insert(at, Item{{id, {path, GeometryTexts(geometry)}, geometry, settings, state}, {}});
    Renumber();
    emit added(id, row);
    Save();
    return id;
}

std::optional<Pin> PinList::Take(PinId id) {
    const auto item = ItemOf(id);
    if (item == items_.end()) return std::nullopt;
    Pin pin = item->pin;
    const bool waiting = pin.state == PinState::Waiting;
    DropWhere([id](const Item& i) { return i.pin.id == id; });
    if (waiting) emit waitingChanged();
    return pin;
}

store::SaveResult PinList::Remove(PinId id) {
    Take(id);
    return Save();
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
    emit changed(id, RowOf(id));
    SaveSettings();
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
    for (const size_t i : rows_) {
        if (items_[i].pin.state == PinState::Hidden) SetState(items_[i], PinState::Shown);
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

store::SaveResult PinList::Save() {
    const store::PinsWithSettings pins = PinsAndSettings();
    store::SaveResult result = store::SaveListAndSettings(pins, savedSettings_, dataFile_);
    if (result.ok) savedSettings_ = pins;
    if (listener_) listener_(dataFile_, result);
    return result;
}

void PinList::SaveSettings() {
    const store::PinsWithSettings pins = PinsAndSettings();
    if (store::SavePinSettings(pins, store::PinSettingsFileName(dataFile_)).ok) {
        savedSettings_ = pins;
    }
}

store::PinsWithSettings PinList::PinsAndSettings() const {
    store::PinsWithSettings pins;
    pins.reserve(qsizetype(items_.size()));
    for (const Item& item : items_) pins.append({item.pin.entry, item.pin.settings});
    return pins;
}

}  // namespace pin_list
