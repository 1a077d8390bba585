#include "pin_board/pin_board.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDrag>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QObjectCleanupHandler>
#include <QRubberBand>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "marks/mark_painter.h"
#include "marks/mark_set.h"
#include "pin_board/file_follower.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/mount_watch.h"
#include "platform/core/number_text.h"
#include "platform/core/twips.h"
#include "platform/core/whole_file.h"
#include "platform/gui/controls.h"
#include "platform/gui/file_manager.h"
#include "platform/pictures/pasted_picture.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/saved_picture.h"
#include "platform/pictures/thumbnail_cache.h"
#include "platform/x11/pin_state.h"
#include "sizing/pin_transform.h"

namespace pin_board {

namespace {

// How long a raised pin is outlined.
constexpr int kOutlineMs = 900;

// Starts decoding every stored picture at the size its window will show it, so that the restore
// finds most of them decoded when it reaches them. The restore itself still goes record by
// record, in file order.
void DecodeAhead(const pin_list::PinList& list, platform::PictureDecodes& decodes) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    for (int row = 0; row < list.Count(); ++row) {
        const pin_list::Pin& pin = list.At(row);
        platform::FilePath path = pin.entry.path;
        if (pin.state != pin_list::PinState::Restoring || !store::FileExists(path)) continue;
        const QSize shown(platform::ControlPixels(pin.geometry.width),
                          platform::ControlPixels(pin.geometry.height));
        decodes.Start(path, platform::DecodeTargetFor(shown, ratio), pin.settings.transform);
    }
}

}  // namespace

PinBoard::PinBoard(const QString& dataFile, platform::ThumbnailCache* thumbnails)
    : list_(std::make_unique<pin_list::PinList>(dataFile)),
      thumbnails_(thumbnails),
      writes_(std::make_unique<platform::PngWrites>()),
      made_(std::make_unique<QObjectCleanupHandler>()),
      mountWatch_(std::make_unique<platform::MountWatch>()),
      compositorWatch_(std::make_unique<platform::CompositorWatch>()),
      follower_(std::make_unique<FileFollower>(thumbnails)) {
    connect(list_.get(), &pin_list::PinList::changed, this,
            [this](pin_list::PinId id) { Follow(id); });
    connect(list_.get(), &pin_list::PinList::removed, this,
            [this](pin_list::PinId id) { DropWindow(id); });
    connect(list_.get(), &pin_list::PinList::waitingChanged, this, [this] {
        WatchWhileWaiting();
        emit waitingChanged();
    });
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
        list_->SetSaveListener(nullptr);
        SaveZoomed();
    }
    // The windows go first, without following the list further.
    list_->disconnect(this);
}

int PinBoard::Count() const {
    return list_->Count();
}

bool PinBoard::IsEmpty() const {
    return !list_->AnyPlaced();
}

QList<store::PictureEntry> PinBoard::Entries() const {
    return list_->Entries();
}

QList<pinned_window::PinnedWindow*> PinBoard::Windows() const {
    QList<pinned_window::PinnedWindow*> windows;
    for (int row = 0; row < list_->Count(); ++row) {
        if (pinned_window::PinnedWindow* window = WindowOf(list_->At(row).id))
            windows.append(window);
    }
    return windows;
}

QList<PinListing> PinBoard::ListPins() const {
    return list_->Listing();
}

QList<store::PictureEntry> PinBoard::WaitingPins() const {
    QList<store::PictureEntry> waiting;
    for (const pin_list::PinId id : list_->IdsIn(PinState::Waiting)) {
        waiting.append(list_->Find(id)->entry);
    }
    return waiting;
}

pinned_window::PinnedWindow* PinBoard::WindowOf(pin_list::PinId id) const {
    return windows_.value(id, nullptr);
}

pin_list::PinId PinBoard::IdOf(const pinned_window::PinnedWindow* window) const {
    for (auto it = windows_.cbegin(); it != windows_.cend(); ++it) {
        if (it.value() == window) return it.key();
    }
    return 0;
}

