#pragma once

#include <QByteArray>
#include <QSize>
#include <optional>

// What a photo's EXIF block (the "Exif" APP1 segment of a JPEG file) says about the picture:
// its orientation and its embedded preview-sized thumbnail. Pure functions over the file's
// bytes: no decoding, no files, no windows. Both TIFF byte orders are read, and every offset,
// count and length is checked against the data, so damaged or hostile files give the "absent"
// answer instead of a read out of bounds.
namespace platform {

// The EXIF orientation, 1 to 8 as the TIFF tag defines it (1: stored upright; 5 to 8: width and
// height swap when the picture is turned upright). 1 when the data carries no EXIF block, no
// orientation tag, or a value outside 1 to 8.
int ExifOrientation(const QByteArray& jpeg);

struct ExifThumbnail {
    // The thumbnail as a JPEG file of its own, from its start-of-image marker on, as stored.
    QByteArray jpeg;
    // The thumbnail's size in pixels as its own frame header gives it. Like the main picture it
    // is stored as shot: the same EXIF orientation turns it upright.
    int width = 0;
    int height = 0;

    QSize Size() const { return {width, height}; }
};

// The JPEG thumbnail embedded in the second image directory of the EXIF block (the one that
// follows the main picture's directory), with its size. Nothing when there is none, or when it
// lies outside the EXIF block, does not start as a JPEG, or has no readable frame header.
std::optional<ExifThumbnail> ExifThumbnailOf(const QByteArray& jpeg);

}  // namespace platform
