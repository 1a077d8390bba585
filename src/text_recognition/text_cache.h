#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "platform/core/file_path.h"
#include "text_recognition/recognised_text.h"

// The words recognised in picture files, kept in a folder of the program's data folder so that
// a file is recognised once: one cache file per picture path, which records the picture file's
// identity. A file that changed since, or a cache file that cannot be read, counts as none.
namespace text_recognition {

// What tells one state of a file from another: its size and its modification time to the
// nanosecond (a followed file rewritten within the same second still differs).
struct FileIdentity {
    qint64 size = 0;
    qint64 mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const platform::FilePath& path);

// Words as the cache and the kept texts write them: one array a word.
QJsonArray WordsToJson(const Words& words);
std::optional<Words> WordsFromJson(const QJsonValue& value);

class TextCache {
public:
    // The folder need not exist yet: it is made on the first store.
    explicit TextCache(QString folder) : folder_(std::move(folder)) {}

    // The words kept for the file as it is now, if any. Reads no picture.
    std::optional<Words> Find(const platform::FilePath& path) const;
    // The words kept for the file at `identity`, if any.
    std::optional<Words> Find(const platform::FilePath& path, FileIdentity identity) const;
    // Keeps the words of the file at `identity`, replacing what was kept for the path. Whether
    // the cache file was written.
    bool Store(const platform::FilePath& path, FileIdentity identity, const Words& words) const;

    // The cache file of a picture path; tests damage it.
    QString FileFor(const platform::FilePath& path) const;

private:
    QString folder_;
};

}  // namespace text_recognition