pinned_window::PinnedWindow* PinBoard::NewWindow() {
    using pinned_window::PinnedWindow;
    auto* window = new PinnedWindow();
    made_->add(window);
    window->SetOpacityAvailable(compositorWatch_->Running());
    connect(window, &PinnedWindow::unpinRequested, this, [this, window] { Unpin(window); });
    connect(window, &PinnedWindow::deleteRequested, this, [this, window] {
        DeletePin(IdOf(window));
        emit deleted();
    });
    // The list owns the settings: the window follows it (Follow) once the change is made.
    connect(window, &PinnedWindow::settingsChangeRequested, this,
            [this, window](const pinned_window::SettingsChange& change) {
                list_->ChangeSettings(IdOf(window), change);
            });
    connect(window, &PinnedWindow::copyRequested, this, [this, window] {
        if (const std::optional<QImage> picture = PictureLeaving(window)) {
            platform::CopyPictureToClipboard(*picture);
        }
    });
    connect(window, &PinnedWindow::saveAsRequested, this, [this, window] { SaveAs(window); });
    connect(window, &PinnedWindow::dragOutRequested, this, [this, window] { DragOut(window); });
    connect(window, &PinnedWindow::markingRequested, this, [this, window] {
        if (marks::MarkSet* set = list_->MarksToEdit(IdOf(window))) window->StartMarking(*set);
    });
    // Kept at once when the user is done, not half a second later.
    connect(window, &PinnedWindow::markingEnded, this, [this] { list_->Marks().SaveNow(); });
    connect(window, &PinnedWindow::showFolderRequested, this, [this, window] {
        if (const pin_list::Pin* pin = list_->Find(IdOf(window))) {
            platform::ShowInFileManager(pin->entry.path);
        }
    });
    connect(window, &PinnedWindow::originalSizeRequested, this,
            [this, window] { ShowOriginalSize(window); });
    window->SetThumbnails(thumbnails_);
    connect(window, &PinnedWindow::zoomed, this, [this, window] { Zoomed(window); });
    connect(window, &PinnedWindow::transformRequested, this,
            [this, window](const platform::PictureTransform& after) { Transform(window, after); });
    return window;
}

void PinBoard::Follow(pin_list::PinId id) {
    pinned_window::PinnedWindow* window = WindowOf(id);
    const pin_list::Pin* pin = list_->Find(id);
    if (!window || !pin) return;
    if (window->Rect() != pin->geometry) {
        window->Place(pin->geometry);
    }
    if (window->Settings() != pin->settings) window->SetSettings(pin->settings);
    window->SetMarks(list_->MarksOf(id));
    FollowIfAsked(id);
    if (pin->state == PinState::Shown && !window->isVisible()) window->ShowPinned();
    if (pin->state == PinState::Hidden && window->isVisible()) window->hide();
}

void PinBoard::DropWindow(pin_list::PinId id) {
    pinned_window::PinnedWindow* window = windows_.take(id);
    if (!window) return;
    follower_->Stop(window);
    zoomedSinceSave_.removeAll(window);
    window->Unload();
    // Removed from inside its own event handler: the object goes once that has returned.
    window->deleteLater();
}

bool PinBoard::Restore() {
    if (!list_->Load()) return false;
    platform::PictureDecodes decodes(thumbnails_);
    DecodeAhead(*list_, decodes);
    restoreEvents_.start();
    const bool placedAny = list_->PlaceRestoring(
        [this, &decodes](pin_list::Pin& pin) { return PlaceStored(pin, decodes); },
        [this] { LetEventsIn(); });
    return placedAny && !list_->StoppedAtEmptyPath();
}

void PinBoard::LetEventsIn() {
    // Often enough that a later start is answered within a second, seldom enough to cost the
    // restore nothing that shows.
    if (!QCoreApplication::instance() || restoreEvents_.elapsed() < restoreEventsEvery_) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    restoreEvents_.restart();
}

bool PinBoard::PlaceStored(pin_list::Pin& pin, platform::PictureDecodes& decodes) {
    std::unique_ptr<pinned_window::PinnedWindow> window(NewWindow());
    window->Place(pin.geometry);
    // The probe drops a trailing "/" from the path, which is then what is listed.
    if (!store::FileExists(pin.entry.path)) {
        QFile probe;
        const platform::ReadError why = platform::OpenForReading(pin.entry.path, probe);
        const QString reason = why == platform::ReadError::CannotOpen
                                   ? QString::fromLocal8Bit(std::strerror(errno))
                                   : platform::DescribeReadError(why);
        qWarning("vellora: %s is left out: %s", qPrintable(pin.entry.path.DisplayText()),
                 qPrintable(reason));
        return false;
    }
    const platform::PictureLoad load =
        decodes.Take(pin.entry.path, window->DecodeTarget(), pin.settings.transform);
    if (!load) {
        qWarning("vellora: %s is left out: %s", qPrintable(pin.entry.path.DisplayText()),
                 qPrintable(platform::DescribePictureError(load.error)));
        return false;
    }
    // The settings first: the picture comes transformed as they say.
    window->SetSettings(pin.settings);
    window->SetPicture(load.picture);
    window->SetMarks(list_->Marks().Of(pin.settings.marks));
    // Shown once the list says so: not while every pin is hidden.
    windows_.insert(pin.id, window.release());
    return true;
}

