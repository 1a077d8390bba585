#include "pin_board/pin_board.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QObjectCleanupHandler>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "pin_board/file_follower.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/mount_watch.h"
#include "platform/core/number_text.h"
#include "platform/core/twips.h"
#include "platform/core/whole_file.h"
#include "platform/gui/controls.h"
#include "platform/gui/file_manager.h"
#include "platform/gui/pasted_picture.h"
#include "platform/gui/picture.h"
#include "platform/gui/thumbnail_cache.h"
#include "platform/gui/x11_pin_state.h"

namespace pin_board {

namespace {

// Starts decoding every stored picture at the size its window will show it, so that the restore
// finds most of them decoded when it reaches them. The restore itself still goes record by
// record, in file order.
void DecodeAhead(const QList<store::Record>& records, platform::PictureDecodes& decodes) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    for (store::Record record : records) {
        if (!store::FileExists(record.path)) continue;
        const QSize shown(platform::ControlPixels(float(record.width)),
                          platform::ControlPixels(float(record.height)));
        decodes.Start(record.path, platform::DecodeTargetFor(shown, ratio));
    }
}

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

}  // namespace

QByteArray FormatListing(const QList<PinListing>& pins) {
    QByteArray text;
    for (const PinListing& pin : pins) {
        switch (pin.state) {
            case PinState::Restoring:
                text += "restoring";
                break;
            case PinState::Shown:
                text += "shown";
                break;
            case PinState::Hidden:
                text += "hidden";
                break;
            case PinState::Waiting:
                text += "waiting";
                break;
            case PinState::Saved:
                text += "saved";
                break;
        }
        for (const QString& value : pin.entry.geometry) text += '\t' + value.toLatin1();
        text += '\t' + EscapedField(pin.entry.path.Bytes()) + '\n';
    }
    return text;
}

QList<PinListing> ListSavedPins(const QByteArray& dataFile) {
    QList<PinListing> pins;
    for (const store::Record& record : store::ReadDataFile(dataFile).records) {
        const bool waiting = !platform::IsFolder(record.path.Folder());
        pins.append({waiting ? PinState::Waiting : PinState::Saved, store::EntryOf(record)});
    }
    return pins;
}

PinBoard::PinBoard(QString dataFile, platform::ThumbnailCache* thumbnails)
    : dataFile_(std::move(dataFile)),
      thumbnails_(thumbnails),
      windows_(std::make_unique<QObjectCleanupHandler>()),
      mountWatch_(std::make_unique<platform::MountWatch>()),
      compositorWatch_(std::make_unique<platform::CompositorWatch>()),
      follower_(std::make_unique<FileFollower>(thumbnails)) {
    connect(follower_.get(), &FileFollower::pictureChanged, this, &PinBoard::ShowFollowedPicture);
    connect(mountWatch_.get(), &platform::MountWatch::mayHaveChanged, this,
            [this] { LookForWaitingFolders(); });
    connect(compositorWatch_.get(), &platform::CompositorWatch::changed, this,
            [this](bool running) {
                for (pinned_window::PinnedWindow* window : Windows())
                    window->SetOpacityAvailable(running);
            });
}

PinBoard::~PinBoard() {
    // A zoom still waiting for the wheel to rest is not lost when the program ends meanwhile.
    // Whoever listened to saves may be gone already, and nobody is left to be told.
    if (zoomSave_ && zoomSave_->isActive()) {
        listener_ = nullptr;
        SaveZoomed();
    }
}

int PinBoard::Count() const {
    return int(std::count_if(pins_.cbegin(), pins_.cend(),
                             [](const PinnedPicture& pin) { return pin.stage != Stage::Unread; }));
}

bool PinBoard::IsEmpty() const {
    return std::none_of(pins_.cbegin(), pins_.cend(),
                        [](const PinnedPicture& pin) { return pin.window != nullptr; });
}

