#include "platform/pictures/picture.h"

#include "platform/core/picture_formats.h"
#include "platform/core/whole_file.h"
#include "platform/pictures/thumbnail_cache.h"

#include <libexif/exif-data.h>

#include <QBuffer>
#include <QFuture>
#include <QImageIOHandler>
#include <QImageReader>
#include <QMultiHash>
#include <QTransform>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace platform {

namespace {

struct Header {
    QByteArray format;
    // The row of the format table; WebP needs Qt's image format plugins.
    const PictureFormat* row = nullptr;
    QSize stored;  // as stored in the file, before the EXIF orientation
    // A still picture that the header says has no transparency: a thumbnail, which is opaque,
    // may stand for it.
    bool opaque = false;
    QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone;

    bool SwapsAxes() const { return transformation & QImageIOHandler::TransformationRotate90; }
    QSize Upright() const { return SwapsAxes() ? stored.transposed() : stored; }
};

// Reads the format, the size and the EXIF orientation from the header only.
PictureError ReadHeader(const QByteArray& bytes, Header* header) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    header->format = reader.format();
    // A format that is not in the table is refused, never checked as another one.
    header->row = PictureFormatOfReader(header->format);
    if (!header->row) return PictureError::NotAPicture;
    header->stored = reader.size();
    if (!header->stored.isValid() || header->stored.isEmpty()) return PictureError::NotAPicture;
    header->transformation = reader.transformation();
    // An unknown answer from the header counts as transparent.
    const QImage::Format format = reader.imageFormat();
    switch (header->row->opacity) {
        case Opacity::Opaque:
            header->opaque = true;
            break;
        case Opacity::FromHeader:
            header->opaque =
                format != QImage::Format_Invalid &&
                QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::IgnoresAlpha;
            break;
        case Opacity::Never:
            header->opaque = false;
            break;
    }
    return PictureError::None;
}

// Only JPEG is decoded at a reduced size by the reader itself; the others are decoded at full
// size whatever size is asked for, so their full size must fit.
bool FitsInMemory(const Header& header) {
    if (header.format == "jpeg") return true;
    return qint64(header.stored.width()) * header.stored.height() <= kMaxDecodedPixels;
}

// Checks everything but the decode itself.
PictureError Check(const QByteArray& bytes, Header* header) {
    const PictureError error = ReadHeader(bytes, header);
    if (error != PictureError::None) return error;
    if (!FitsInMemory(*header)) return PictureError::TooLarge;
    return header->row->reachesEnd(bytes) ? PictureError::None : PictureError::Truncated;
}

// A picture decoded as stored, turned upright as Qt's reader turns the photo itself: mirrored
// and flipped first, then a quarter turn clockwise.
QImage Turned(QImage image, QImageIOHandler::Transformations transformation) {
    const bool mirror = transformation & QImageIOHandler::TransformationMirror;
    const bool flip = transformation & QImageIOHandler::TransformationFlip;
    if (mirror || flip) image = image.mirrored(mirror, flip);
    if (transformation & QImageIOHandler::TransformationRotate90) {
        image = image.transformed(QTransform().rotate(90));
    }
    return image;
}

// The JPEG thumbnail a camera stores in the photo's EXIF block. libexif looks for the block
// among the application segments at the start of the file, where cameras put it (a file with
// it elsewhere is decoded from the picture itself), and checks the thumbnail's offset and
// length against it; what it hands back is only a byte string that the JPEG reader still has
// to accept.
QByteArray ExifThumbnail(const QByteArray& jpeg) {
    const std::unique_ptr<ExifData, void (*)(ExifData*)> exif(exif_data_new(), exif_data_unref);
    if (!exif) return {};
    // Read the block as it is, without libexif adding the tags the EXIF standard requires.
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    const auto size = static_cast<unsigned int>(std::min<qsizetype>(jpeg.size(), UINT_MAX));
    exif_data_load_data(exif.get(), reinterpret_cast<const unsigned char*>(jpeg.constData()), size);
    if (!exif->data || exif->size == 0) return {};
    return QByteArray(reinterpret_cast<const char*>(exif->data), qsizetype(exif->size));
}