void PinBoard::LookForWaitingFolders() {
    platform::PictureDecodes decodes(thumbnails_);
    list_->PlaceWaiting([this, &decodes](pin_list::Pin& pin) { return PlaceStored(pin, decodes); });
}

bool PinBoard::ForgetWaiting(const store::PictureEntry& entry) {
    for (int row = 0; row < list_->Count(); ++row) {
        const pin_list::Pin& pin = list_->At(row);
        if (pin.state != PinState::Waiting || pin.entry != entry) continue;
        list_->Remove(pin.id);
        return true;
    }
    return false;
}

void PinBoard::WatchWhileWaiting() {
    mountWatch_->SetActive(list_->AnyWaiting());
}

void PinBoard::HideAll() {
    list_->HideAll();
}

void PinBoard::ShowAll() {
    list_->ShowAll();
}

void PinBoard::MakeAllSolid() {
    list_->ChangeAllSettings([](store::PinSettings& settings) { settings.clickThrough = false; });
}

QList<store::PinSettings> PinBoard::Settings() const {
    return list_->Settings();
}

void PinBoard::ShowOriginalSize(pinned_window::PinnedWindow* window) {
    const pin_list::PinId id = IdOf(window);
    if (!id || !window->Picture()) return;
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
    list_->SetGeometry(id, window->Rect());
    list_->Save();
}

void PinBoard::FollowIfAsked(pin_list::PinId id) {
    pinned_window::PinnedWindow* window = WindowOf(id);
    const pin_list::Pin* pin = list_->Find(id);
    if (!window) return;
    if (pin && pin->settings.followFile) {
        follower_->Follow(window, pin->entry.path);
    } else {
        follower_->Stop(window);
    }
}

void PinBoard::ShowFollowedPicture(pinned_window::PinnedWindow* window,
                                   const platform::Picture& picture) {
    const pin_list::PinId id = IdOf(window);
    if (!id || picture->UprightSize().isEmpty()) return;
    window->SetPicture(picture);
    // A crop that no longer fits the new picture is clipped, or dropped.
    const platform::PictureTransform fitted = picture->Transform();
    list_->ChangeSettings(id, [&fitted](store::PinSettings& s) { s.transform = fitted; });
    // Whole pixels, as the window is drawn: the width stays, the height takes the new shape.
    const QSize natural = picture->NaturalSize();
    const int width = platform::ControlPixels(window->Width());
    const int height = std::max(1, qRound(double(width) * natural.height() / natural.width()));
    window->Place(window->Left(), window->Top(), window->Width(), platform::PixelsToTwips(height));
    list_->SetGeometry(id, window->Rect());
    // The new pixels first: the save waits for the disk.
    window->repaint();
    list_->Save();
}

void PinBoard::Pin(const Placement& placement) {
    // The file first: the record that names it is saved with the pin. Why a file was not
    // written was told as its write ended.
    if (writes_->Wait(placement.path)) return;
    pinned_window::PinnedWindow* window = NewWindow();
    // The picture unpinned last comes back as this pin, with what the user chose for it, or was
    // let go for another picture.
    store::PinSettings settings = newPinSettings_;
    if (IsUnpinned(placement.path)) {
        settings = unpinned_->settings;
        list_->Forget(unpinned_->id);
        unpinned_.reset();
    }
    // Its transform before its picture, which the display window showed transformed so.
    window->SetSettings(settings);
    window->SetPicture(placement.picture);
    window->Place(placement.rect);
    DiscardUnpinned();
    const pin_list::PinId id = list_->Add(placement.path, window->Rect(), settings);
    windows_.insert(id, window);
    // The settings as the list has them, its board given, not the placement's copy.
    Follow(id);
    // The picture was decoded for the display window with more detail than the pin shows: its
    // thumbnail saves the first restore a decode. Taken before the pinned window paints and drops
    // that detail.
    if (thumbnails_ && placement.picture) {
        platform::StoreThumbnailOf(*placement.picture, window->DecodeTarget(), *thumbnails_);
    }
    window->ShowPinned();
}