QList<store::PictureEntry> PinBoard::Entries() const {
    QList<store::PictureEntry> entries;
    entries.reserve(qsizetype(pins_.size()));
    for (const PinnedPicture& pin : pins_) entries.append(pin.entry);
    return entries;
}

QList<pinned_window::PinnedWindow*> PinBoard::Windows() const {
    QList<pinned_window::PinnedWindow*> windows;
    windows.reserve(qsizetype(pins_.size()));
    for (const PinnedPicture& pin : pins_) {
        if (pin.window) windows.append(pin.window);
    }
    return windows;
}

QList<PinListing> PinBoard::ListPins() const {
    QList<PinListing> listing;
    for (const PinnedPicture& pin : pins_) {
        switch (pin.stage) {
            case Stage::Placed:
                listing.append(
                    {pin.window->isVisible() ? PinState::Shown : PinState::Hidden, pin.entry});
                break;
            case Stage::Restoring:
                listing.append({PinState::Restoring, pin.entry});
                break;
            case Stage::Waiting:
                listing.append({PinState::Waiting, pin.entry});
                break;
            case Stage::Unread:
            case Stage::Dropped:
                break;
        }
    }
    return listing;
}

QList<store::PictureEntry> PinBoard::WaitingPins() const {
    QList<store::PictureEntry> waiting;
    for (const PinnedPicture& pin : pins_) {
        if (pin.stage == Stage::Waiting) waiting.append(pin.entry);
    }
    return waiting;
}

pinned_window::PinnedWindow* PinBoard::NewWindow() {
    using pinned_window::PinnedWindow;
    auto* window = new PinnedWindow();
    windows_->add(window);
    window->SetOpacityAvailable(compositorWatch_->Running());
    connect(window, &PinnedWindow::unpinRequested, this, [this, window] { Unpin(window); });
    connect(window, &PinnedWindow::deleteRequested, this, [this, window] {
        const PinnedPicture* pin = PinOf(window);
        const platform::FilePath file = pin ? pin->entry.path : platform::FilePath();
        Remove(window);
        if (Save().ok) DeletePastedFile(file);
        emit deleted();
    });
    connect(window, &PinnedWindow::settingsChanged, this, [this, window] {
        if (PinnedPicture* pin = PinOf(window)) pin->settings = window->Settings();
        SaveSettings();
        FollowIfAsked(window);
    });
    connect(window, &PinnedWindow::copyRequested, this, [this, window] {
        const PinnedPicture* pin = PinOf(window);
        if (!pin) return;
        // The whole picture, not the smaller copy on show; that one when the file has gone.
        const platform::PictureLoad whole = platform::LoadPicture(pin->entry.path);
        platform::CopyPictureToClipboard(whole ? whole.picture->Pixels()
                                               : window->Picture()->Pixels());
    });
    connect(window, &PinnedWindow::showFolderRequested, this, [this, window] {
        if (const PinnedPicture* pin = PinOf(window)) platform::ShowInFileManager(pin->entry.path);
    });
    connect(window, &PinnedWindow::originalSizeRequested, this,
            [this, window] { ShowOriginalSize(window); });
    window->SetThumbnails(thumbnails_);
    connect(window, &PinnedWindow::zoomed, this, [this, window] { Zoomed(window); });
    return window;
}

PinBoard::PinnedPicture* PinBoard::PinOf(const pinned_window::PinnedWindow* window) {
    const auto pin = std::find_if(pins_.begin(), pins_.end(),
                                  [window](const PinnedPicture& p) { return p.window == window; });
    return pin == pins_.end() ? nullptr : &*pin;
}

