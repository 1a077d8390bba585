#include "platform/pictures/pasted_picture.h"

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/core/whole_file.h"
#include "platform/pictures/picture.h"

namespace platform {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

Pasted Failed(PasteError error, const QString& reason) {
    return {{}, PasteFailure{error, reason}};
}

// The image data as PNG bytes: a PNG's own when they are whole, else the first image type Qt
// reads, encoded anew. Qt offers the clipboard's image as application/x-qt-image besides the
// types the owner lists.
std::optional<QByteArray> PngOf(const QMimeData& data) {
    const QString png = QStringLiteral("image/png");
    if (data.hasFormat(png)) {
        QByteArray bytes = data.data(png);
        if (PngReachesEnd(bytes) && CheckPicture(bytes).error == PictureError::None) return bytes;
    }
    QImage image;
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/")) || format == png) continue;
        image = QImage::fromData(data.data(format));
        if (!image.isNull()) break;
    }
    if (image.isNull() && data.hasImage()) image = qvariant_cast<QImage>(data.imageData());
    if (image.isNull()) return std::nullopt;
    return EncodePng(image);
}

// Deletes `file` when it is one of the program's own pictures and none of `named` names the
// same file.
bool DeleteIfUnnamed(const FilePath& file, const QStringList& ownFolders,
                     const QList<FilePath>& named) {
    if (!IsInFolders(file, ownFolders)) return false;
    const std::optional<QByteArray> self = Canonical(file.Bytes());
    for (const FilePath& other : named) {
        if (other == file || (self && Canonical(other.Bytes()) == self)) return false;
    }
    return ::unlink(file.Bytes().constData()) == 0;
}

// A path in the folder (made when missing) named from the date and time, that no file there
// has yet nor `named` says is taken.
Pasted NewPngFile(const QString& folderName, const QDateTime& now,
                  const std::function<bool(const QByteArray&)>& named) {
    const QDir folder(folderName);
    if (!folder.mkpath(QStringLiteral("."))) {
        return Failed(PasteError::NotWritten, QStringLiteral("cannot make %1").arg(folderName));
    }
    const QString stem = now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString name = stem + QStringLiteral(".png");
    // A dangling link is a name taken too.
    const auto taken = [&](const QString& name) {
        return folder.exists(name) || QFileInfo(folder.filePath(name)).isSymLink() ||
               (named && named(QFile::encodeName(folder.filePath(name))));
    };
    for (int n = 2; taken(name); ++n) name = QStringLiteral("%1-%2.png").arg(stem).arg(n);
    return {FilePath(QFile::encodeName(folder.filePath(name))), std::nullopt};
}

// Writes the bytes as the new file, never over a file of that name nor through a link someone
// left there.
Pasted WriteAsNew(const FilePath& file, const QByteArray& png) {
    const WriteResult written = WriteOwnFile(file, png, Existing::Keep);
    if (!written.ok) {
        return Failed(PasteError::NotWritten,
                      QStringLiteral("cannot write: %1").arg(written.error));
    }
    return {file, std::nullopt};
}

}  // namespace

std::optional<QByteArray> EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Lossless at every level. Qt's writer takes the level from the quality: 80 is zlib's
    // fastest, which writes a 1920x1080 screenshot in two thirds of the default's time and
    // reads back in half; from 90 up it stores the rows uncompressed, megabytes to write.
    QImageWriter writer(&buffer, "png");
    writer.setQuality(80);
    if (!writer.write(image)) return std::nullopt;
    return bytes;
}

Pasted WriteNewPng(const QByteArray& png, const QString& folderName, const QDateTime& now) {
    const Pasted named = NewPngFile(folderName, now, {});
    return named ? WriteAsNew(named.file, png) : named;
}

PngWrites::~PngWrites() {
    for (auto& [key, write] : writes_) write.watcher->waitForFinished();
}

Pasted PngWrites::Start(const QImage& image, Encoder encode, const QString& folder, Ended ended,
                        const QDateTime& now) {
    Pasted named = NewPngFile(folder, now, [this](const QByteArray& path) {
        return writes_.count(path) != 0 || failed_.count(path) != 0;
    });
    if (!named) return named;
    const QByteArray key = named.file.Bytes();
    auto* watcher = new QFutureWatcher<PngWritten>(this);
    writes_.emplace(key, Write{watcher, std::move(ended)});
    connect(watcher, &QFutureWatcherBase::finished, this, [this, key] { End(key); });
    watcher->setFuture(QtConcurrent::run([file = named.file, image, encode]() -> PngWritten {
        const std::optional<QByteArray> png = encode(image);
        if (!png) {
            return {file,
                    {},
                    PasteFailure{PasteError::NotWritten,
                                 QStringLiteral("the picture cannot be encoded as PNG")}};
        }
        const Pasted written = WriteAsNew(file, *png);
        if (!written) return {file, {}, written.failure};
        return {file, *png, std::nullopt};
    }));
    return named;
}

std::optional<PasteFailure> PngWrites::Wait(const FilePath& file) {
    const QByteArray& key = file.Bytes();
    if (const auto running = writes_.find(key); running != writes_.end()) {
        running->second.watcher->waitForFinished();
        End(key);
    }
    const auto failed = failed_.find(key);
    if (failed == failed_.end()) return std::nullopt;
    return failed->second;
}

void PngWrites::WaitForAll() {
    while (!writes_.empty()) Wait(FilePath(writes_.begin()->first));
}

void PngWrites::End(const QByteArray& key) {
    const auto found = writes_.find(key);
    if (found == writes_.end()) return;
    const Write write = std::move(found->second);
    writes_.erase(found);
    const PngWritten written = write.watcher->result();
    // Its finished signal may be what called.
    write.watcher->deleteLater();
    if (written.failure) failed_.emplace(key, *written.failure);
    if (write.ended) write.ended(written);
}

bool MayHoldPicture(const QMimeData* data) {
    if (!data) return false;
    if (data->hasImage() || data->hasFormat(kUriList)) return true;
    for (const QString& format : data->formats()) {
        if (format.startsWith(QLatin1String("image/"))) return true;
    }
    return false;
}

Pasted TakePicture(const QMimeData* data, const QString& pastedFolder, const QDateTime& now) {
    if (!data || data->formats().isEmpty()) {
        return Failed(PasteError::NoPicture, QStringLiteral("the clipboard is empty"));
    }
    if (data->hasFormat(kUriList)) {
        const QList<FilePath> files = LocalFilesOfUriList(data->data(kUriList));
        if (!files.isEmpty()) return {files.first(), std::nullopt};
    }
    const std::optional<QByteArray> png = PngOf(*data);
    if (!png)
        return Failed(PasteError::NoPicture, QStringLiteral("the clipboard holds no picture"));
    return WriteNewPng(*png, pastedFolder, now);
}

bool DeleteOwnPictureIfUnnamed(const FilePath& file, const QStringList& ownFolders,
                               const QList<FilePath>& named) {
    return DeleteIfUnnamed(file, ownFolders, named);
}

}  // namespace platform
