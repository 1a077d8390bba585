#include "platform/picture.h"

#include "platform/exif.h"
#include "platform/whole_file.h"

#include <QBuffer>
#include <QFile>
#include <QFuture>
#include <QHash>
#include <QImageReader>
#include <QTransform>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

struct Header {
    QByteArray format;
    QSize stored;  // as stored in the file, before the EXIF orientation
    bool swapsAxes = false;
};

// Reads the size and orientation from the header only.
PictureError ReadHeader(QIODevice* device, Header* header) {
    QImageReader reader(device);
    reader.setAutoTransform(true);
    header->format = reader.format();
    if (header->format != "jpeg" && header->format != "gif") return PictureError::NotAPicture;
    header->stored = reader.size();
    if (!header->stored.isValid() || header->stored.isEmpty()) return PictureError::NotAPicture;
    header->swapsAxes = reader.transformation() & QImageIOHandler::TransformationRotate90;
    return PictureError::None;
}

QSize Upright(const Header& header) {
    return header.swapsAxes ? header.stored.transposed() : header.stored;
}

// A GIF is decoded at full size whatever size is asked for, so its full size must fit.
bool FitsInMemory(const Header& header) {
    if (header.format != "gif") return true;
    return qint64(header.stored.width()) * header.stored.height() <= kMaxDecodedPixels;
}

// The GIF structure check: blocks are walked to the trailer byte.
bool GifReachesEnd(const QByteArray& data) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    const qsizetype n = data.size();
    if (n < 13) return false;
    qsizetype i = 13;
    if (byte(10) & 0x80) i += 3 * (qsizetype(1) << ((byte(10) & 0x07) + 1));
    const auto skipSubBlocks = [&]() {
        while (i < n) {
            const int length = byte(i);
            ++i;
            if (length == 0) return true;
            i += length;
        }
        return false;
    };
    while (i < n) {
        const unsigned char introducer = byte(i++);
        if (introducer == 0x3B) return true;
        if (introducer == 0x21) {  // extension: label, then sub-blocks
            if (i >= n) return false;
            ++i;
            if (!skipSubBlocks()) return false;
        } else if (introducer == 0x2C) {  // image: descriptor, local table, LZW size, data
            if (i + 9 > n) return false;
            const unsigned char flags = byte(i + 8);
            i += 9;
            if (flags & 0x80) i += 3 * (qsizetype(1) << ((flags & 0x07) + 1));
            ++i;
            if (!skipSubBlocks()) return false;
        } else {
            return false;
        }
    }
    return false;
}

struct Decoded {
    QImage image;
    PictureError error = PictureError::None;
};

// The EXIF orientation applied to a picture decoded as stored: mirror, flip, then a quarter
// turn clockwise, as the orientation tag's values 2 to 8 describe.
QImage TurnedUpright(QImage image, int orientation) {
    const bool mirror =
        orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
    const bool flip = orientation == 3 || orientation == 4 || orientation == 5 || orientation == 8;
    const bool quarterTurn = orientation >= 5;
    if (mirror || flip) image = image.mirrored(mirror, flip);
    if (quarterTurn) image = image.transformed(QTransform().rotate(90));
    return image;
}

