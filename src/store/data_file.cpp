#include "store/data_file.h"

#include <QtGlobal>
#include <cmath>

#include "platform/number_text.h"
#include "platform/sequential_file.h"
#include "platform/whole_file.h"

namespace store {

namespace {

bool NeedsQuotes(const QByteArray& path) {
    return path.contains(',') || (!path.isEmpty() && (path.front() == '"' || path.front() == ' ' ||
                                                      path.front() == '\t'));
}

QByteArray PathLine(const QByteArray& path) {
    if (!NeedsQuotes(path)) return path + "\r\n";
    QByteArray quoted = path;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + "\"\r\n";
}

enum class RecordRead {
    Record,     // four numbers and a path (which may be empty)
    Malformed,  // a field that is not a usable number: the record is passed over
    CutShort,   // the data ends inside the record
};

RecordRead ReadRecord(platform::SequentialReader& reader, Record* record) {
    using Status = platform::SequentialReader::Status;
    double* fields[] = {&record->left, &record->top, &record->width, &record->height};
    bool usable = true;
    for (double* field : fields) {
        const auto number = reader.ReadNumber();
        if (number.status == Status::EndOfData) return RecordRead::CutShort;
        if (number.status == Status::NotANumber) {
            // The rest of this line belongs to the broken record; its path line follows.
            reader.SkipLine();
            usable = false;
            break;
        }
        *field = number.value;
    }
    const auto text = reader.ReadText();
    if (text.status == Status::EndOfData) {
        return usable ? RecordRead::CutShort : RecordRead::Malformed;
    }
    record->path = platform::FilePath(text.bytes);
    if (!usable || !IsUsableGeometry(*record)) return RecordRead::Malformed;
    return RecordRead::Record;
}

}  // namespace

QByteArray FormatRecords(const QList<PictureEntry>& entries) {
    QByteArray bytes;
    for (const PictureEntry& entry : entries) {
        const QByteArray& path = entry.path.Bytes();
        if (path.contains('\r') || path.contains('\n')) {
            qWarning("vellora: a picture path holding a line break cannot be saved: %s",
                     qPrintable(entry.path.DisplayText()));
            continue;
        }
        const auto& [left, top, width, height] = entry.geometry;
        bytes += platform::PrintZoneLine(
            {left.toLatin1(), top.toLatin1(), width.toLatin1(), height.toLatin1()});
        bytes += PathLine(path);
    }
    return bytes;
}

SaveResult SaveAll(const QList<PictureEntry>& entries, const QString& fileName) {
    SaveResult result = platform::WriteWholeFile(fileName, FormatRecords(entries));
    if (!result.ok) {
        qWarning("vellora: could not save %s: %s; the previous file is kept", qPrintable(fileName),
                 qPrintable(result.error));
    }
    return result;
}

bool FileExists(platform::FilePath& path) {
    if (path.IsEmpty()) return false;
    if (path.EndsWith('/')) path.Chop(1);
    return platform::CanOpenForReading(path);
}

PictureEntry EntryOf(const Record& record) {
    return {record.path,
            {platform::NumberText(record.left), platform::NumberText(record.top),
             platform::NumberText(record.width), platform::NumberText(record.height)}};
}

DataFileContents ReadDataFile(const QByteArray& data) {
    DataFileContents contents;
    platform::SequentialReader reader(data);
    while (!reader.AtEnd()) {
        const qsizetype start = reader.Position();
        Record record;
        switch (ReadRecord(reader, &record)) {
            case RecordRead::CutShort:
                contents.stop = ReadStop::CutShort;
                contents.stoppedAt = start;
                return contents;
            case RecordRead::Malformed:
                contents.malformedAt.append(start);
                continue;
            case RecordRead::Record:
                break;
        }
        if (record.path.IsEmpty()) {
            contents.stop = ReadStop::EmptyPath;
            contents.stoppedAt = start;
            return contents;
        }
        contents.records.append(std::move(record));
    }
    contents.stoppedAt = data.size();
    return contents;
}

bool IsUsableGeometry(const Record& record) {
    constexpr double kGiant = 2147483648.0;
    for (double value : {record.left, record.top, record.width, record.height}) {
        if (!std::isfinite(value) || std::fabs(value) >= kGiant) return false;
        // Judged as a save writes it too (15 significant digits): 2147483647.999999 is written
        // as 2147483648, which the next start would refuse, losing the picture then.
        double written = 0;
        if (!platform::ParseNumberField(platform::NumberText(value).toLatin1(), &written) ||
            std::fabs(written) >= kGiant) {
            return false;
        }
    }
    return record.width > 0 && record.height > 0;
}

}  // namespace store
