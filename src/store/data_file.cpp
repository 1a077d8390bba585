#include "store/data_file.h"

#include <QStringList>
#include <QtGlobal>
#include <cmath>
#include <optional>

#include "platform/core/number_text.h"
#include "platform/core/sequential_file.h"
#include "platform/core/whole_file.h"

namespace store {

namespace {

// The four numbers of a line that holds them and nothing else.
std::optional<Record> NumbersOf(const QByteArray& line) {
    platform::SequentialReader reader(line);
    Record record;
    for (double* field : {&record.left, &record.top, &record.width, &record.height}) {
        const auto number = reader.ReadNumber();
        if (number.status != platform::SequentialReader::Status::Ok) return std::nullopt;
        *field = number.value;
    }
    if (!reader.AtEnd()) return std::nullopt;
    return record;
}

bool NeedsQuotes(const QByteArray& path) {
    // A path that reads as four numbers would be taken for the next record's first line.
    return path.contains(',') ||
           (!path.isEmpty() &&
            (path.front() == '"' || path.front() == ' ' || path.front() == '\t')) ||
           NumbersOf(path).has_value();
}

QByteArray PathLine(const QByteArray& path) {
    if (!NeedsQuotes(path)) return path + "\r\n";
    QByteArray quoted = path;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + "\"\r\n";
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// One line of the data: [begin, end) without its line break, which ends before `next`.
struct Line {
    qsizetype begin = 0, end = 0, next = 0;
};

Line LineAt(const QByteArray& data, qsizetype begin) {
    Line line{begin, begin, begin};
    while (line.end < data.size() && !IsLineBreak(data[line.end])) ++line.end;
    // CR LF, or a lone LF or CR: files edited elsewhere may have either.
    line.next = line.end;
    if (line.next < data.size() && data[line.next] == '\r') ++line.next;
    if (line.next < data.size() && data[line.next] == '\n') ++line.next;
    return line;
}

bool IsBlank(const QByteArray& data, const Line& line) {
    for (qsizetype i = line.begin; i < line.end; ++i) {
        if (data[i] != ' ' && data[i] != '\t') return false;
    }
    return true;
}

std::optional<Record> NumbersOf(const QByteArray& data, const Line& line) {
    return NumbersOf(data.mid(line.begin, line.end - line.begin));
}

// Gathers the unread lines into pieces: a run of unread lines, blank lines between them
// included, is one piece. Line numbers are counted on from the last piece, once over the data.
class UnreadRun {
public:
    UnreadRun(const QByteArray& data, DataFileContents& contents)
        : data_(data), contents_(contents) {}
    void Add(const Line& line) {
        if (begin_ < 0) begin_ = line.begin;
        lastBegin_ = line.begin;
        end_ = line.next;
    }
    void Close() {
        if (begin_ < 0) return;
        const int first = LineNumberAt(begin_);
        const int last = LineNumberAt(lastBegin_);
        contents_.unread.append(
            {contents_.records.size(), begin_, first, last, data_.mid(begin_, end_ - begin_)});
        begin_ = -1;
    }

private:
    // The number of the line that begins at `at`, at or after the last one asked for.
    int LineNumberAt(qsizetype at) {
        for (; counted_ < at; counted_ = LineAt(data_, counted_).next) ++number_;
        return number_;
    }

    const QByteArray& data_;
    DataFileContents& contents_;
    qsizetype begin_ = -1, lastBegin_ = 0, end_ = 0;
    qsizetype counted_ = 0;
    int number_ = 1;
};

}  // namespace

QByteArray FormatRecords(const QList<PictureEntry>& entries) {
    QByteArray bytes;
    for (const PictureEntry& entry : entries) {
        // Unread lines that ended the file without a line break get one once more follows.
        if (!bytes.isEmpty() && !IsLineBreak(bytes.back())) bytes += "\r\n";
        if (entry.IsUnread()) {
            bytes += entry.unreadLines;
            continue;
        }
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
    return {record.path, GeometryTexts(record.left, record.top, record.width, record.height)};
}

DataFileContents ReadDataFile(const QByteArray& data) {
    DataFileContents contents;
    UnreadRun run(data, contents);
    qsizetype pos = 0;
    // The rest of the data, from the record at `begin` on, kept unread.
    const auto stopAt = [&](ReadStop stop, qsizetype begin) {
        run.Close();
        for (qsizetype at = begin; at < data.size(); at = LineAt(data, at).next) {
            run.Add(LineAt(data, at));
        }
        run.Close();
        contents.stop = stop;
        contents.stoppedAt = begin;
    };
    while (pos < data.size()) {
        const Line numbers = LineAt(data, pos);
        pos = numbers.next;
        if (IsBlank(data, numbers)) continue;
        std::optional<Record> record = NumbersOf(data, numbers);
        if (!record) {
            run.Add(numbers);
            continue;
        }
        // No path line, or only blanks with no line break after them: the data ends inside
        // the record.
        const Line path = LineAt(data, numbers.next);
        if (numbers.next >= data.size() ||
            (path.next == data.size() && path.end == path.next && IsBlank(data, path))) {
            stopAt(ReadStop::CutShort, numbers.begin);
            return contents;
        }
        // A path line that is itself a line of numbers: this record lost its path, and the
        // next one starts there.
        if (NumbersOf(data, path)) {
            run.Add(numbers);
            continue;
        }
        record->path = platform::FilePath(
            platform::SequentialReader(data.mid(path.begin, path.end - path.begin))
                .ReadText()
                .bytes);
        if (record->path.IsEmpty()) {
            stopAt(ReadStop::EmptyPath, numbers.begin);
            return contents;
        }
        pos = path.next;
        if (!IsUsableGeometry(*record)) {
            run.Add(numbers);
            run.Add(path);
            continue;
        }
        run.Close();
        contents.records.append(std::move(*record));
    }
    run.Close();
    contents.stoppedAt = data.size();
    return contents;
}

QList<PictureEntry> EntriesOf(const DataFileContents& contents) {
    QList<PictureEntry> entries;
    qsizetype next = 0;
    const auto unreadBefore = [&](qsizetype records) {
        for (; next < contents.unread.size() && contents.unread[next].before <= records; ++next) {
            entries.append(PictureEntry::Unread(
                contents.unread[next].bytes, contents.stop == ReadStop::EmptyPath &&
                                                 contents.unread[next].at == contents.stoppedAt));
        }
    };
    for (qsizetype i = 0; i < contents.records.size(); ++i) {
        unreadBefore(i);
        entries.append(EntryOf(contents.records[i]));
    }
    unreadBefore(contents.records.size());
    return entries;
}

QString DescribeUnread(const QList<UnreadLines>& unread) {
    QStringList pieces;
    for (const UnreadLines& lines : unread) {
        pieces.append(lines.firstLine == lines.lastLine
                          ? QString::number(lines.firstLine)
                          : QStringLiteral("%1-%2").arg(lines.firstLine).arg(lines.lastLine));
    }
    return (unread.size() == 1 && unread[0].firstLine == unread[0].lastLine
                ? QStringLiteral("line ")
                : QStringLiteral("lines ")) +
           pieces.join(QStringLiteral(", "));
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
