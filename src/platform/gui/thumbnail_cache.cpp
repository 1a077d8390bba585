#include "platform/thumbnail_cache.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>

namespace platform {

namespace {

QString ClassFolder(const QString& root, int classIndex) {
    return root + u'/' + QLatin1String(kThumbnailClasses[classIndex].folder);
}

// Folders of the cache are private to their owner, as the cache's rules ask.
bool MakePrivateFolder(const QString& path) {
    if (QFileInfo(path).isDir()) return true;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void WriteThumbnail(const QString& root, int classIndex, const QString& file, const QByteArray& uri,
                    FileStamp stamp, QImage image) {
    const QString parent = QFileInfo(root).absolutePath();
    if (!QDir().mkpath(parent) || !MakePrivateFolder(root) ||
        !MakePrivateFolder(ClassFolder(root, classIndex))) {
        return;
    }
    // A temporary file beside it, renamed over it: a reader never sees half a thumbnail.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return;
    if (::fchmod(out.handle(), S_IRUSR | S_IWUSR) != 0) return out.cancelWriting();
    // On the image, not through QImageWriter::setText: the writer passes its texts on as
    // "key: value" and the PNG writer splits them at the first colon, so that "Thumb::URI"
    // would be written as the key "Thumb".
    image.setText(QStringLiteral("Thumb::URI"), QString::fromLatin1(uri));
    image.setText(QStringLiteral("Thumb::MTime"), QString::number(stamp.mtime));
    image.setText(QStringLiteral("Thumb::Size"), QString::number(stamp.size));
    image.setText(QStringLiteral("Software"), QStringLiteral("Vellora"));
    QImageWriter writer(&out, "png");
    if (!writer.write(image) || !out.flush()) return out.cancelWriting();
    out.commit();
}

}  // namespace

// The writes run one at a time on a thread of their own, so that they never hold up a decode
// the user waits for; `queued` keeps one file from being written twice over in a run.
struct ThumbnailCache::Writes {
    QThreadPool pool;
    QMutex mutex;
    QSet<QString> queued;
};

ThumbnailCache::ThumbnailCache(QString root)
    : root_(QDir::cleanPath(QDir(root).absolutePath())),
      rootBytes_(QFile::encodeName(root_)),
      writes_(std::make_unique<Writes>()) {
    writes_->pool.setMaxThreadCount(1);
}

ThumbnailCache::~ThumbnailCache() {
    Wait();
}

QString ThumbnailCache::DesktopRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/thumbnails");
}

bool ThumbnailCache::Serves(const FilePath& path) const {
    return path.Bytes().startsWith('/') && !path.Bytes().startsWith(rootBytes_ + '/');
}

QImage ThumbnailCache::Find(const FilePath& path, FileStamp stamp, QSize natural,
                            QSize shown) const {
    if (!Serves(path)) return {};
    const std::optional<int> first = ThumbnailClassFor(natural, shown);
    if (!first) return {};
    const QByteArray uri = ThumbnailUri(path);
    const QString name = QString::fromLatin1(ThumbnailFileName(uri));
    // Another program may have made only a larger one.
    for (int i = *first; i < kThumbnailClassCount; ++i) {
        QImageReader reader(ClassFolder(root_, i) + u'/' + name, "png");
        const QSize size = reader.size();
        const int limit = kThumbnailClasses[i].size;
        if (!size.isValid() || size.width() > limit || size.height() > limit) continue;
        if (!ThumbnailCovers(size, natural, shown)) continue;
        QImage image = reader.read();
        if (image.isNull() || image.size() != size) continue;
        const ThumbnailText text{image.text(QStringLiteral("Thumb::URI")),
                                 image.text(QStringLiteral("Thumb::MTime")),
                                 image.text(QStringLiteral("Thumb::Size"))};
        if (!ThumbnailIsCurrent(text, uri, stamp)) continue;
        // Drawn as the decoded photo is: opaque.
        if (image.hasAlphaChannel()) image = image.convertToFormat(QImage::Format_RGB32);
        if (image.size() == shown) return image;
        return image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {};
}

void ThumbnailCache::Store(const FilePath& path, FileStamp stamp, int classIndex, QImage upright) {
    if (!Serves(path) || upright.isNull() || classIndex < 0 || classIndex >= kThumbnailClassCount) {
        return;
    }
    const QByteArray uri = ThumbnailUri(path);
    const QString file =
        ClassFolder(root_, classIndex) + u'/' + QString::fromLatin1(ThumbnailFileName(uri));
    {
        const QMutexLocker lock(&writes_->mutex);
        const QString key =
            file + u' ' + QString::number(stamp.mtime) + u' ' + QString::number(stamp.size);
        if (writes_->queued.contains(key)) return;
        writes_->queued.insert(key);
    }
    writes_->pool.start([root = root_, classIndex, file, uri, stamp, image = std::move(upright)] {
        WriteThumbnail(root, classIndex, file, uri, stamp, image);
    });
}

void ThumbnailCache::Wait() {
    writes_->pool.waitForDone();
}

}  // namespace platform