void PinBoard::Unpin(pinned_window::PinnedWindow* window) {
    // The picture on show first goes where it belongs, as before every new picture.
    if (pinShownPicture_) pinShownPicture_();
    const pin_list::PinId id = IdOf(window);
    const pin_list::Pin* pin = list_->Find(id);
    if (!pin) return;
    const Unpinned picture{pin->entry.path, window->Picture(), window->Rect(),
                           window->PictureWidth(), window->PictureHeight()};
    // One unpinned before and neither pinned again nor removed is not lost.
    DiscardUnpinned();
    unpinned_ = list_->Unpin(id);
    emit unpinned(picture);
}

void PinBoard::Transform(pinned_window::PinnedWindow* window,
                         const platform::PictureTransform& after) {
    const pin_list::PinId id = IdOf(window);
    const pin_list::Pin* pin = list_->Find(id);
    if (!pin || !window->Picture() || pin->settings.transform == after) return;
    const platform::PictureTransform before = pin->settings.transform;
    const QSize upright = window->Picture()->UprightSize();
    // One history for the pin: its marks' steps and its transforms'.
    marks::MarkSet* set = list_->MarksToEdit(id);
    pin = list_->Find(id);
    if (!set || !pin) return;
    const QString key = pin->settings.marks;
    // The marks go where the picture's pixels go.
    const QTransform moved = platform::ShownFromUprightMatrix(before, upright).inverted() *
                             platform::ShownFromUprightMatrix(after, upright);
    set->MapAll(moved, [this, key, before, after, upright](bool redone) {
        Retransform(key, redone ? before : after, redone ? after : before, upright);
    });
    list_->Marks().SaveNow();
}

void PinBoard::Retransform(const QString& marksKey, const platform::PictureTransform& from,
                           const platform::PictureTransform& to, QSize upright) {
    // The pin of the history, wherever it is now: pinned again since, or gone.
    for (auto it = windows_.cbegin(); it != windows_.cend(); ++it) {
        const pin_list::Pin* pin = list_->Find(it.key());
        if (!pin || pin->settings.marks != marksKey) continue;
        pinned_window::PinnedWindow* window = it.value();
        const QScreen* screen = window->screen();
        const QRectF placed =
            sizing::RetransformedPin(QRectF(window->OuterPixels()), upright, from, to,
                                     screen ? QRectF(screen->availableGeometry()) : QRectF());
        // The turned pixels first, then the list, which the window then already follows: its
        // saves wait for the disk.
        store::PinSettings settings = pin->settings;
        settings.transform = to;
        window->SetSettings(settings);
        window->Place(platform::PixelsToTwips(qRound(placed.left())),
                      platform::PixelsToTwips(qRound(placed.top())),
                      platform::PixelsToTwips(qRound(placed.width())),
                      platform::PixelsToTwips(qRound(placed.height())));
        window->repaint();
        const pin_list::PinId id = it.key();
        list_->SetGeometry(id, window->Rect());
        list_->SetSettings(id, settings);
        list_->Save();
        return;
    }
}

void PinBoard::Raise(pin_list::PinId id) {
    pinned_window::PinnedWindow* window = WindowOf(id);
    if (!window) return;
    list_->SetShown(id, true);
    window->raise();
    // An outline of its own over the pin, so that the pin's look is never touched.
    auto* outline = new QRubberBand(QRubberBand::Rectangle);
    outline->setAttribute(Qt::WA_TransparentForMouseEvents);
    outline->setGeometry(window->frameGeometry());
    outline->show();
    QTimer::singleShot(kOutlineMs, outline, &QObject::deleteLater);
}

void PinBoard::Unpin(pin_list::PinId id) {
    if (pinned_window::PinnedWindow* window = WindowOf(id)) Unpin(window);
}

void PinBoard::DeletePin(pin_list::PinId id) {
    list_->Remove(id);
}

platform::Pasted PinBoard::WritePasted(const QImage& pixels, platform::PngWrites::Encoder encode,
                                       platform::PngWrites::Ended ended) {
    return writes_->Start(pixels, encode, list_->Folder().PastedFolder(), std::move(ended));
}

void PinBoard::Delete(const platform::FilePath& file) {
    // Not before it is written, or the write would bring it back.
    writes_->Wait(file);
    if (unpinned_ && (file.IsEmpty() || unpinned_->entry.path == file)) {
        DiscardUnpinned();
    } else if (Save().ok) {
        DeletePastedFile(file);
    }
}

