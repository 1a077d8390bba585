#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTransform>
#include <memory>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/core/picture_formats.h"
#include "platform/core/picture_transform.h"
#include "platform/core/thumbnail_rules.h"

// Pictures: JPEG and GIF files, and from outside the browser PNG, WebP and BMP files, decoded
// through Qt's readers. A picture object is shared by
// reference between windows (pinning hands the display window's picture to the pinned window
// without reading the file again) and keeps one decoded copy, no larger than it is shown.
namespace platform {

class ThumbnailCache;

enum class PictureError {
    None,
    Missing,      // no such file, or it cannot be opened for reading
    NotAFile,     // a folder, a FIFO, a socket or a device: never read
    NotAPicture,  // not a JPEG, GIF, PNG, WebP or BMP that the decoder reads
    Truncated,    // the file ends before its picture does
    TooLarge,     // larger than any picture file, or the decoder would need more memory than
                  // a picture may take
};

QString DescribePictureError(PictureError error);

// What a picture's pixels are known to show: the file as it was at `stamp` (the same before
// and after it was read), and whether that file was checked whole (it reaches its end).
struct PictureOrigin {
    FileStamp stamp;
    bool checkedWhole = false;
    // An opaque still picture (a photo, an opaque PNG) that a thumbnail may stand for; a GIF is
    // decoded whole anyway, and a thumbnail would lose a picture's transparency.
    bool opaque = false;
    bool operator==(const PictureOrigin&) const = default;
};

class PictureData {
public:
    PictureData(FilePath path, QSize naturalSize, QImage pixels,
                std::optional<PictureOrigin> origin = std::nullopt);

    const FilePath& Path() const { return path_; }
    // The picture's own size in pixels as it is shown: upright (a photo's EXIF orientation
    // applied), then transformed.
    QSize NaturalSize() const { return ShownSize(transform_, natural_); }
    // The file's picture upright, before the transform.
    QSize UprightSize() const { return natural_; }
    // The decoded copy as it is shown, possibly smaller than the natural size; may be null before
    // first use.
    const QImage& Pixels() const { return pixels_; }

    // How the picture is shown (a pin's crop, turns and mirror). Changing it turns, mirrors or
    // cuts the pixels on hand; only a crop that grows reads the file again, at the same scale.
    const PictureTransform& Transform() const { return transform_; }
    void SetTransform(const PictureTransform& transform);
    // The same picture with other pixels as shown: a quick stand-in while sharper ones are
    // decoded. It claims no origin, so no thumbnail is made of it.
    std::shared_ptr<PictureData> StandIn(QImage shownPixels) const;
    // Where the pixels came from; none when that is not known (the file changed while it was
    // read, or the pixels came from elsewhere). Kept up to date by FitTo.
    const std::optional<PictureOrigin>& Origin() const { return origin_; }

