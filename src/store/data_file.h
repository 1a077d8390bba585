#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

#include "platform/core/file_path.h"
#include "platform/core/number_text.h"
#include "platform/core/whole_file.h"

// The data file "zuzerid.dat": two CR LF lines per pinned picture, the geometry in 14-column
// print zones and then the path, as the file system's own bytes.
namespace store {

inline const QString kDataFileName = QStringLiteral("zuzerid.dat");

// One pinned picture: the path of its file, and Left, Top, Width and Height of its pinned window
// as number text, exactly as the data file holds them. Or lines of the data file that do not
// read as a record: kept as they were, in their place, and written back byte for byte, so that
// a damaged line or a hand-written note is never lost.
struct PictureEntry {
    PictureEntry() = default;
    PictureEntry(platform::FilePath picture, std::array<QString, 4> texts)
        : path(std::move(picture)), geometry(std::move(texts)) {}
    static PictureEntry Unread(QByteArray lines, bool endsReading) {
        PictureEntry entry;
        entry.unreadLines = std::move(lines);
        entry.endsReading = endsReading;
        return entry;
    }

    platform::FilePath path;
    std::array<QString, 4> geometry;
    QByteArray unreadLines;  // with their line breaks; empty for a picture
    // Unread lines from an empty path on: the reading stops there, so they stay last.
    bool endsReading = false;

    bool IsUnread() const { return !unreadLines.isEmpty(); }
    bool operator==(const PictureEntry&) const = default;
};

// How a save went: on failure, why, in words for the user.
using SaveResult = platform::WriteResult;

// The whole file as SaveAll writes it. A path holding a comma, or starting with a blank or a
// quote, is written in double quotes so that it reads back whole; a path holding a line break
// cannot be written on one line and is left out. Unread lines are written as they were read.
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

// The four geometry texts of a record, as the list and the data file keep them: the one place
// they are made. A record read keeps the texts of its numbers as read; a pin the program placed,
// those of the float rectangle its window has.
template <typename Number>
std::array<QString, 4> GeometryTexts(Number left, Number top, Number width, Number height) {
    return {platform::NumberText(left), platform::NumberText(top), platform::NumberText(width),
            platform::NumberText(height)};
}

// The number text of the record's geometry, as the list and the data file keep it.
PictureEntry EntryOf(const Record& record);

// Why reading stopped before the end of the data, if it did.
enum class ReadStop {
    EndOfData,  // every record was read
    CutShort,   // the data ends inside a record, which is kept unread
    EmptyPath,  // a record with an empty path: it and everything after it are kept unread
};

// Lines that do not read as a record: numbers that are not four usable ones, a path line with
// no numbers before it, notes written by hand.
struct UnreadLines {
    qsizetype before = 0;  // how many records come before them
    qsizetype at = 0;      // where they begin in the data
    int firstLine = 0;     // their line numbers, from 1, for people to find them
    int lastLine = 0;
    QByteArray bytes;
};

struct DataFileContents {
    // The records with usable geometry, in file order.
    QList<Record> records;
    // Lines passed over, in file order. A damaged record costs only its own lines: reading goes
    // on at the next line that starts a record.
    QList<UnreadLines> unread;
    ReadStop stop = ReadStop::EndOfData;
    qsizetype stoppedAt = 0;  // where the record that stopped the reading began
};

// Reads a whole data file: the one reader of the format, for the restore and every check of it.
// A record is a line of four numbers and nothing else, and the line after it, its path.
DataFileContents ReadDataFile(const QByteArray& data);

// Every record and every unread piece, in file order, as the list keeps them.
QList<PictureEntry> EntriesOf(const DataFileContents& contents);

// "lines 3-4, 9" for people to find the unread lines in the file.
QString DescribeUnread(const QList<UnreadLines>& unread);

// Geometry no window could have: a size of zero or less, or a value of 2^31 twips or more,
// either as read or as a save would write it.
bool IsUsableGeometry(const Record& record);

}  // namespace store
