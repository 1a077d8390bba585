#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
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

}  // namespace platform
