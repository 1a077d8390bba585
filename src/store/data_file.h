#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// The data file "zuzerid.dat": two CR LF lines per pinned picture, the geometry in 14-column
// print zones and then the path.
namespace platform {
class SequentialReader;
}

namespace store {

class PictureList;

inline const QString kDataFileName = QStringLiteral("zuzerid.dat");

// The whole file as SaveAll writes it. A path holding a comma, or starting with a blank or a
// quote, is written in double quotes so that it reads back whole; a path holding a line break
// cannot be written on one line and is left out.
QByteArray FormatRecords(const PictureList& list);

// Rewrites the data file from the list. The file is replaced only once every byte is written:
// on failure the previous file stays as it was, a warning goes to standard error, and false is
// returned (callers carry on either way).
bool SaveAll(const PictureList& list, const QString& fileName = kDataFileName);

// Whether the file can be opened for reading. An empty path gives false. A path ending in "/"
// loses that last character first, and the caller's text keeps the shortened path.
bool FileExists(QString& path);

struct Record {
    double left = 0, top = 0, width = 0, height = 0;
    QString path;
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
