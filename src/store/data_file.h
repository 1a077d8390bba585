#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

#include "platform/file_path.h"
#include "platform/whole_file.h"

// The data file "zuzerid.dat": two CR LF lines per pinned picture, the geometry in 14-column
// print zones and then the path, as the file system's own bytes.
namespace platform {
class SequentialReader;
}

namespace store {

struct PictureEntry;

inline const QString kDataFileName = QStringLiteral("zuzerid.dat");

// The whole file as SaveAll writes it. A path holding a comma, or starting with a blank or a
// quote, is written in double quotes so that it reads back whole; a path holding a line break
// cannot be written on one line and is left out.
QByteArray FormatRecords(const QList<PictureEntry>& entries);

// Rewrites the data file from the entries. The file is replaced only once every byte is written:
// on failure the previous file stays as it was and a warning goes to standard error.
platform::WriteResult SaveAll(const QList<PictureEntry>& entries, const QString& fileName);

// Whether the file can be opened for reading. An empty path gives false. A path ending in "/"
// loses that last character first, and the caller's path keeps the shortened form.
bool FileExists(platform::FilePath& path);

struct Record {
    double left = 0, top = 0, width = 0, height = 0;
    platform::FilePath path;
};

// Reads records one after another; the caller tests AtEnd before each.
class RecordReader {
public:
    enum class Result {
        Record,     // four numbers and a path (which may be empty)
        Malformed,  // a field that is not a usable number: the record is passed over
        CutShort,   // the data ends inside the record
    };

    explicit RecordReader(QByteArray data);
    ~RecordReader();

    bool AtEnd() const;
    Result Read(Record* record);

private:
    std::unique_ptr<platform::SequentialReader> reader_;
};

// Geometry no window could have: a size of zero or less, or a value of 2^31 twips or more,
// either as read or as a save would write it.
bool IsUsableGeometry(const Record& record);

}  // namespace store
