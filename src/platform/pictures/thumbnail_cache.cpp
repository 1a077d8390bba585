#include "platform/pictures/thumbnail_cache.h"

#include "platform/core/whole_file.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/uncompressed_png.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>
#include <functional>

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

// Marks a thumbnail written after the whole file was checked; other programs leave it out.
const QString kCheckedKey = QStringLiteral("X-Vellora-Checked");

void WriteThumbnail(const QString& root, int classIndex, const QString& file, const QByteArray& uri,
                    FileStamp stamp, QImage image, QSize natural, bool checkedWhole) {
    const QSize size = ThumbnailSizeFor(natural, kThumbnailClasses[classIndex].size);
    if (image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QString parent = QFileInfo(root).absolutePath();
    if (!QDir().mkpath(parent) || !MakePrivateFolder(root) ||
        !MakePrivateFolder(ClassFolder(root, classIndex))) {
        return;
    }
    // Only these texts: a copy taken from another program's thumbnail carries that program's,
    // which must not be passed on as if they described this file.
    QList<std::pair<QByteArray, QByteArray>> texts = {
        {"Thumb::URI", uri},
        {"Thumb::MTime", QByteArray::number(stamp.mtime)},
        {"Thumb::Size", QByteArray::number(stamp.size)},
        {"Thumb::Image::Width", QByteArray::number(natural.width())},
        {"Thumb::Image::Height", QByteArray::number(natural.height())},
        {"Software", "Vellora"},
    };
    if (checkedWhole) texts.append({kCheckedKey.toLatin1(), "1"});
    // Unfiltered and stored, because the warm restore reads one thumbnail per pin. Measured on
    // photo-like thumbnails (thumbnail_png_bench, median of five; a 400 x 300 JPEG decodes in
    // about 0.6 ms), size and read time:
    //   class   unfiltered, stored    Qt's writer, stored   Qt's writer, zlib 1
    //   256     129 KB  0.24 ms       129 KB  0.47 ms       57 KB  1.0 ms
    //   512     513 KB  0.97 ms       513 KB  1.33 ms      231 KB  3.4 ms
    //   1024    2.0 MB  3.3 ms        2.0 MB  4.9 ms       940 KB 13.2 ms
    // zlib level 1 saves about half the disk, but a read then costs five times a small pin's
    // whole decode, 100 times over in a warm restore of 100 pins.
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!WriteUncompressedPng(out, image, texts)) return;
    // A temporary file beside it, renamed over it: a reader never sees half a thumbnail. Never
    // through a link: anyone can work out a thumbnail's name from the picture's path.
    const WriteResult written =
        WriteOwnFile(FilePath::FromText(file), png, Existing::Replace, S_IRUSR | S_IWUSR);
    if (!written.ok) qWarning("vellora: thumbnail: %s", qPrintable(written.error));
}

}  // namespace

// The writes run one at a time on a thread of their own, so that they never hold up a decode
// the user waits for; `queued` keeps one file from being written twice over in a run.
struct ThumbnailCache::Writes {
    QThreadPool pool;
    QMutex mutex;
    QSet<QString> queued;
};

