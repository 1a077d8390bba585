#include "platform/core/thumbnail_rules.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

QByteArray ThumbnailUri(const FilePath& path) {
    const QByteArray& bytes = path.Bytes();
    if (!bytes.startsWith('/')) return {};
    // Encoded by hand, byte by byte: QUrl::toPercentEncoding turned a lone byte that is not UTF-8
    // into the replacement character's bytes here (Qt 6.4), which names another file.
    static constexpr char kKept[] = "!$&'()*+,-./:=@_~";
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray uri("file://");
    uri.reserve(uri.size() + 3 * bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || (byte != 0 && std::strchr(kKept, c))) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

QByteArray ThumbnailFileName(const QByteArray& uri) {
    return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

QSize ThumbnailSizeFor(QSize natural, int classSize) {
    if (natural.isEmpty()) return {};
    if (natural.width() <= classSize && natural.height() <= classSize) return natural;
    const double scale = double(classSize) / std::max(natural.width(), natural.height());
    return QSize(std::max(1, int(std::lround(natural.width() * scale))),
                 std::max(1, int(std::lround(natural.height() * scale))));
}

bool ThumbnailCovers(QSize thumbnail, QSize natural, QSize shown) {
    if (thumbnail.isEmpty() || natural.isEmpty()) return false;
    if (thumbnail.width() < shown.width() || thumbnail.height() < shown.height()) return false;
    if (thumbnail.width() > natural.width() || thumbnail.height() > natural.height()) return false;
    // The shorter side is rounded one way or the other by whoever made it.
    const double height = double(thumbnail.width()) * natural.height() / natural.width();
    const double width = double(thumbnail.height()) * natural.width() / natural.height();
    return std::fabs(height - thumbnail.height()) <= 1.0 ||
           std::fabs(width - thumbnail.width()) <= 1.0;
}

std::optional<int> ThumbnailClassFor(QSize natural, QSize shown) {
    for (int i = 0; i < kThumbnailClassCount; ++i) {
        if (ThumbnailCovers(ThumbnailSizeFor(natural, kThumbnailClasses[i].size), natural, shown)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> ThumbnailClassFrom(QSize natural, QSize decoded, QSize shown) {
    const std::optional<int> classIndex = ThumbnailClassFor(natural, shown);
    if (!classIndex) return std::nullopt;
    const QSize classSize = ThumbnailSizeFor(natural, kThumbnailClasses[*classIndex].size);
    // The copy stands where the thumbnail would: no smaller, no larger than the picture, and
    // of its shape.
    if (!ThumbnailCovers(decoded, natural, classSize)) return std::nullopt;
    return classIndex;
}

std::optional<FileStamp> StampOf(const FilePath& path) {
    struct stat status {};
    if (path.IsEmpty() || ::stat(path.Bytes().constData(), &status) != 0) return std::nullopt;
    if (!S_ISREG(status.st_mode)) return std::nullopt;
    return FileStamp{qint64(status.st_mtime), qint64(status.st_size)};
}

bool ThumbnailIsCurrent(const ThumbnailText& text, const QByteArray& uri, FileStamp stamp) {
    if (text.uri.toLatin1() != uri || text.uri.isEmpty()) return false;
    bool ok = false;
    const qint64 mtime = text.mtime.trimmed().toLongLong(&ok);
    if (!ok || mtime != stamp.mtime) return false;
    if (text.size.isNull()) return true;
    const qint64 size = text.size.trimmed().toLongLong(&ok);
    return ok && size == stamp.size;
}

}  // namespace platform