// A photo's embedded thumbnail serves when the picture is wanted no larger than it and it has
// the photo's shape (cameras often letterbox a 3:2 photo into a 4:3 thumbnail).
std::optional<QImage> FromThumbnail(const QByteArray& bytes, QSize natural, QSize upright,
                                    int orientation) {
    const std::optional<ExifThumbnail> thumbnail = ExifThumbnailOf(bytes);
    if (!thumbnail) return std::nullopt;
    const QSize size = orientation >= 5 ? thumbnail->Size().transposed() : thumbnail->Size();
    if (size.isEmpty() || upright.width() > size.width() || upright.height() > size.height()) {
        return std::nullopt;
    }
    const double expectedHeight = double(size.width()) * natural.height() / natural.width();
    if (std::fabs(expectedHeight - size.height()) > 1.0) return std::nullopt;
    QImage image = QImage::fromData(thumbnail->jpeg, "JPEG");
    if (image.isNull() || image.size() != thumbnail->Size()) return std::nullopt;
    return TurnedUpright(std::move(image), orientation)
        .scaled(upright, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

Decoded DecodeBytes(const QByteArray& bytes, const Header& header, QSize decodeSize) {
    const QSize upright = DecodeSizeFor(Upright(header), decodeSize);
    if (header.format == "jpeg") {
        if (auto image = FromThumbnail(bytes, Upright(header), upright, ExifOrientation(bytes))) {
            return {std::move(*image), PictureError::None};
        }
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, header.format);
    reader.setAutoTransform(true);
    // The reader scales before it turns the picture upright.
    const QSize stored = header.swapsAxes ? upright.transposed() : upright;
    if (stored != header.stored) reader.setScaledSize(stored);
    QImage image = reader.read();
    if (image.isNull()) return {{}, PictureError::NotAPicture};
    if (image.size() != upright) {
        image = image.scaled(upright, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {std::move(image), PictureError::None};
}

struct Checked {
    QByteArray bytes;
    Header header;
    PictureError error = PictureError::None;
};

Checked ReadAndCheck(const FilePath& path) {
    Checked checked;
    QFile file;
    if (!OpenForReading(path, file)) return {{}, {}, PictureError::Missing};
    checked.bytes = file.readAll();
    QBuffer buffer(&checked.bytes);
    buffer.open(QIODevice::ReadOnly);
    checked.error = ReadHeader(&buffer, &checked.header);
    if (checked.error != PictureError::None) return checked;
    if (!FitsInMemory(checked.header)) {
        checked.error = PictureError::TooLarge;
    } else if (checked.header.format == "jpeg" ? !JpegReachesEnd(checked.bytes)
                                               : !GifReachesEnd(checked.bytes)) {
        checked.error = PictureError::Truncated;
    }
    return checked;
}

PictureLoad LoadNow(const FilePath& path, QSize decodeSize) {
    Checked checked = ReadAndCheck(path);
    if (checked.error != PictureError::None) return {nullptr, checked.error};
    Decoded decoded = DecodeBytes(checked.bytes, checked.header, decodeSize);
    if (decoded.error != PictureError::None) return {nullptr, decoded.error};
    return {std::make_shared<PictureData>(path, Upright(checked.header), std::move(decoded.image)),
            PictureError::None};
}

struct PrefetchKey {
    FilePath path;
    QSize size;
    bool operator==(const PrefetchKey&) const = default;
};

size_t qHash(const PrefetchKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.path.Bytes(), key.size.width(), key.size.height());
}

// Touched only from the user-interface thread; the futures carry the workers' results.
QMultiHash<PrefetchKey, QFuture<PictureLoad>>& PrefetchTable() {
    static QMultiHash<PrefetchKey, QFuture<PictureLoad>> table;
    return table;
}

}  // namespace

QString DescribePictureError(PictureError error) {
    switch (error) {
        case PictureError::None:
            return QStringLiteral("no error");
        case PictureError::Missing:
            return QStringLiteral("the file cannot be opened");
        case PictureError::NotAPicture:
            return QStringLiteral("not a JPEG or GIF picture");
        case PictureError::Truncated:
            return QStringLiteral("the picture is cut short");
        case PictureError::TooLarge:
            return QStringLiteral("the picture is too large to decode");
    }
    return {};
}

PictureData::PictureData(FilePath path, QSize naturalSize, QImage pixels)
    : path_(std::move(path)), natural_(naturalSize), pixels_(std::move(pixels)) {}

void PictureData::FitTo(QSize devicePixels) {
    const QSize target = DecodeSizeFor(natural_, devicePixels);
    if (target.isEmpty() || pixels_.size() == target) return;
    if (pixels_.width() >= target.width() && pixels_.height() >= target.height()) {
        pixels_ = pixels_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return;
    }
    // More detail is wanted than the copy holds: read the file again. When it is gone or has
    // changed into something unreadable, the copy on hand stays and is stretched when drawn.
    Checked checked = ReadAndCheck(path_);
    if (checked.error != PictureError::None) return;
    Decoded decoded = DecodeBytes(checked.bytes, checked.header, target);
    if (decoded.error == PictureError::None) pixels_ = std::move(decoded.image);
}

QSize DecodeSizeFor(QSize natural, QSize wanted) {
    if (natural.isEmpty()) return {};
    QSize size = wanted.isEmpty() ? natural : wanted.boundedTo(natural);
    const qint64 area = qint64(size.width()) * size.height();
    if (area > kMaxDecodedPixels) {
        const double shrink = std::sqrt(double(kMaxDecodedPixels) / double(area));
        size = QSize(std::max(1, int(size.width() * shrink)),
                     std::max(1, int(size.height() * shrink)));
    }
    return size;
}

bool JpegReachesEnd(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    if (n < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    qsizetype i = 2;
    while (i < n) {
        if (bytes[i] != 0xFF) return false;
        while (i < n && bytes[i] == 0xFF) ++i;  // fill bytes
        if (i >= n) return false;
        const unsigned char marker = bytes[i++];
        if (marker == 0xD9) return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (i + 2 > n) return false;
        const qsizetype length = (qsizetype(bytes[i]) << 8) | bytes[i + 1];
        if (length < 2) return false;
        i += length;
        if (marker != 0xDA) continue;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a
        // restart marker.
        while (i < n) {
            const void* found = std::memchr(bytes + i, 0xFF, size_t(n - i));
            if (!found) return false;
            i = static_cast<const unsigned char*>(found) - bytes;
            if (i + 1 >= n) return false;
            const unsigned char next = bytes[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                i += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
    }
    return false;
}

PictureLoad MeasurePicture(const FilePath& path) {
    Checked checked = ReadAndCheck(path);
    if (checked.error != PictureError::None) return {nullptr, checked.error};
    return {std::make_shared<PictureData>(path, Upright(checked.header), QImage()),
            PictureError::None};
}

PictureLoad LoadPicture(const FilePath& path, QSize decodeSize) {
    auto& table = PrefetchTable();
    const auto found = table.find(PrefetchKey{path, decodeSize});
    if (found != table.end()) {
        QFuture<PictureLoad> future = found.value();
        table.erase(found);
        return future.result();
    }
    return LoadNow(path, decodeSize);
}

void PrefetchPicture(const FilePath& path, QSize decodeSize) {
    auto& table = PrefetchTable();
    table.insert(PrefetchKey{path, decodeSize},
                 QtConcurrent::run([path, decodeSize] { return LoadNow(path, decodeSize); }));
}

void DropPrefetchedPictures() {
    auto& table = PrefetchTable();
    for (auto& future : table) future.waitForFinished();
    table.clear();
}

}  // namespace platform
