#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "platform/core/file_path.h"

// The rules of the desktop's shared thumbnail cache, as file managers read and write it: where a
// file's thumbnail lives, which size class covers a picture shown at some size, and when a
// thumbnail still describes its file. No files are read here but the file's own status.
namespace platform {

struct ThumbnailClass {
    const char* folder;  // under the cache's root
    int size;            // the longest side of its thumbnails
};
inline constexpr ThumbnailClass kThumbnailClasses[] = {
    {"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}};
inline constexpr int kThumbnailClassCount = 4;

// "file://" and the absolute path's bytes percent-encoded as GLib encodes a file URI (it leaves
// "!$&'()*+,-./:=@_~" and letters and digits as they are), so that the name hashes as the file
// managers' do. Empty for a relative path.
QByteArray ThumbnailUri(const FilePath& path);
// The thumbnail's file name: the URI's MD5 in lower-case hex, and ".png".
QByteArray ThumbnailFileName(const QByteArray& uri);

// A thumbnail of the class: the picture scaled to `classSize` on its longest side, its shape
// kept, never enlarged.
QSize ThumbnailSizeFor(QSize natural, int classSize);
// Whether a thumbnail of `thumbnail` pixels can stand for a picture of `natural` pixels shown at
// `shown` device pixels: at least as large on both axes, no larger than the picture, and of its
// shape (within the pixel rounding takes).
bool ThumbnailCovers(QSize thumbnail, QSize natural, QSize shown);
// The smallest class (an index into kThumbnailClasses) whose thumbnail covers the picture shown
// at `shown`; none when even the largest does not.
std::optional<int> ThumbnailClassFor(QSize natural, QSize shown);
// The class whose thumbnail can be made from a copy of the picture decoded at `decoded` pixels
// for it shown at `shown`: the smallest that covers `shown` (ThumbnailClassFor), when the copy
// has the picture's shape and is at least that thumbnail's size on both axes, as a thumbnail is
// scaled down from the picture and never up; none otherwise.
std::optional<int> ThumbnailClassFrom(QSize natural, QSize decoded, QSize shown);

// What the cache checks a thumbnail against: the file's modification time in whole seconds and
// its size in bytes.
struct FileStamp {
    qint64 mtime = 0;
    qint64 size = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const FilePath& path);

// The text a thumbnail carries about its file; a key it lacks is a null string.
struct ThumbnailText {
    QString uri;    // Thumb::URI
    QString mtime;  // Thumb::MTime
    QString size;   // Thumb::Size, optional
};
// A thumbnail is current when it names the file's URI and modification time, and its size where
// it records one. Anything else (another file, an older version, unreadable numbers) is stale.
bool ThumbnailIsCurrent(const ThumbnailText& text, const QByteArray& uri, FileStamp stamp);

}  // namespace platform