void PinBoard::DiscardUnpinned() {
    if (!unpinned_) return;
    const pin_list::PinId id = unpinned_->id;
    unpinned_.reset();
    list_->Remove(id);
}

std::optional<QString> PinBoard::RestoreRemoved(int index) {
    platform::PictureDecodes decodes(thumbnails_);
    const pin_list::PinList::Restored restored = list_->RestoreRemoved(
        index, [this, &decodes](pin_list::Pin& pin) { return PlaceStored(pin, decodes); });
    if (restored.id) return std::nullopt;
    qWarning("vellora: %s", qPrintable(restored.failure));
    return restored.failure;
}

void PinBoard::DeletePastedFile(const platform::FilePath& file) const {
    // Only once the list that no longer names it is saved.
    QList<platform::FilePath> named;
    for (const store::PictureEntry& entry : list_->Entries()) named.append(entry.path);
    platform::DeleteOwnPictureIfUnnamed(file, list_->Folder().OwnPictureFolders(), named);
}

std::optional<QImage> PinBoard::PictureLeaving(const pinned_window::PinnedWindow* window) const {
    const pin_list::Pin* pin = list_->Find(IdOf(window));
    if (!pin || !window->Picture()) return std::nullopt;
    // The whole picture, not the smaller copy on show; that one when the file has gone.
    const platform::PictureLoad whole =
        platform::LoadPicture(pin->entry.path, {}, nullptr, pin->settings.transform);
    const QImage& pixels = whole ? whole.picture->Pixels() : window->Picture()->Pixels();
    const marks::MarkSet* marks = window->Marks();
    if (!marks || marks->IsEmpty() || !pin->settings.showMarks) return pixels;
    // Marks are measured in the picture's own pixels; a smaller copy is marked at its own size.
    const QSizeF natural = window->Picture()->NaturalSize();
    if (pixels.size() == natural.toSize()) return marks::WithMarks(pixels, marks->Marks());
    return marks::WithMarks(pixels.scaled(natural.toSize()), marks->Marks());
}

void PinBoard::SaveAs(pinned_window::PinnedWindow* window) {
    const std::optional<QImage> picture = PictureLeaving(window);
    const pin_list::Pin* pin = list_->Find(IdOf(window));
    if (!picture || !pin) return;
    const QString suggested =
        QFileInfo(pin->entry.path.DisplayText()).completeBaseName() + QStringLiteral(".png");
    const QString file = QFileDialog::getSaveFileName(
        window, tr("名前を付けて保存"), suggested,
        tr("PNG 画像 (*.png);;JPEG 画像 (*.jpg *.jpeg);;WebP 画像 (*.webp)"));
    if (file.isEmpty()) return;
    if (const std::optional<QString> failure = platform::SavePicture(*picture, file)) {
        qWarning("vellora: %s", qPrintable(*failure));
        QMessageBox::warning(window, tr("名前を付けて保存"), *failure);
    }
}

void PinBoard::DragOut(pinned_window::PinnedWindow* window) {
    const std::optional<QImage> picture = PictureLeaving(window);
    const pin_list::Pin* pin = list_->Find(IdOf(window));
    if (!picture || !pin) return;
    if (!dragFolder_) dragFolder_ = std::make_unique<QTemporaryDir>();
    // A file of its own for each drag: the program it went to may read it long after.
    const QString name = QFileInfo(pin->entry.path.DisplayText()).completeBaseName();
    const QString file =
        dragFolder_->filePath(QStringLiteral("%1-%2.png")
                                  .arg(name.isEmpty() ? QStringLiteral("pin") : name)
                                  .arg(++drags_));
    // Encoded once: the file and the drag's own data are the same bytes.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!dragFolder_->isValid() || !picture->save(&buffer, "PNG") ||
        !platform::WriteOwnFile(platform::FilePath::FromText(file), png, platform::Existing::Keep)
             .ok) {
        qWarning("vellora: the picture cannot be dragged out: no file could be written for it");
        return;
    }
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file)});
    data->setData(QStringLiteral("image/png"), png);
    auto* drag = new QDrag(window);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(
        picture->scaled(QSize(160, 160), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    drag->exec(Qt::CopyAction);
}

store::SaveResult PinBoard::Save() {
    return list_->Save();
}

}  // namespace pin_board
