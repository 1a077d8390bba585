#include "support/test_files.h"

#include <cstdio>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

namespace test_support {

namespace {

// An APP1 segment holding only an EXIF orientation tag (big-endian TIFF header).
QByteArray ExifOrientationSegment(int orientation) {
    QByteArray tiff("MM\x00\x2A\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2);                          // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8);  // orientation, SHORT, count 1
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray("\x00\x00", 2);
    tiff += QByteArray("\x00\x00\x00\x00", 4);  // no next IFD
    QByteArray payload = QByteArray("Exif\x00\x00", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    const quint16 length = quint16(payload.size() + 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return segment + payload;
}

QByteArray JpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

void Put16(QByteArray& bytes, int value) {
    bytes += char((value >> 8) & 0xFF);
    bytes += char(value & 0xFF);
}

void Put32(QByteArray& bytes, quint32 value) {
    Put16(bytes, int(value >> 16));
    Put16(bytes, int(value & 0xFFFF));
}

void PutEntry(QByteArray& bytes, int tag, int type, quint32 value) {
    Put16(bytes, tag);
    Put16(bytes, type);
    Put32(bytes, 1);
    if (type == 3) {  // SHORT: left-justified in the value field
        Put16(bytes, int(value));
        Put16(bytes, 0);
    } else {
        Put32(bytes, value);
    }
}

}  // namespace

QImage Filled(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

void WriteJpegWithThumbnail(const QString& path, QSize size, QColor color, QSize thumbnailSize,
                            QColor thumbnailColor, int exifOrientation) {
    WriteJpegWithThumbnail(path, Filled(size, color), Filled(thumbnailSize, thumbnailColor),
                           exifOrientation);
}

void WriteJpegWithThumbnail(const QString& path, const QImage& picture,
                            const QImage& thumbnailImage, int exifOrientation) {
    const QByteArray thumbnail = JpegBytes(thumbnailImage);
    QByteArray tiff("MM\x00\x2A", 4);
    Put32(tiff, 8);
    Put16(tiff, 1);  // the main picture's directory: orientation only
    PutEntry(tiff, 0x0112, 3, quint32(exifOrientation));
    Put32(tiff, 26);
    Put16(tiff, 2);  // the thumbnail's directory
    PutEntry(tiff, 0x0201, 4, 56);
    PutEntry(tiff, 0x0202, 4, quint32(thumbnail.size()));
    Put32(tiff, 0);
    tiff += thumbnail;
    const QByteArray payload = QByteArray("Exif\x00\x00", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    Put16(segment, int(payload.size() + 2));
    QByteArray bytes = JpegBytes(picture);
    bytes.insert(2, segment + payload);
    WriteBytes(path, bytes);
}

void WriteJpeg(const QString& path, QSize size, QColor color, int exifOrientation) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    if (exifOrientation > 0) bytes.insert(2, ExifOrientationSegment(exifOrientation));
    WriteBytes(path, bytes);
}

QByteArray TinyGif() {
    // GIF89a, 2 x 1, global table of 2 colours (red, blue), one image with pixels 0 and 1.
    static const unsigned char kBytes[] = {
        'G',  'I',  'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 0xFF, 0,    0, 0,   0,
        0xFF, 0x2C, 0,   0,   0,   0,   2, 0, 1, 0, 0,    2, 2, 0x44, 0x01, 0, 0x3B};
    return QByteArray(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
}

QByteArray GifClaiming(int width, int height) {
    QByteArray gif = TinyGif();
    const auto put16 = [&](int offset, int value) {
        gif[offset] = char(value & 0xFF);
        gif[offset + 1] = char((value >> 8) & 0xFF);
    };
    put16(6, width);
    put16(8, height);
    put16(19 + 5, width);
    put16(19 + 7, height);
    return gif;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

void RenameToRawName(const QString& path, const QByteArray& rawPath) {
    ::rename(QFile::encodeName(path).constData(), rawPath.constData());
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

InTemporaryFolder::InTemporaryFolder() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
}

InTemporaryFolder::~InTemporaryFolder() {
    QDir::setCurrent(previous_);
}

}  // namespace test_support
