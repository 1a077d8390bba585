#include "support/test_files.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <algorithm>

namespace test_support {

namespace {

// Numbers in one TIFF byte order.
class TiffBytes {
public:
    explicit TiffBytes(bool bigEndian) : bigEndian_(bigEndian) {}

    QByteArray& Bytes() { return bytes_; }
    qsizetype Size() const { return bytes_.size(); }

    void U16(quint32 value) {
        const char high = char((value >> 8) & 0xFF), low = char(value & 0xFF);
        bytes_ += bigEndian_ ? high : low;
        bytes_ += bigEndian_ ? low : high;
    }
    void U32(quint32 value) {
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian_ ? 24 - 8 * k : 8 * k;
            bytes_ += char((value >> shift) & 0xFF);
        }
    }
    void Patch32(qsizetype at, quint32 value) {
        TiffBytes patch(bigEndian_);
        patch.U32(value);
        bytes_.replace(at, 4, patch.Bytes());
    }
    // One directory entry holding a single SHORT (type 3) or LONG (type 4) value; returns where
    // the value lies.
    qsizetype Entry(quint32 tag, quint32 type, quint32 value) {
        U16(tag);
        U16(type);
        U32(1);
        const qsizetype at = Size();
        if (type == 3) {  // a SHORT sits left-justified in the 4-byte value field
            U16(value);
            U16(0);
        } else {
            U32(value);
        }
        return at;
    }

private:
    bool bigEndian_;
    QByteArray bytes_;
};

}  // namespace

QImage Filled(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage PatternImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            // 10-pixel blocks, each with a colour of its own, over a fine diagonal texture:
            // JPEG keeps the blocks apart, and any shift changes most pixels.
            const int bx = x / 10, by = y / 10;
            const int red = (bx * 37 + by * 11) % 200 + 40;
            const int green = (by * 53 + bx * 7) % 200 + 40;
            const int blue = ((bx + by) % 2) ? 220 : 30;
            const int texture = ((x + 2 * y) % 7) * 4;
            image.setPixel(x, y, qRgb(red, std::min(255, green + texture), blue));
        }
    }
    return image;
}

QByteArray JpegBytes(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

QByteArray ExifSegment(const Exif& exif, ExifLayout* layout) {
    TiffBytes tiff(exif.bigEndian);
    tiff.Bytes() += exif.bigEndian ? "MM" : "II";
    tiff.U16(42);
    tiff.U32(8);  // the first directory follows the header
    tiff.U16(exif.orientation ? 1 : 0);
    if (exif.orientation) tiff.Entry(0x0112, 3, quint32(*exif.orientation));
    ExifLayout at;
    at.secondDirectoryPointer = tiff.Size();
    tiff.U32(0);
    if (!exif.thumbnail.isEmpty()) {
        tiff.Patch32(at.secondDirectoryPointer, quint32(tiff.Size()));
        tiff.U16(3);
        tiff.Entry(0x0103, 3, 6);  // compression: JPEG
        at.thumbnailOffset = tiff.Entry(0x0201, 4, 0);
        at.thumbnailLength = tiff.Entry(0x0202, 4, quint32(exif.thumbnail.size()));
        tiff.U32(0);  // no further directory
        at.thumbnail = tiff.Size();
        tiff.Patch32(at.thumbnailOffset, quint32(at.thumbnail));
        tiff.Bytes() += exif.thumbnail;
    }
    // Marker, length, "Exif" and two zero bytes come before the TIFF block.
    constexpr qsizetype kTiffAt = 2 + 2 + 6;
    QByteArray segment("\xFF\xE1", 2);
    const qsizetype length = 2 + 6 + tiff.Size();
    segment += char((length >> 8) & 0xFF);
    segment += char(length & 0xFF);
    segment += QByteArray("Exif\0\0", 6);
    segment += tiff.Bytes();
    if (layout) {
        const auto shift = [&](qsizetype field) { return field ? field + kTiffAt : 0; };
        *layout = {kTiffAt, shift(at.secondDirectoryPointer), shift(at.thumbnailOffset),
                   shift(at.thumbnailLength), shift(at.thumbnail)};
    }
    return segment;
}

QByteArray InsertSegment(QByteArray jpeg, const QByteArray& segment) {
    jpeg.insert(kSegmentAt, segment);
    return jpeg;
}

QByteArray JpegWithExif(const QImage& picture, std::optional<int> orientation,
                        const QImage& thumbnail) {
    Exif exif;
    exif.orientation = orientation;
    if (!thumbnail.isNull()) exif.thumbnail = JpegBytes(thumbnail);
    return InsertSegment(JpegBytes(picture), ExifSegment(exif));
}

QByteArray GifBytes(QSize size, const QList<QRgb>& palette,
                    const std::function<int(int x, int y)>& indexAt) {
    return AnimatedGifBytes(size, palette, 1, 0,
                            [&indexAt](int, int x, int y) { return indexAt(x, y); });
}

QByteArray AnimatedGifBytes(QSize size, const QList<QRgb>& palette, int frames, int delayCs,
                            const std::function<int(int frame, int x, int y)>& indexAt) {
    // LZW with a minimum code size of 2: 3-bit codes, 4 = clear, 5 = end. A clear code before
    // every pixel keeps the code table from growing, so each pixel is one literal code.
    QByteArray data("GIF89a");
    const auto put16 = [&data](int value) {
        data.append(char(value & 0xFF));
        data.append(char((value >> 8) & 0xFF));
    };
    put16(size.width());
    put16(size.height());
    data.append(char(0x91));  // global colour table of 4 entries, 2 bits of colour resolution
    data.append(char(0));
    data.append(char(0));
    for (int i = 0; i < 4; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        data.append(char(qRed(colour)));
        data.append(char(qGreen(colour)));
        data.append(char(qBlue(colour)));
    }
    if (frames > 1) {
        data.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);  // loop ...
        put16(0);                                            // ... for ever
        data.append(char(0));
    }
    for (int frame = 0; frame < frames; ++frame) {
        if (frames > 1) {
            data.append("\x21\xF9\x04\x00", 4);  // graphic control: no disposal, opaque
            put16(delayCs);
            data.append("\x00\x00", 2);
        }
        data.append(char(0x2C));
        put16(0);
        put16(0);
        put16(size.width());
        put16(size.height());
        data.append(char(0));
        data.append(char(2));

        QByteArray codes;
        quint32 buffer = 0;
        int bits = 0;
        const auto putCode = [&](int code) {
            buffer |= quint32(code) << bits;
            bits += 3;
            while (bits >= 8) {
                codes.append(char(buffer & 0xFF));
                buffer >>= 8;
                bits -= 8;
            }
        };
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                putCode(4);
                putCode(indexAt(frame, x, y) & 3);
            }
        }
        putCode(5);
        if (bits > 0) codes.append(char(buffer & 0xFF));
        for (qsizetype offset = 0; offset < codes.size(); offset += 255) {
            const QByteArray block = codes.mid(offset, 255);
            data.append(char(block.size()));
            data.append(block);
        }
        data.append(char(0));
    }
    data.append(char(0x3B));
    return data;
}

