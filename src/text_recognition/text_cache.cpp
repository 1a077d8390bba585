#include "text_recognition/text_cache.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/core/whole_file.h"

namespace text_recognition {
namespace {

// The cache file's layout, and how its words were read; a file of another version is not read.
// 2: read from the prepared picture and written as a person writes, in runs.
// 3: the codes in the picture first, each word saying whether it is one.
constexpr int kVersion = 3;
// Far beyond the words of any picture.
constexpr qint64 kMaxCacheFileBytes = 64 * 1024 * 1024;

}  // namespace

QJsonArray WordsToJson(const Words& words) {
    QJsonArray list;
    for (const Word& word : words) {
        list.append(QJsonArray{word.text, word.box.x(), word.box.y(), word.box.width(),
                               word.box.height(), word.line, static_cast<int>(word.code)});
    }
    return list;
}

std::optional<Words> WordsFromJson(const QJsonValue& value) {
    if (!value.isArray()) return std::nullopt;
    Words words;
    const QJsonArray rows = value.toArray();
    for (const auto& item : rows) {
        const QJsonArray row = item.toArray();
        if (row.size() != 7 || !row[0].isString()) return std::nullopt;
        for (qsizetype i = 1; i < row.size(); ++i) {
            if (!row[i].isDouble()) return std::nullopt;
        }
        const int code = row[6].toInt();
        if (code < 0 || code > static_cast<int>(Code::Barcode)) return std::nullopt;
        words.push_back({row[0].toString(),
                         QRect(row[1].toInt(), row[2].toInt(), row[3].toInt(), row[4].toInt()),
                         row[5].toInt(), static_cast<Code>(code)});
    }
    return words;
}

std::optional<FileIdentity> IdentityOf(const platform::FilePath& path) {
    struct stat status {};
    if (::stat(path.Bytes().constData(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{qint64(status.st_size),
                        qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

QString TextCache::FileFor(const platform::FilePath& path) const {
    const QByteArray hash = QCryptographicHash::hash(path.Bytes(), QCryptographicHash::Sha1);
    return folder_ + QLatin1Char('/') + QString::fromLatin1(hash.toHex()) + QStringLiteral(".json");
}

std::optional<Words> TextCache::Find(const platform::FilePath& path) const {
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) return std::nullopt;
    return Find(path, *identity);
}

std::optional<Words> TextCache::Find(const platform::FilePath& path, FileIdentity identity) const {
    // The cache is the program's own: a link, a FIFO or anything else in a cache file's place is
    // no cache, and is never waited on.
    const platform::WholeFile file = platform::ReadFile(
        platform::FilePath::FromText(FileFor(path)), kMaxCacheFileBytes, platform::Links::Refuse);
    if (!file.bytes) return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*file.bytes);
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("version")).toInt() != kVersion ||
        QByteArray::fromBase64(root.value(QLatin1String("path")).toString().toLatin1()) !=
            path.Bytes() ||
        root.value(QLatin1String("size")).toString() != QString::number(identity.size) ||
        root.value(QLatin1String("mtimeNs")).toString() != QString::number(identity.mtimeNs)) {
        return std::nullopt;
    }
    return WordsFromJson(root.value(QLatin1String("words")));
}

bool TextCache::Store(const platform::FilePath& path, FileIdentity identity,
                      const Words& words) const {
    if (!QDir().mkpath(folder_)) return false;
    // Sizes and times as text: a nanosecond time is beyond a double's exact integers.
    const QJsonObject root{
        {QLatin1String("version"), kVersion},
        {QLatin1String("path"), QString::fromLatin1(path.Bytes().toBase64())},
        {QLatin1String("size"), QString::number(identity.size)},
        {QLatin1String("mtimeNs"), QString::number(identity.mtimeNs)},
        {QLatin1String("words"), WordsToJson(words)},
    };
    const platform::WriteResult written =
        platform::WriteOwnFile(platform::FilePath::FromText(FileFor(path)),
                               QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!written.ok) qWarning("vellora: text cache: %s", qPrintable(written.error));
    return written.ok;
}

}  // namespace text_recognition