// A photo's embedded thumbnail serves when the picture is wanted no larger than it and it has
// the photo's shape (cameras often letterbox a 3:2 photo into a 4:3 thumbnail). It is stored
// as shot, so it takes the photo's turn upright.
std::optional<QImage> FromThumbnail(const QByteArray& bytes, const Header& header, QSize upright) {
    // A thumbnail cut short would decode with grey rows where its data is missing.
    const QByteArray jpeg = ExifThumbnail(bytes);
    if (jpeg.isEmpty() || !JpegReachesEnd(jpeg)) return std::nullopt;
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QSize stored = reader.size();
    const QSize size = header.SwapsAxes() ? stored.transposed() : stored;
    const QSize natural = header.Upright();
    if (size.isEmpty() || upright.width() > size.width() || upright.height() > size.height() ||
        size.width() > natural.width() || size.height() > natural.height()) {
        return std::nullopt;
    }
    const double expectedHeight = double(size.width()) * natural.height() / natural.width();
    if (std::fabs(expectedHeight - size.height()) > 1.0) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull() || image.size() != stored) return std::nullopt;
    return Turned(std::move(image), header.transformation)
        .scaled(upright, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage Decode(const QByteArray& bytes, const Header& header, QSize decodeSize) {
    const QSize upright = DecodeSizeFor(header.Upright(), decodeSize);
    if (header.format == "jpeg") {
        if (auto image = FromThumbnail(bytes, header, upright)) return std::move(*image);
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, header.format);
    reader.setAutoTransform(true);
    // The reader scales before it turns the picture upright.
    const QSize stored = header.SwapsAxes() ? upright.transposed() : upright;
    if (stored != header.stored) reader.setScaledSize(stored);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != upright) {
        image = image.scaled(upright, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

// A whole file's bytes, and the stamp the file had throughout the read: the one taken before
// it (`before`) when it is still the file's afterwards, none when the file changed meanwhile.
struct StampedBytes {
    std::optional<QByteArray> bytes;
    std::optional<FileStamp> stamp;
    PictureError error = PictureError::None;  // why there are no bytes
};

PictureError PictureErrorOf(ReadError error) {
    switch (error) {
        case ReadError::None:
            return PictureError::None;
        case ReadError::CannotOpen:
            return PictureError::Missing;
        case ReadError::NotAFile:
            return PictureError::NotAFile;
        case ReadError::TooLarge:
            return PictureError::TooLarge;
    }
    return PictureError::Missing;
}

StampedBytes ReadStamped(const FilePath& path, std::optional<FileStamp> before) {
    WholeFile file = ReadFile(path);
    StampedBytes read{std::move(file.bytes), std::nullopt, PictureErrorOf(file.error)};
    if (read.bytes && before && StampOf(path) == before) read.stamp = before;
    return read;
}

// Every decode checks the whole file first, so pixels decoded from bytes read at one stamp show
// the file, checked whole, at that stamp.
std::optional<PictureOrigin> OriginOf(std::optional<FileStamp> stamp, bool opaque) {
    if (!stamp) return std::nullopt;
    return PictureOrigin{*stamp, true, opaque};
}

PictureLoad Loaded(const FilePath& path, PictureBytes picture,
                   std::optional<PictureOrigin> origin = std::nullopt) {
    if (picture.error != PictureError::None) return {nullptr, picture.error};
    if (picture.pixels.isNull()) origin.reset();
    return {std::make_shared<PictureData>(path, picture.natural, std::move(picture.pixels), origin),
            PictureError::None};
}

}  // namespace

QString DescribePictureError(PictureError error) {
    switch (error) {
        case PictureError::None:
            return QStringLiteral("no error");
        case PictureError::Missing:
            return QStringLiteral("the file cannot be opened");
        case PictureError::NotAFile:
            return QStringLiteral("not a regular file");
        case PictureError::NotAPicture:
            return QStringLiteral("not a %1 picture").arg(PictureFormatNames(QStringLiteral("or")));
        case PictureError::Truncated:
            return QStringLiteral("the picture is cut short");
        case PictureError::TooLarge:
            return QStringLiteral("the picture is too large to decode");
    }
    return {};
}

PictureData::PictureData(FilePath path, QSize naturalSize, QImage pixels,
                         std::optional<PictureOrigin> origin)
    : path_(std::move(path)), natural_(naturalSize), pixels_(std::move(pixels)), origin_(origin) {}

void PictureData::FitTo(QSize devicePixels) {
    const QSize target = DecodeSizeFor(NaturalSize(), devicePixels);
    if (target.isEmpty() || pixels_.size() == target) return;
    if (pixels_.width() >= target.width() && pixels_.height() >= target.height()) {
        pixels_ = pixels_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return;
    }
    // More detail is wanted than the copy holds: read the file again. When it is gone or has
    // changed into something unreadable, the copy on hand stays and is stretched when drawn.
    const StampedBytes read = ReadStamped(path_, StampOf(path_));
    if (!read.bytes) return;
    PictureBytes decoded = DecodePicture(*read.bytes, UprightTarget(transform_, natural_, target));
    if (decoded.error != PictureError::None) return;
    // A file that now holds a picture of another size is no longer the one this object shows.
    origin_ = decoded.natural == natural_ ? OriginOf(read.stamp, decoded.opaque) : std::nullopt;
    if (transform_.IsIdentity() || decoded.natural != natural_) {
        pixels_ = std::move(decoded.pixels);
        return;
    }
    // Only the part shown is kept, however much of the picture the decode held.
    pixels_ = TransformedPixels(decoded.pixels, natural_, transform_);
    if (pixels_.size() != target) {
        pixels_ = pixels_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
}

void PictureData::SetTransform(const PictureTransform& transform) {
    const PictureTransform next = FittedTo(transform, natural_);
    if (next == transform_) return;
    const PictureTransform before = std::exchange(transform_, next);
    if (pixels_.isNull()) return;
    // The pixels on hand back as they were upright, within the crop they showed.
    const QRect shownCrop = CropWithin(before, natural_);
    // A mirrored transform undoes itself; turns alone are undone by turning back.
    const PictureTransform undo{.turns = before.mirrored ? before.turns : (4 - before.turns) % 4,
                                .mirrored = before.mirrored,
                                .crop = QRect()};
    const QImage uprightCrop = TransformedPixels(pixels_, pixels_.size(), undo);
    const QRect nextCrop = CropWithin(next, natural_);
    if (shownCrop.contains(nextCrop)) {
        // A crop of the crop, or a turn: the pixels on hand hold all of it at its scale.
        PictureTransform within = next;
        within.crop = nextCrop.translated(-shownCrop.topLeft());
        pixels_ = TransformedPixels(uprightCrop, shownCrop.size(), within);
        return;
    }
    // A crop that grows: the part not on hand comes from the file, at the scale shown.
    const double scale = double(uprightCrop.width()) / shownCrop.width();
    const QSize target(std::max(1, int(std::lround(natural_.width() * scale))),
                       std::max(1, int(std::lround(natural_.height() * scale))));
    const StampedBytes read = ReadStamped(path_, StampOf(path_));
    PictureBytes decoded = read.bytes ? DecodePicture(*read.bytes, target) : PictureBytes{};
    if (decoded.error != PictureError::None || decoded.natural != natural_) {
        // Drawn stretched until a readable file gives the rest (FitTo).
        pixels_ = QImage();
        return;
    }
    pixels_ = TransformedPixels(decoded.pixels, natural_, next);
}

std::shared_ptr<PictureData> PictureData::StandIn(QImage shownPixels) const {
    auto standIn = std::make_shared<PictureData>(path_, natural_, QImage());
    standIn->transform_ = transform_;
    standIn->pixels_ = std::move(shownPixels);
    return standIn;
}

QImage TransformedPixels(const QImage& uprightPixels, QSize upright,
                         const PictureTransform& transform) {
    if (uprightPixels.isNull() || upright.isEmpty()) return uprightPixels;
    QImage pixels = uprightPixels;
    const QRect crop = CropWithin(transform, upright);
    if (crop.size() != upright) {
        // The crop at the scale of the pixels on hand, in whole pixels.
        const double sx = double(uprightPixels.width()) / upright.width();
        const double sy = double(uprightPixels.height()) / upright.height();
        const QRect scaled(
            QPoint(int(std::lround(crop.left() * sx)), int(std::lround(crop.top() * sy))),
            QPoint(int(std::lround((crop.right() + 1) * sx)) - 1,
                   int(std::lround((crop.bottom() + 1) * sy)) - 1));
        pixels = uprightPixels.copy(scaled.isEmpty() ? scaled.adjusted(0, 0, 1, 1) : scaled);
    }
    if (transform.turns % 4 != 0) {
        // Qt turns by quarter turns exactly, pixel for pixel.
        pixels = pixels.transformed(QTransform().rotate(90.0 * (transform.turns % 4)));
    }
    if (transform.mirrored) pixels = pixels.mirrored(true, false);
    return pixels;
}

QTransform ShownFromUprightMatrix(const PictureTransform& transform, QSize upright) {
    const QPointF origin = ShownFromUpright(transform, upright, QPointF(0, 0));
    const QPointF x = ShownFromUpright(transform, upright, QPointF(1, 0)) - origin;
    const QPointF y = ShownFromUpright(transform, upright, QPointF(0, 1)) - origin;
    return QTransform(x.x(), x.y(), y.x(), y.y(), origin.x(), origin.y());
}

PictureBytes CheckPicture(const QByteArray& bytes) {
    Header header;
    const PictureError error = Check(bytes, &header);
    if (error != PictureError::None) return {error, {}, {}};
    return {PictureError::None, header.Upright(), {}, header.opaque};
}

namespace {

// DecodePicture for a picture shown through the transform at `shownSize`: decoded upright, at
// the scale the transform's crop needs.
PictureBytes DecodeUpright(const QByteArray& bytes, QSize shownSize,
                           const PictureTransform& transform) {
    Header header;
    const PictureError error = Check(bytes, &header);
    if (error != PictureError::None) return {error, {}, {}};
    const QSize decodeSize = UprightTarget(transform, header.Upright(), shownSize);
    QImage image = Decode(bytes, header, decodeSize);
    if (image.isNull()) return {PictureError::NotAPicture, {}, {}};
    return {PictureError::None, header.Upright(), std::move(image), header.opaque};
}

}  // namespace

PictureBytes DecodePicture(const QByteArray& bytes, QSize decodeSize) {
    return DecodeUpright(bytes, decodeSize, {});
}

namespace {

PictureLoad FromCheckedThumbnail(const FilePath& path, FileStamp stamp, QSize decodeSize,
                                 const ThumbnailCache& thumbnails) {
    std::optional<ThumbnailCache::Checked> checked =
        thumbnails.FindChecked(path, stamp, decodeSize);
    if (!checked) return {};
    // Only opaque pictures are given such a thumbnail (see LoadThroughCache and StoreThumbnailOf).
    return {std::make_shared<PictureData>(path, checked->natural, std::move(checked->pixels),
                                          PictureOrigin{stamp, true, true}),
            PictureError::None};
}

// LoadPicture with a cache: the file is read and checked as always, and only the decode is
// saved. The file's status is taken before and after the read, so that a file that changed
// meanwhile is neither matched with an old thumbnail nor given a thumbnail of other bytes.
PictureLoad LoadThroughCache(const FilePath& path, QSize decodeSize, ThumbnailCache& thumbnails,
                             const PictureTransform& transform) {
    const std::optional<FileStamp> before = StampOf(path);
    // A thumbnail written after this very file was checked whole stands for the file; the scale
    // a crop needs is known only from the file's header.
    if (before && transform.crop.isNull()) {
        const QSize upright = transform.Sideways() ? decodeSize.transposed() : decodeSize;
        if (PictureLoad checked = FromCheckedThumbnail(path, *before, upright, thumbnails)) {
            checked.picture->SetTransform(transform);
            return checked;
        }
    }
    const StampedBytes read = ReadStamped(path, before);
    if (!read.bytes) return {nullptr, read.error};
    const QByteArray& bytes = *read.bytes;
    Header header;
    const PictureError error = Check(bytes, &header);
    if (error != PictureError::None) return {nullptr, error};
    const QSize natural = header.Upright();
    const QSize shown = DecodeSizeFor(natural, UprightTarget(transform, natural, decodeSize));
    const auto picture = [&](QImage pixels) -> PictureLoad {
        if (pixels.isNull()) return {nullptr, PictureError::NotAPicture};
        auto data = std::make_shared<PictureData>(path, natural, std::move(pixels),
                                                  OriginOf(read.stamp, header.opaque));
        data->SetTransform(transform);
        return {std::move(data), PictureError::None};
    };
    // Opaque still pictures only: a GIF is decoded whole anyway, and a thumbnail would lose a
    // picture's transparency.
    const std::optional<int> classIndex = ThumbnailClassFor(natural, shown);
    if (!header.opaque || !read.stamp || !classIndex || !thumbnails.Serves(path)) {
        return picture(Decode(bytes, header, shown));
    }
    if (QImage found = thumbnails.Find(path, *read.stamp, natural, shown); !found.isNull()) {
        return picture(std::move(found));
    }
    // Decoded once at the thumbnail's size, which the reader reaches by the same reduced
    // decode as the size shown, and scaled down from there.
    const QSize thumbnailSize = ThumbnailSizeFor(natural, kThumbnailClasses[*classIndex].size);
    QImage decoded = Decode(bytes, header, thumbnailSize);
    if (decoded.isNull() || decoded.size() != thumbnailSize) {
        return picture(Decode(bytes, header, shown));
    }
    QImage pixels = decoded.size() == shown
                        ? decoded
                        : decoded.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    thumbnails.Store(path, *read.stamp, *classIndex, std::move(decoded), natural, true);
    return picture(std::move(pixels));
}

}  // namespace

PictureLoad LoadPicture(const FilePath& path, QSize decodeSize, ThumbnailCache* thumbnails,
                        const PictureTransform& transform) {
    if (thumbnails) return LoadThroughCache(path, decodeSize, *thumbnails, transform);
    const StampedBytes read = ReadStamped(path, StampOf(path));
    if (!read.bytes) return {nullptr, read.error};
    PictureBytes decoded = DecodeUpright(*read.bytes, decodeSize, transform);
    const bool opaque = decoded.opaque;
    PictureLoad load = Loaded(path, std::move(decoded), OriginOf(read.stamp, opaque));
    if (load) load.picture->SetTransform(transform);
    return load;
}

PictureLoad LoadCachedPicture(const FilePath& path, QSize decodeSize,
                              const ThumbnailCache& thumbnails) {
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp) return {};
    return FromCheckedThumbnail(path, *stamp, decodeSize, thumbnails);
}

bool StoreThumbnailOf(const PictureData& picture, QSize decodeSize, ThumbnailCache& thumbnails) {
    const std::optional<PictureOrigin>& origin = picture.Origin();
    const FilePath& path = picture.Path();
    // Pixels transformed are no longer the file's.
    if (!origin || !origin->opaque || !picture.Transform().IsIdentity() ||
        !thumbnails.Serves(path)) {
        return false;
    }
    const QSize natural = picture.UprightSize();
    const std::optional<int> classIndex =
        ThumbnailClassFrom(natural, picture.Pixels().size(), DecodeSizeFor(natural, decodeSize));
    // The pixels are still the file's only while its stamp is the one they were decoded at.
    if (!classIndex || StampOf(path) != origin->stamp) return false;
    thumbnails.Store(path, origin->stamp, *classIndex, picture.Pixels(), natural,
                     origin->checkedWhole);
    return true;
}

PictureLoad MeasurePicture(const FilePath& path) {
    WholeFile file = ReadFile(path);
    if (!file.bytes) return {nullptr, PictureErrorOf(file.error)};
    return Loaded(path, CheckPicture(*file.bytes));
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

namespace {

struct DecodeKey {
    FilePath path;
    QSize size;
    PictureTransform transform;
    bool operator==(const DecodeKey&) const = default;
};

size_t qHash(const DecodeKey& key, size_t seed = 0) {
    const QRect& crop = key.transform.crop;
    return qHashMulti(seed, key.path.Bytes(), key.size.width(), key.size.height(),
                      key.transform.turns, key.transform.mirrored, crop.x(), crop.y(), crop.width(),
                      crop.height());
}

}  // namespace

// Touched only from the thread that owns the object; the futures carry the workers' results.
struct PictureDecodes::Started {
    QMultiHash<DecodeKey, QFuture<PictureLoad>> futures;
};

PictureDecodes::PictureDecodes(ThumbnailCache* thumbnails)
    : thumbnails_(thumbnails), started_(std::make_unique<Started>()) {}

PictureDecodes::~PictureDecodes() {
    // Decodes still queued are dropped; those already running are waited for, so that no
    // worker outlives the restore that started it.
    for (auto& future : started_->futures) future.cancel();
    for (auto& future : started_->futures) future.waitForFinished();
}

void PictureDecodes::Start(const FilePath& path, QSize decodeSize,
                           const PictureTransform& transform) {
    started_->futures.insert(
        DecodeKey{path, decodeSize, transform},
        QtConcurrent::run([path, decodeSize, thumbnails = thumbnails_, transform] {
            return LoadPicture(path, decodeSize, thumbnails, transform);
        }));
}

PictureLoad PictureDecodes::Take(const FilePath& path, QSize decodeSize,
                                 const PictureTransform& transform) {
    const auto found = started_->futures.find(DecodeKey{path, decodeSize, transform});
    if (found == started_->futures.end()) {
        return LoadPicture(path, decodeSize, thumbnails_, transform);
    }
    QFuture<PictureLoad> future = found.value();
    started_->futures.erase(found);
    return future.result();
}

}  // namespace platform