bool PinBoard::Restore() {
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
    for (qsizetype i = 0; i < stored.size(); ++i) savedSettings_.append({stored[i], settings[i]});
    if (!contents.unread.isEmpty()) {
        const QString lines = store::DescribeUnread(contents.unread);
        qWarning("vellora: %s: %s kept as they are, unread: no picture records",
                 qPrintable(dataFile_), qPrintable(lines));
        unreadNote_ = QStringLiteral("%1 の読めない行 (%2) はそのまま残しています")
                          .arg(store::kDataFileName, lines);
    }
    // Every record is listed first: a save or a listing meanwhile tells the whole file.
    qsizetype next = 0;
    for (const store::PictureEntry& entry : store::EntriesOf(contents)) {
        if (entry.IsUnread()) {
            pins_.push_back({entry, nullptr, {}, {}, {}, Stage::Unread});
            continue;
        }
        pins_.push_back(
            {entry, nullptr, settings[next], contents.records[next], {}, Stage::Restoring});
        ++next;
    }
    platform::PictureDecodes decodes(thumbnails_);
    DecodeAhead(contents.records, decodes);
    bool placedAny = false;
    restoreEvents_.start();
    // By index, not by iterator: between two pictures a later start's command is answered, and
    // the display window it opened may pin its picture when it loses the focus, which inserts.
    for (size_t i = 0; i < pins_.size(); ++i) {  // NOLINT(modernize-loop-convert)
        if (pins_[i].stage != Stage::Restoring) continue;
        store::Record record = pins_[i].waitingRecord;
        if (!platform::IsFolder(record.path.Folder())) {
            pins_[i].stage = Stage::Waiting;
            continue;
        }
        pinned_window::PinnedWindow* window = PlaceStored(record, pins_[i].settings, decodes);
        PinnedPicture& pin = pins_[i];
        if (!window) {
            pin.stage = Stage::Dropped;
            continue;
        }
        // The probe drops a trailing "/" from the path, which is then what is listed.
        pin.entry = store::EntryOf(record);
        pin.window = window;
        pin.waitingRecord = {};
        pin.stage = Stage::Placed;
        FollowIfAsked(window);
        placedAny = true;
        LetEventsIn();
    }
    std::erase_if(pins_, [](const PinnedPicture& pin) { return pin.stage == Stage::Dropped; });
    // The file keeps exactly the pictures that came back or wait, in their order, and the
    // lines it could not read.
    Save();
    if (!WaitingPins().isEmpty()) {
        WatchWhileWaiting();
        emit waitingChanged();
    }
    return placedAny && contents.stop != store::ReadStop::EmptyPath;
}

void PinBoard::LetEventsIn() {
    // Often enough that a later start is answered within a second, seldom enough to cost the
    // restore nothing that shows.
    if (!QCoreApplication::instance() || restoreEvents_.elapsed() < restoreEventsEvery_) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    restoreEvents_.restart();
}

pinned_window::PinnedWindow* PinBoard::PlaceStored(store::Record& record,
                                                   const store::PinSettings& settings,
                                                   platform::PictureDecodes& decodes) {
    std::unique_ptr<pinned_window::PinnedWindow> window(NewWindow());
    window->Place(float(record.left), float(record.top), float(record.width), float(record.height));
    // The probe drops a trailing "/" from the path, which is then what is listed.
    if (!store::FileExists(record.path)) {
        QFile probe;
        const platform::ReadError why = platform::OpenForReading(record.path, probe);
        const QString reason = why == platform::ReadError::CannotOpen
                                   ? QString::fromLocal8Bit(std::strerror(errno))
                                   : platform::DescribeReadError(why);
        qWarning("vellora: %s is left out: %s", qPrintable(record.path.DisplayText()),
                 qPrintable(reason));
        return nullptr;
    }
    const platform::PictureLoad load = decodes.Take(record.path, window->DecodeTarget());
    if (!load) {
        qWarning("vellora: %s is left out: %s", qPrintable(record.path.DisplayText()),
                 qPrintable(platform::DescribePictureError(load.error)));
        return nullptr;
    }
    window->SetPicture(load.picture);
    window->SetSettings(settings);
    // Hidden by a later start's command while the restore went on.
    if (!allHidden_) window->ShowPinned();
    return window.release();
}

