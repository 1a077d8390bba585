#include "support/test_files.h"

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
    tiff += QByteArray("\x00\x01", 2);                      // one entry
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

}  // namespace

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
        'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0,
        0xFF, 0, 0, 0, 0, 0xFF,
        0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0,
        2, 2, 0x44, 0x01, 0,
        0x3B};
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

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

InTemporaryFolder::InTemporaryFolder() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
}

InTemporaryFolder::~InTemporaryFolder() { QDir::setCurrent(previous_); }

}  // namespace test_support
