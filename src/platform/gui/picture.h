#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

#include "platform/file_path.h"

// Pictures: JPEG and GIF files decoded through Qt's readers. A picture object is shared by
// reference between windows (pinning hands the display window's picture to the pinned window
// without reading the file again) and keeps one decoded copy, no larger than it is shown.
namespace platform {

enum class PictureError {
    None,
    Missing,      // no such file, or it cannot be opened for reading
    NotAPicture,  // not a JPEG or GIF that the decoder reads
    Truncated,    // the file ends before its picture does
    TooLarge,     // the decoder would need more memory than a picture may take
};

QString DescribePictureError(PictureError error);

class PictureData {
public:
    PictureData(FilePath path, QSize naturalSize, QImage pixels);

    const FilePath& Path() const { return path_; }
    // The picture's own size in pixels, upright (a photo's EXIF orientation applied).
    QSize NaturalSize() const { return natural_; }
    // The decoded copy, possibly smaller than the natural size; may be null before first use.
    const QImage& Pixels() const { return pixels_; }

    // Makes the decoded copy match `devicePixels` as closely as the file allows: detail beyond
    // it is dropped, and missing detail is decoded from the file again while the file is still
    // readable (otherwise the copy on hand is kept). Never exceeds the natural size.
    void FitTo(QSize devicePixels);

private:
    FilePath path_;
    QSize natural_;
    QImage pixels_;
};

using Picture = std::shared_ptr<PictureData>;

struct PictureLoad {
    Picture picture;
    PictureError error = PictureError::None;
    explicit operator bool() const { return picture != nullptr; }
};

// Reads and checks the file, and decodes it at `decodeSize` device pixels (clamped to the
// natural size and to the memory bound; empty means the natural size).
PictureLoad LoadPicture(const FilePath& path, QSize decodeSize = {});
// Checks the file as LoadPicture does and learns its size, but decodes nothing yet: the pixels
// come on the first FitTo. Measuring a 24-megapixel photo this way takes milliseconds.
PictureLoad MeasurePicture(const FilePath& path);

// The size a decode of `wanted` device pixels takes for a picture of `natural` pixels: never
// larger than the natural size on either axis, never more than kMaxDecodedPixels in all.
inline constexpr qint64 kMaxDecodedPixels = 32 * 1024 * 1024;  // 128 MiB as 32-bit pixels
QSize DecodeSizeFor(QSize natural, QSize wanted);

// Whether the JPEG data reaches its end-of-image marker (a truncated download does not).
bool JpegReachesEnd(const QByteArray& data);

// Decoding ahead: starts the decode of a picture on a worker thread, so that a later
// LoadPicture of the same path and size picks up the result instead of decoding again.
void PrefetchPicture(const FilePath& path, QSize decodeSize);
// Forgets prefetched results that were never picked up.
void DropPrefetchedPictures();

}  // namespace platform
