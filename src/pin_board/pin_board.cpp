#include "pin_board/pin_board.h"

#include <QGuiApplication>
#include <QObjectCleanupHandler>
#include <algorithm>

#include "pinned_window/pinned_window.h"
#include "platform/controls.h"
#include "platform/mouse_pointer.h"
#include "platform/number_text.h"
#include "platform/picture.h"
#include "platform/thumbnail_cache.h"
#include "platform/whole_file.h"

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

}  // namespace

PinBoard::PinBoard(QString dataFile, platform::ThumbnailCache* thumbnails)
    : dataFile_(std::move(dataFile)),
      thumbnails_(thumbnails),
      windows_(std::make_unique<QObjectCleanupHandler>()) {}

PinBoard::~PinBoard() = default;

QList<store::PictureEntry> PinBoard::Entries() const {
    QList<store::PictureEntry> entries;
    entries.reserve(qsizetype(pins_.size()));
    for (const PinnedPicture& pin : pins_) entries.append(pin.entry);
    return entries;
}

QList<pinned_window::PinnedWindow*> PinBoard::Windows() const {
    QList<pinned_window::PinnedWindow*> windows;
    windows.reserve(qsizetype(pins_.size()));
    for (const PinnedPicture& pin : pins_) windows.append(pin.window);
    return windows;
}

pinned_window::PinnedWindow* PinBoard::NewWindow() {
    auto* window = new pinned_window::PinnedWindow();
    windows_->add(window);
    connect(window, &pinned_window::PinnedWindow::unpinRequested, this,
            [this, window] { Unpin(window); });
    return window;
}

bool PinBoard::Restore() {
    platform::FilePath file = platform::FilePath::FromText(dataFile_);
    if (!store::FileExists(file)) platform::CreateIfMissing(dataFile_);
    const std::optional<QByteArray> data = platform::ReadWholeFile(file);
    if (!data) {
        // Neither readable nor creatable: start with no pictures, and do not write a file
        // that could replace one we merely failed to read.
        qWarning("vellora: cannot read or create %s; no pictures are restored",
                 qPrintable(dataFile_));
        return false;
    }
    store::DataFileContents contents = store::ReadDataFile(*data);
    for (qsizetype i = 0; i < contents.malformedAt.size(); ++i) {
        qWarning("vellora: a record of %s with unusable geometry is left out",
                 qPrintable(dataFile_));
    }
    platform::PictureDecodes decodes(thumbnails_);
    DecodeAhead(contents.records, decodes);
    bool placedAny = false;
    for (store::Record& record : contents.records) {
        if (PlaceStored(record, decodes)) placedAny = true;
    }
    // The file keeps exactly the pictures that came back, in their order.
    Save();
    return placedAny && contents.stop != store::ReadStop::EmptyPath;
}

bool PinBoard::PlaceStored(store::Record& record, platform::PictureDecodes& decodes) {
    std::unique_ptr<pinned_window::PinnedWindow> window(NewWindow());
    window->Place(float(record.left), float(record.top), float(record.width), float(record.height));
    // The probe drops a trailing "/" from the path, which is then what is listed.
    if (!store::FileExists(record.path)) return false;
    const platform::PictureLoad load = decodes.Take(record.path, window->DecodeTarget());
    if (!load) {
        qWarning("vellora: %s is left out: %s", qPrintable(record.path.DisplayText()),
                 qPrintable(platform::DescribePictureError(load.error)));
        return false;
    }
    window->SetPicture(load.picture);
    window->Show();
    pins_.push_back({store::EntryOf(record), window.release()});
    return true;
}

void PinBoard::Pin(const Placement& placement) {
    pinned_window::PinnedWindow* window = NewWindow();
    window->SetPicture(placement.picture);
    window->Place(placement.left, placement.top, placement.width, placement.height);
    pins_.push_back(
        {{placement.path,
          {platform::NumberText(placement.left), platform::NumberText(placement.top),
           platform::NumberText(placement.width), platform::NumberText(placement.height)}},
         window});
    Save();
    // The picture was decoded for the display window with more detail than the pin shows: its
    // thumbnail saves the first restore a decode. Taken before the pinned window paints and drops
    // that detail.
    if (thumbnails_ && placement.picture) {
        platform::StoreThumbnailOf(*placement.picture, window->DecodeTarget(), *thumbnails_);
    }
    window->Show();
}

void PinBoard::Unpin(pinned_window::PinnedWindow* window) {
    const auto pin = std::find_if(pins_.begin(), pins_.end(),
                                  [window](const PinnedPicture& p) { return p.window == window; });
    if (pin == pins_.end()) return;
    const Unpinned picture{pin->entry.path,        window->Picture(),      window->Left(),
                           window->Top(),          window->Width(),        window->Height(),
                           window->PictureWidth(), window->PictureHeight()};
    pins_.erase(pin);
    window->Unload();
    // Unpinned from inside its own double-click handler: the object goes once that has returned.
    window->deleteLater();
    emit unpinned(picture);
}

void PinBoard::Delete() {
    Save();
}

store::SaveResult PinBoard::Save() const {
    store::SaveResult result = store::SaveAll(Entries(), dataFile_);
    if (listener_) listener_(dataFile_, result);
    return result;
}

}  // namespace pin_board