    // Makes the decoded copy match `devicePixels` as closely as the file allows: detail beyond
    // it is dropped, and missing detail is decoded from the file again while the file is still
    // readable (otherwise the copy on hand is kept). Never exceeds the natural size.
    void FitTo(QSize devicePixels);

private:
    FilePath path_;
    QSize natural_;
    QImage pixels_;
    std::optional<PictureOrigin> origin_;
    PictureTransform transform_;
};

using Picture = std::shared_ptr<PictureData>;

struct PictureLoad {
    Picture picture;
    PictureError error = PictureError::None;
    explicit operator bool() const { return picture != nullptr; }
};

// A picture file's bytes, checked and possibly decoded: no files, no windows.
struct PictureBytes {
    PictureError error = PictureError::None;
    QSize natural;        // upright; empty when the check failed
    QImage pixels;        // null when only checked, or when the check or the decode failed
    bool opaque = false;  // see PictureOrigin
};

// Checks the bytes as a JPEG, GIF, PNG, WebP or BMP file: the format and header, that the data
// reaches the picture's end (a cut-short download does not), and that a decode fits in memory.
// Decodes nothing: measuring a 24-megapixel photo takes milliseconds.
PictureBytes CheckPicture(const QByteArray& bytes);
// Checks as CheckPicture does, then decodes at `decodeSize` device pixels (clamped to the
// natural size and to the memory bound; empty means the natural size), turned upright. A photo
// wanted no larger than its EXIF thumbnail, and of the same shape, comes from the thumbnail.
PictureBytes DecodePicture(const QByteArray& bytes, QSize decodeSize = {});

// Pixels decoded upright (of a picture of `upright` pixels, at any scale) as the transform shows
// them: the crop cut out at that scale, turned and mirrored.
QImage TransformedPixels(const QImage& uprightPixels, QSize upright,
                         const PictureTransform& transform);
// The transform's mapping of the upright picture's pixels onto the shown picture's.
QTransform ShownFromUprightMatrix(const PictureTransform& transform, QSize upright);

// Reads the file and decodes it as DecodePicture does. With a thumbnail cache, a photo whose
// current thumbnail covers `decodeSize` comes from the thumbnail: without reading the file when
// this program wrote that thumbnail after checking this very file whole, otherwise after the
// file was read and checked, so that which pictures are shown never depends on the cache.
// Without one, the decode is made at the size of the thumbnail class that covers `decodeSize`,
// and that thumbnail is written behind the caller's back. With a transform, the picture comes
// transformed and `decodeSize` is the size it is shown at.
PictureLoad LoadPicture(const FilePath& path, QSize decodeSize = {},
                        ThumbnailCache* thumbnails = nullptr,
                        const PictureTransform& transform = {});
// The picture from a thumbnail that stands for the file (one this program wrote after checking
// this very file whole, see LoadPicture), without reading the file: milliseconds, where a decode
// of a large photo takes a tenth of a second or more. Null, with no error, when there is none.
PictureLoad LoadCachedPicture(const FilePath& path, QSize decodeSize,
                              const ThumbnailCache& thumbnails);
// Reads the file and checks it as CheckPicture does: the pixels come on the first FitTo.
PictureLoad MeasurePicture(const FilePath& path);

// The size a decode of `wanted` device pixels takes for a picture of `natural` pixels: never
// larger than the natural size on either axis, never more than kMaxDecodedPixels in all.
inline constexpr qint64 kMaxDecodedPixels = 32 * 1024 * 1024;  // 128 MiB as 32-bit pixels
QSize DecodeSizeFor(QSize natural, QSize wanted);

// Writes, behind the caller's back, the thumbnail that a later load of the picture at
// `decodeSize` device pixels (see LoadPicture) would find, made from the pixels on hand: when
// they are a photo's, still what the file holds (its stamp is the one they were decoded at) and
// at least the covering class's size. Never waits for the write. Whether one was stored.
bool StoreThumbnailOf(const PictureData& picture, QSize decodeSize, ThumbnailCache& thumbnails);

// Decodes started ahead on worker threads and picked up later by path and size: the start-up
// restore starts one for every record, then takes them record by record. Decodes not taken are
// cancelled or waited for when the object goes.
class PictureDecodes {
public:
    // Loads through `thumbnails` (see LoadPicture) when given; it must outlive this object.
    explicit PictureDecodes(ThumbnailCache* thumbnails = nullptr);
    ~PictureDecodes();
    PictureDecodes(const PictureDecodes&) = delete;
    PictureDecodes& operator=(const PictureDecodes&) = delete;

    // Starts loading the file at `decodeSize`, as LoadPicture does, on a worker thread.
    void Start(const FilePath& path, QSize decodeSize, const PictureTransform& transform = {});
    // The result of a decode started for this path, size and transform (each one is taken
    // once), or, when none was started, LoadPicture's now.
    PictureLoad Take(const FilePath& path, QSize decodeSize,
                     const PictureTransform& transform = {});

private:
    struct Started;
    ThumbnailCache* thumbnails_;
    std::unique_ptr<Started> started_;
};

}  // namespace platform
