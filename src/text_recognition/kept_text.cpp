#include "text_recognition/kept_text.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/core/whole_file.h"
#include "text_recognition/text_cache.h"

namespace text_recognition {

namespace {

constexpr int kVersion = 1;
// Ten megabytes of text, escaped in JSON, and its words.
constexpr qint64 kMaxKeptFileBytes = 256 * 1024 * 1024;

bool IsPng(const QByteArray& bytes) {
    return bytes.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n"));
}

}  // namespace

QString KeptTexts::FileFor(const QByteArray& picture) const {
    const QByteArray hash = QCryptographicHash::hash(picture, QCryptographicHash::Sha256);
    return folder_ + QLatin1Char('/') + QString::fromLatin1(hash.toHex()) + QStringLiteral(".json");
}

std::optional<QString> KeptTexts::Keep(const QByteArray& picture, const KeptText& kept) const {
    if (folder_.isEmpty()) return QStringLiteral("no folder to keep texts in");
    if (!QDir().mkpath(folder_)) return QStringLiteral("cannot make %1").arg(folder_);
    const QJsonObject root{
        {QLatin1String("version"), kVersion},
        {QLatin1String("text"), kept.text},
        {QLatin1String("words"), WordsToJson(kept.words)},
    };
    const platform::WriteResult written =
        platform::WriteOwnFile(platform::FilePath::FromText(FileFor(picture)),
                               QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!written.ok) return written.error;
    return std::nullopt;
}

std::optional<KeptText> KeptTexts::Find(const QByteArray& picture) const {
    if (folder_.isEmpty() || !IsPng(picture)) return std::nullopt;
    const platform::WholeFile file = platform::ReadFile(
        platform::FilePath::FromText(FileFor(picture)), kMaxKeptFileBytes, platform::Links::Refuse);
    if (!file.bytes) return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(*file.bytes).object();
    const QJsonValue text = root.value(QLatin1String("text"));
    if (root.value(QLatin1String("version")).toInt() != kVersion || !text.isString()) {
        return std::nullopt;
    }
    std::optional<Words> words = WordsFromJson(root.value(QLatin1String("words")));
    if (!words) return std::nullopt;
    return KeptText{text.toString(), std::move(*words)};
}

}  // namespace text_recognition