void PinBoard::LookForWaitingFolders() {
    bool changed = false;
    platform::PictureDecodes decodes(thumbnails_);
    for (PinnedPicture& pin : pins_) {
        if (pin.stage != Stage::Waiting || !platform::IsFolder(pin.waitingRecord.path.Folder())) {
            continue;
        }
        // Only a picture that loads ends the wait. The folder of a share or a cloud folder may
        // appear before its files have arrived whole; nothing is dropped for that before the
        // next start, whose restore drops what is then not a picture.
        store::Record record = pin.waitingRecord;
        const std::optional<platform::FileStamp> stamp = platform::StampOf(record.path);
        if (!stamp || stamp == pin.failedAt) continue;
        pinned_window::PinnedWindow* window = PlaceStored(record, pin.settings, decodes);
        if (!window) {
            pin.failedAt = stamp;  // tried again once the file changes
            continue;
        }
        pin = {store::EntryOf(record), window, pin.settings, {}, {}, Stage::Placed};
        FollowIfAsked(window);
        changed = true;
    }
    if (!changed) return;
    Save();
    WatchWhileWaiting();
    emit waitingChanged();
}

bool PinBoard::ForgetWaiting(const store::PictureEntry& entry) {
    const auto pin = std::find_if(pins_.begin(), pins_.end(), [&entry](const PinnedPicture& p) {
        return p.stage == Stage::Waiting && p.entry == entry;
    });
    if (pin == pins_.end()) return false;
    pins_.erase(pin);
    Save();
    WatchWhileWaiting();
    emit waitingChanged();
    return true;
}

void PinBoard::WatchWhileWaiting() {
    mountWatch_->SetActive(!WaitingPins().isEmpty());
}

void PinBoard::HideAll() {
    allHidden_ = true;
    for (const PinnedPicture& pin : pins_) {
        if (pin.window) pin.window->hide();
    }
}

void PinBoard::ShowAll() {
    allHidden_ = false;
    for (const PinnedPicture& pin : pins_) {
        if (pin.window) pin.window->ShowPinned();
    }
}

void PinBoard::MakeAllSolid() {
    for (PinnedPicture& pin : pins_) {
        if (pin.stage == Stage::Unread) continue;
        pin.settings.clickThrough = false;
        if (pin.window) pin.window->SetSettings(pin.settings);
    }
    SaveSettings();
}

QList<store::PinSettings> PinBoard::Settings() const {
    QList<store::PinSettings> settings;
    for (const PinnedPicture& pin : pins_) {
        if (pin.stage != Stage::Unread) settings.append(pin.settings);
    }
    return settings;
}

void PinBoard::ShowOriginalSize(pinned_window::PinnedWindow* window) {
    PinnedPicture* pin = PinOf(window);
    if (!pin || !window->Picture()) return;
    // The picture's own pixels on the screen's, within the screen and with its shape, its top
    // left corner where it is.
    const QScreen* screen = window->screen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QSizeF natural = QSizeF(window->Picture()->NaturalSize()) / ratio;
    const QSizeF size =
        screen ? natural.scaled(natural.boundedTo(QSizeF(screen->availableGeometry().size())),
                                Qt::KeepAspectRatio)
               : natural;
    window->Place(window->Left(), window->Top(), platform::PixelsToTwips(qRound(size.width())),
                  platform::PixelsToTwips(qRound(size.height())));
    pin->entry.geometry = GeometryTextsOf(*window);
    Save();
}

std::array<QString, 4> PinBoard::GeometryTextsOf(const pinned_window::PinnedWindow& window) {
    return {platform::NumberText(window.Left()), platform::NumberText(window.Top()),
            platform::NumberText(window.Width()), platform::NumberText(window.Height())};
}

void PinBoard::FollowIfAsked(pinned_window::PinnedWindow* window) {
    const PinnedPicture* pin = PinOf(window);
    if (pin && pin->settings.followFile) {
        follower_->Follow(window, pin->entry.path);
    } else {
        follower_->Stop(window);
    }
}

