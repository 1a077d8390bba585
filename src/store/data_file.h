#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

#include "platform/file_path.h"
#include "platform/whole_file.h"

// The data file "zuzerid.dat": two CR LF lines per pinned picture, the geometry in 14-column
// print zones and then the path, as the file system's own bytes.
namespace store {

inline const QString kDataFileName = QStringLiteral("zuzerid.dat");

// One pinned picture: the path of its file, and Left, Top, Width and Height of its pinned window
// as number text, exactly as the data file holds them.
struct PictureEntry {
    platform::FilePath path;
    std::array<QString, 4> geometry;

    bool operator==(const PictureEntry&) const = default;
};

// How a save went: on failure, why, in words for the user.
using SaveResult = platform::WriteResult;

// The whole file as SaveAll writes it. A path holding a comma, or starting with a blank or a
// quote, is written in double quotes so that it reads back whole; a path holding a line break
// cannot be written on one line and is left out.
QByteArray FormatRecords(const QList<PictureEntry>& entries);

// Rewrites the data file from the entries. The file is replaced only once every byte is written:
// on failure the previous file stays as it was and a warning goes to standard error.
SaveResult SaveAll(const QList<PictureEntry>& entries, const QString& fileName);

// Whether the file can be opened for reading. An empty path gives false. A path ending in "/"
// loses that last character first, and the caller's path keeps the shortened form.
bool FileExists(platform::FilePath& path);

// One record as read: the four numbers and the path.
struct Record {
    double left = 0, top = 0, width = 0, height = 0;
    platform::FilePath path;
};

// The number text of the record's geometry, as the list and the data file keep it.
PictureEntry EntryOf(const Record& record);

// Why reading stopped before the end of the data, if it did.
enum class ReadStop {
    EndOfData,  // every record was read
    CutShort,   // the data ends inside a record, which is left out
    EmptyPath,  // a record with an empty path: it and everything after it are not read
};

struct DataFileContents {
    // The records with usable geometry, in file order, up to where reading stopped.
    QList<Record> records;
    // Records passed over for a field that is not a usable number, where each began.
    QList<qsizetype> malformedAt;
    ReadStop stop = ReadStop::EndOfData;
    qsizetype stoppedAt = 0;  // where the record that stopped the reading began
};

// Reads a whole data file: the one reader of the format, for the restore and every check of it.
DataFileContents ReadDataFile(const QByteArray& data);

// Geometry no window could have: a size of zero or less, or a value of 2^31 twips or more,
// either as read or as a save would write it.
bool IsUsableGeometry(const Record& record);

}  // namespace store
