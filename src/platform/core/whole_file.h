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

WriteResult WriteWholeFile(const QString& fileName, const QByteArray& bytes);

class FilePath;

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

// Opens the file these bytes name for reading, whatever its name's encoding; `file` takes over
// the descriptor. Every read of a file by its name goes through here: anything but a regular
// file is refused before a byte of it is read, and without waiting for a FIFO's writer.
ReadError OpenForReading(const FilePath& path, QFile& file);

struct WholeFile {
    std::optional<QByteArray> bytes;
    ReadError error = ReadError::None;
};
// The whole file, at most kMaxWholeFileBytes (a test may lower the limit).
WholeFile ReadFile(const FilePath& path, qint64 limit = kMaxWholeFileBytes);
std::optional<QByteArray> ReadWholeFile(const FilePath& path);
// Words for a log line.
QString DescribeReadError(ReadError error);

// For tests: counts how often the file at `path` is opened for reading (by ReadFile,
// OpenForReading or CanOpenForReading, from any thread) while the object lives. One at a time.
class ReadCounter {
public:
    explicit ReadCounter(const FilePath& path);
    ~ReadCounter();
    ReadCounter(const ReadCounter&) = delete;
    ReadCounter& operator=(const ReadCounter&) = delete;
    int Count() const;
};

// Opens for append and closes at once: creates an empty file where none existed.
bool CreateIfMissing(const QString& fileName);

// True when the name can be opened for reading as a regular file; reads nothing.
bool CanOpenForReading(const FilePath& path);

// Whether the path names a folder (following symbolic links).
bool IsFolder(const FilePath& path);

}  // namespace platform