void PinBoard::ShowFollowedPicture(pinned_window::PinnedWindow* window,
                                   const platform::Picture& picture) {
    PinnedPicture* pin = PinOf(window);
    const QSize natural = picture->NaturalSize();
    if (!pin || natural.isEmpty()) return;
    // Whole pixels, as the window is drawn: the width stays, the height takes the new shape.
    const int width = platform::ControlPixels(window->Width());
    const int height = std::max(1, qRound(double(width) * natural.height() / natural.width()));
    window->SetPicture(picture);
    window->Place(window->Left(), window->Top(), window->Width(), platform::PixelsToTwips(height));
    pin->entry.geometry[3] = platform::NumberText(window->Height());
    // The new pixels first: the save waits for the disk.
    window->repaint();
    Save();
}

void PinBoard::Pin(const Placement& placement) {
    pinned_window::PinnedWindow* window = NewWindow();
    window->SetPicture(placement.picture);
    window->SetSettings(placement.settings);
    window->Place(placement.left, placement.top, placement.width, placement.height);
    // Before lines kept unread from an empty path on: the reading stops there.
    const auto end =
        !pins_.empty() && pins_.back().entry.endsReading ? std::prev(pins_.end()) : pins_.end();
    pins_.insert(end,
                 {{placement.path,
                   {platform::NumberText(placement.left), platform::NumberText(placement.top),
                    platform::NumberText(placement.width), platform::NumberText(placement.height)}},
                  window,
                  placement.settings,
                  {},
                  {},
                  Stage::Placed});
    FollowIfAsked(window);
    Save();
    // The picture was decoded for the display window with more detail than the pin shows: its
    // thumbnail saves the first restore a decode. Taken before the pinned window paints and drops
    // that detail.
    if (thumbnails_ && placement.picture) {
        platform::StoreThumbnailOf(*placement.picture, window->DecodeTarget(), *thumbnails_);
    }
    window->ShowPinned();
}

void PinBoard::Unpin(pinned_window::PinnedWindow* window) {
    const PinnedPicture* pin = PinOf(window);
    if (!pin) return;
    const Unpinned picture{pin->entry.path,        window->Picture(),       window->Left(),
                           window->Top(),          window->Width(),         window->Height(),
                           window->PictureWidth(), window->PictureHeight(), pin->settings};
    Remove(window);
    emit unpinned(picture);
}

void PinBoard::Remove(pinned_window::PinnedWindow* window) {
    follower_->Stop(window);
    zoomedSinceSave_.removeAll(window);
    pins_.erase(std::find_if(pins_.begin(), pins_.end(),
                             [window](const PinnedPicture& p) { return p.window == window; }));
    window->Unload();
    // Removed from inside its own event handler: the object goes once that has returned.
    window->deleteLater();
}

void PinBoard::Delete(const platform::FilePath& file) {
    if (Save().ok) DeletePastedFile(file);
}

void PinBoard::DeletePastedFile(const platform::FilePath& file) const {
    // Only once the list that no longer names it is saved.
    QList<platform::FilePath> named;
    for (const PinnedPicture& pin : pins_) named.append(pin.entry.path);
    platform::DeletePastedIfUnnamed(file, platform::PastedFolderFor(dataFile_), named);
}

store::SaveResult PinBoard::Save() {
    const store::PinsWithSettings pins = PinsAndSettings();
    store::SaveResult result = store::SaveListAndSettings(pins, savedSettings_, dataFile_);
    if (result.ok) savedSettings_ = pins;
    if (listener_) listener_(dataFile_, result);
    return result;
}

void PinBoard::SaveSettings() {
    const store::PinsWithSettings pins = PinsAndSettings();
    if (store::SavePinSettings(pins, store::PinSettingsFileName(dataFile_)).ok) {
        savedSettings_ = pins;
    }
}

store::PinsWithSettings PinBoard::PinsAndSettings() const {
    store::PinsWithSettings pins;
    pins.reserve(qsizetype(pins_.size()));
    for (const PinnedPicture& pin : pins_) pins.append({pin.entry, pin.settings});
    return pins;
}

}  // namespace pin_board
