#pragma once

#include <QDateTime>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/core/own_pictures.h"

class QImage;
class QMimeData;

// Pictures taken from the clipboard or from a drop of image data, and captured from the screen:
// written as PNG files into the data folder's "pasted" or "captured" folder, which hold only such
// files, so that they can be pinned as any file is and deleted again with their pin.
namespace platform {

enum class PasteError {
    NoPicture,   // nothing, or nothing that is a picture
    NotWritten,  // the picture could not be written
};

struct PasteFailure {
    PasteError error;
    QString reason;  // for standard error
};

// What a paste gives: the picture file to open, or why there is none.
struct Pasted {
    FilePath file;
    std::optional<PasteFailure> failure;
    explicit operator bool() const { return !failure; }
};

// Whether the data holds image data, or a text/uri-list naming a local file.
bool MayHoldPicture(const QMimeData* data);

// Takes the picture the data holds. A copied file (a text/uri-list) is handed on where it is, for
// the caller to check and open. Image data of any type Qt reads is written losslessly as a PNG
// file into `pastedFolder` (made when missing), named from `now` and never over another file:
// a PNG as the bytes it came in, once they are checked whole, anything else encoded anew.
Pasted TakePicture(const QMimeData* data, const QString& pastedFolder,
                   const QDateTime& now = QDateTime::currentDateTime());

// Deletes `file` when it is a regular file directly in one of `ownFolders` ("pasted" and
// "captured" beside the data file, see store::DataFolder), both as written and by their
// canonical paths, that folder no link (a symbolic link is not followed, and nothing elsewhere
// is touched), and none of `named` names the same file. Whether it was deleted.
bool DeleteOwnPictureIfUnnamed(const FilePath& file, const QStringList& ownFolders,
                               const QList<FilePath>& named);

// The picture as PNG bytes, losslessly, at the level that writes fastest.
std::optional<QByteArray> EncodePng(const QImage& image);
// Writes the PNG bytes into `folder` (made when missing), named from `now`, never over another
// file nor through a link (platform::WriteOwnFile).
Pasted WriteNewPng(const QByteArray& png, const QString& folder,
                   const QDateTime& now = QDateTime::currentDateTime());

// How a write of PngWrites ended: the bytes now in the file, or why there is no file.
struct PngWritten {
    FilePath file;
    QByteArray png;  // empty when it failed
    std::optional<PasteFailure> failure;
};

// Pictures the program drew, encoded and written as new PNG files on worker threads, so that
// a picture is on the screen before its file is on the disk. The file is named at once; what
// needs the file itself (a record naming it, its deletion, what is kept under its bytes) waits
// for its write first. Lives on one thread, which hears how every write ended.
class PngWrites : public QObject {
public:
    // Runs on a worker thread: the picture's PNG bytes, none when it cannot be encoded.
    using Encoder = std::optional<QByteArray> (*)(const QImage&);
    using Ended = std::function<void(const PngWritten&)>;

    PngWrites() = default;
    // Waits for the writes still running, so that none is cut short; their ends are not heard.
    ~PngWrites() override;
    PngWrites(const PngWrites&) = delete;
    PngWrites& operator=(const PngWrites&) = delete;

    // Names a new PNG file in `folder` as WriteNewPng does, never one that another write has
    // named, and encodes and writes `image` into it on a worker thread. `ended` hears how it
    // went, on this object's thread, once: when the write is done, or in a Wait for it. The
    // file to show the picture as, or why none could be named.
    Pasted Start(const QImage& image, Encoder encode, const QString& folder, Ended ended,
                 const QDateTime& now = QDateTime::currentDateTime());
    // Waits for the write of `file` when it was started here and lets its `ended` hear it
    // first. Why the file was not written, if it was not: a failed write says so every time.
    std::optional<PasteFailure> Wait(const FilePath& file);
    // Waits for every write under way, as Wait does.
    void WaitForAll();

private:
    struct Write {
        QFutureWatcher<PngWritten>* watcher;  // a child of this object
        Ended ended;
    };
    void End(const QByteArray& key);

    std::map<QByteArray, Write> writes_;         // by the file's path, until heard
    std::map<QByteArray, PasteFailure> failed_;  // names no later write takes either
};

}  // namespace platform