QByteArray TinyGif() {
    return GifBytes({2, 1}, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, [](int x, int) { return x; });
}

QByteArray GifClaiming(int width, int height) {
    QByteArray gif = TinyGif();
    const auto put16 = [&](qsizetype offset, int value) {
        gif[offset] = char(value & 0xFF);
        gif[offset + 1] = char((value >> 8) & 0xFF);
    };
    // The screen's size, then the frame's, behind the header and the 4-colour table.
    constexpr qsizetype kFrameAt = 13 + 4 * 3 + 1;
    put16(6, width);
    put16(8, height);
    put16(kFrameAt + 4, width);
    put16(kFrameAt + 6, height);
    return gif;
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void RenameToRawName(const QString& path, const QByteArray& rawPath) {
    ::rename(QFile::encodeName(path).constData(), rawPath.constData());
}

QByteArray DataRecord(const QStringList& geometry, const QByteArray& rawPath) {
    QByteArray line;
    for (const QString& item : geometry) {
        // Every item after the first starts at the next 14-column zone.
        if (!line.isEmpty()) line.append(14 - line.size() % 14, ' ');
        line.append(item.toLatin1());
    }
    return line + "\r\n" + rawPath + "\r\n";
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteJpeg(const QString& path, const QImage& image, int quality) {
    return WriteBytes(path, JpegBytes(image, quality));
}

bool WriteJpeg(const QString& path, QSize size, QColor color, int exifOrientation) {
    const QImage image = Filled(size, color);
    if (exifOrientation <= 0) return WriteJpeg(path, image);
    return WriteBytes(path, JpegWithExif(image, exifOrientation));
}

bool WriteJpegWithThumbnail(const QString& path, QSize size, QColor color, QSize thumbnailSize,
                            QColor thumbnailColor, int exifOrientation) {
    return WriteJpegWithThumbnail(path, Filled(size, color), Filled(thumbnailSize, thumbnailColor),
                                  exifOrientation);
}

bool WriteJpegWithThumbnail(const QString& path, const QImage& picture, const QImage& thumbnail,
                            int exifOrientation) {
    return WriteBytes(path, JpegWithExif(picture, exifOrientation, thumbnail));
}

bool WritePngWithText(const QString& path, const QImage& image,
                      const QList<std::pair<QString, QString>>& text) {
    // QImageWriter::setText would split "Thumb::URI" at its first colon.
    QImage copy = image;
    for (const auto& [key, value] : text) copy.setText(key, value);
    return copy.save(path, "png");
}

bool WriteGif(const QString& path, QSize size, const QList<QRgb>& palette,
              const std::function<int(int x, int y)>& indexAt) {
    return WriteBytes(path, GifBytes(size, palette, indexAt));
}

InTemporaryFolder::InTemporaryFolder() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
}

InTemporaryFolder::~InTemporaryFolder() {
    QDir::setCurrent(previous_);
}

OpenCounter::OpenCounter(const QString& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_OPEN);
}

OpenCounter::~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
}

int OpenCounter::Count() {
    alignas(inotify_event) char events[4096];
    ssize_t got = 0;
    while (fd_ >= 0 && (got = ::read(fd_, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->mask & IN_OPEN) ++count_;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return count_;
}

}  // namespace test_support
