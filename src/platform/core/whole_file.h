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

// Opens the file these bytes name for reading, whatever its name's encoding; `file` takes over
// the descriptor. False for a folder or a file that cannot be opened.
bool OpenForReading(const FilePath& path, QFile& file);

std::optional<QByteArray> ReadWholeFile(const FilePath& path);

// Opens for append and closes at once: creates an empty file where none existed.
bool CreateIfMissing(const QString& fileName);

// True when the name can be opened for reading as a file (not a folder); reads nothing.
bool CanOpenForReading(const FilePath& path);

// Whether the path names a folder (following symbolic links).
bool IsFolder(const FilePath& path);

}  // namespace platform