ThumbnailCache::ThumbnailCache(const QString& root)
    : root_(QDir::cleanPath(QDir(root).absolutePath())),
      rootBytes_(QFile::encodeName(root_)),
      writes_(std::make_unique<Writes>()) {
    writes_->pool.setMaxThreadCount(1);
    // Only on a processor nothing else wants (SCHED_IDLE on Linux): encoding thumbnails while
    // the restore decodes its pictures on every core made the restore 15% slower.
    writes_->pool.setThreadPriority(QThread::IdlePriority);
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

namespace {

// One class's thumbnail of the file, when it is current and `wanted` accepts it (given its size
// and text). The text is read from the decoded image: QImageReader::text() splits each
// "key: value" pair it gets from the PNG reader at the first colon, so "Thumb::URI" is lost.
QImage ReadCurrent(const QString& file, int classIndex, const QByteArray& uri, FileStamp stamp,
                   const std::function<bool(QSize, const QImage&)>& wanted) {
    QFile device;
    if (OpenForReading(FilePath::FromText(file), device, Links::Refuse) != ReadError::None) {
        return {};
    }
    QImageReader reader(&device, "png");
    const QSize size = reader.size();
    const int limit = kThumbnailClasses[classIndex].size;
    if (!size.isValid() || size.width() > limit || size.height() > limit) return {};
    QImage image = reader.read();
    if (image.isNull() || image.size() != size) return {};
    const ThumbnailText text{image.text(QStringLiteral("Thumb::URI")),
                             image.text(QStringLiteral("Thumb::MTime")),
                             image.text(QStringLiteral("Thumb::Size"))};
    if (!ThumbnailIsCurrent(text, uri, stamp) || !wanted(size, image)) return {};
    // Drawn as the decoded photo is: opaque.
    if (image.hasAlphaChannel()) image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

QImage ScaledTo(QImage image, QSize shown) {
    if (image.size() == shown) return image;
    return image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QImage ThumbnailCache::Find(const FilePath& path, FileStamp stamp, QSize natural,
                            QSize shown) const {
    if (!Serves(path)) return {};
    const std::optional<int> first = ThumbnailClassFor(natural, shown);
    if (!first) return {};
    const QByteArray uri = ThumbnailUri(path);
    const QString name = QString::fromLatin1(ThumbnailFileName(uri));
    // Another program may have made only a larger one.
    for (int i = *first; i < kThumbnailClassCount; ++i) {
        QImage image = ReadCurrent(
            ClassFolder(root_, i) + u'/' + name, i, uri, stamp,
            [&](QSize size, const QImage&) { return ThumbnailCovers(size, natural, shown); });
        if (!image.isNull()) return ScaledTo(std::move(image), shown);
    }
    return {};
}

std::optional<ThumbnailCache::Checked> ThumbnailCache::FindChecked(const FilePath& path,
                                                                   FileStamp stamp,
                                                                   QSize decodeSize) const {
    if (!Serves(path)) return std::nullopt;
    const QByteArray uri = ThumbnailUri(path);
    const QString name = QString::fromLatin1(ThumbnailFileName(uri));
    for (int i = 0; i < kThumbnailClassCount; ++i) {
        QSize natural, shown;
        const auto wanted = [&](QSize size, const QImage& image) {
            if (image.text(kCheckedKey) != QLatin1String("1")) return false;
            bool wide = false, high = false;
            natural = QSize(image.text(QStringLiteral("Thumb::Image::Width")).toInt(&wide),
                            image.text(QStringLiteral("Thumb::Image::Height")).toInt(&high));
            if (!wide || !high || natural.isEmpty()) return false;
            shown = DecodeSizeFor(natural, decodeSize);
            return ThumbnailCovers(size, natural, shown);
        };
        QImage image = ReadCurrent(ClassFolder(root_, i) + u'/' + name, i, uri, stamp, wanted);
        if (!image.isNull()) return Checked{natural, ScaledTo(std::move(image), shown)};
    }
    return std::nullopt;
}

void ThumbnailCache::Store(const FilePath& path, FileStamp stamp, int classIndex, QImage upright,
                           QSize natural, bool checkedWhole) {
    if (!Serves(path) || upright.isNull() || classIndex < 0 || classIndex >= kThumbnailClassCount) {
        return;
    }
    // Never enlarged, never of another shape.
    const QSize size = ThumbnailSizeFor(natural, kThumbnailClasses[classIndex].size);
    if (!ThumbnailCovers(upright.size(), natural, size)) return;
    const QByteArray uri = ThumbnailUri(path);
    const QString file =
        ClassFolder(root_, classIndex) + u'/' + QString::fromLatin1(ThumbnailFileName(uri));
    {
        const QMutexLocker lock(&writes_->mutex);
        const QString key = file + u' ' + QString::number(stamp.mtime) + u' ' +
                            QString::number(stamp.size) + (checkedWhole ? u'+' : u'-');
        if (writes_->queued.contains(key)) return;
        writes_->queued.insert(key);
    }
    writes_->pool.start([root = root_, classIndex, file, uri, stamp, image = std::move(upright),
                         natural, checkedWhole] {
        WriteThumbnail(root, classIndex, file, uri, stamp, image, natural, checkedWhole);
    });
}

void ThumbnailCache::Wait() {
    writes_->pool.waitForDone();
}

}  // namespace platform
