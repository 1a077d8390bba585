#include "platform/pictures/pasted_picture.h"

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>

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

// A name made from the date and time that no file in the folder has yet.
QString FreeName(const QDir& folder, const QDateTime& now) {
    const QString stem = now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString name = stem + QStringLiteral(".png");
    // A dangling link is a name taken too.
    const auto taken = [&folder](const QString& name) {
        return folder.exists(name) || QFileInfo(folder.filePath(name)).isSymLink();
    };
    for (int n = 2; taken(name); ++n) name = QStringLiteral("%1-%2.png").arg(stem).arg(n);
    return name;
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
    const QDir folder(folderName);
    if (!folder.mkpath(QStringLiteral("."))) {
        return Failed(PasteError::NotWritten, QStringLiteral("cannot make %1").arg(folderName));
    }
    const QString name = folder.filePath(FreeName(folder, now));
    // Never over a file of that name, nor through a link someone left there.
    const WriteResult written =
        WriteOwnFile(FilePath(QFile::encodeName(name)), png, Existing::Keep);
    if (!written.ok) {
        return Failed(PasteError::NotWritten,
                      QStringLiteral("cannot write: %1").arg(written.error));
    }
    return {FilePath(QFile::encodeName(name)), std::nullopt};
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
