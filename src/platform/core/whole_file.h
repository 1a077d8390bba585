#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QFile;

// Whole-file reads and writes. A write goes to a temporary file in the same folder and is
// renamed over the old file only when every byte reached the disk, so a failed save leaves the
// previous file as it was.
namespace platform {

struct WriteResult {
    bool ok = true;
    QString error;  // why the write failed, in words for a log line
};

class FilePath;

// The user's own files (the data file and the lists beside it): one may be a symbolic link to a
// regular file, kept in a synced folder say, and is then written in the link's target. Anything
// else in its place (a device, a FIFO, a folder, a link to one of those or to nothing) is
// refused and left as it is.
WriteResult WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// Whether a write of the program's own file may replace a file of that name.
enum class Existing { Replace, Keep };
// The files the program makes for itself (caches, thumbnails, the pictures it keeps): never
// written through a symbolic link, nor over anything but a regular file. Whatever else stands
// in the file's place is left alone and the write refused; the folder may be a link. With
// Existing::Keep a file already there is not replaced either. `mode` is the new file's.
WriteResult WriteOwnFile(const FilePath& path, const QByteArray& bytes,
                         Existing existing = Existing::Replace, int mode = 0644);

// Why a file was not read.
enum class ReadError {
    None,
    CannotOpen,  // missing, or not ours to read
    NotAFile,    // a folder, a FIFO, a socket or a device
    TooLarge,    // more than kMaxWholeFileBytes
};

// Far beyond any picture or list this program keeps; a file larger than this (or one that never
// ends) is refused rather than read into memory.
inline constexpr qint64 kMaxWholeFileBytes = qint64(1) << 30;

// Whether a read follows a symbolic link in the file's own name: the user's files may be links,
// the program's own files never are (a link there is someone else's, and counts as no file).
enum class Links { Follow, Refuse };

// Opens the file these bytes name for reading, whatever its name's encoding; `file` takes over
// the descriptor. Every read of a file by its name goes through here: anything but a regular
// file is refused before a byte of it is read, and without waiting for a FIFO's writer.
ReadError OpenForReading(const FilePath& path, QFile& file, Links links = Links::Follow);

struct WholeFile {
    std::optional<QByteArray> bytes;
    ReadError error = ReadError::None;
};
// The whole file, at most kMaxWholeFileBytes (a test may lower the limit).
WholeFile ReadFile(const FilePath& path, qint64 limit = kMaxWholeFileBytes,
                   Links links = Links::Follow);
std::optional<QByteArray> ReadWholeFile(const FilePath& path);
// Words for a log line.
QString DescribeReadError(ReadError error);

// Opens for append and closes at once: creates an empty file where none existed.
bool CreateIfMissing(const QString& fileName);

// True when the name can be opened for reading as a regular file; reads nothing.
bool CanOpenForReading(const FilePath& path);

// Whether the path names a folder (following symbolic links).
bool IsFolder(const FilePath& path);
// Whether the path names a folder itself, not a symbolic link to one.
bool IsRealFolder(const FilePath& path);

}  // namespace platform
