#include "platform/exif.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Every read goes through this view: positions are 64-bit and checked against the size
// before any byte is touched, so offsets and counts taken from the file cannot reach outside
// it, whatever their value.
struct View {
    const unsigned char* data = nullptr;
    qint64 size = 0;

    bool Has(qint64 at, qint64 length) const {
        return at >= 0 && length >= 0 && at <= size && length <= size - at;
    }
    unsigned char At(qint64 at) const { return data[at]; }
    View Sub(qint64 at, qint64 length) const { return {data + at, length}; }
};

View ViewOf(const QByteArray& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()};
}

quint16 BigEndian16(View view, qint64 at) {
    return quint16((view.At(at) << 8) | view.At(at + 1));
}

// One marker segment of a JPEG file's header: its marker byte and its payload (the bytes
// after the two length bytes), cut short where the data ends.
struct Segment {
    unsigned char marker = 0;
    View payload;
};

// Walks the marker segments that come before the first scan, calling `visit` for each until
// it returns true. The walk stops at the start of the entropy-coded data: EXIF blocks and frame
// headers always come before it, and what follows is not made of segments.
template <typename Visit>
bool WalkHeaderSegments(View jpeg, Visit visit) {
    if (!jpeg.Has(0, 2) || jpeg.At(0) != 0xFF || jpeg.At(1) != 0xD8) return false;
    qint64 i = 2;
    while (i < jpeg.size) {
        if (jpeg.At(i) != 0xFF) return false;
        while (i < jpeg.size && jpeg.At(i) == 0xFF) ++i;  // fill bytes
        if (i >= jpeg.size) return false;
        const unsigned char marker = jpeg.At(i++);
        if (marker == 0xD9 || marker == 0xDA) return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (!jpeg.Has(i, 2)) return false;
        const qint64 length = BigEndian16(jpeg, i);
        if (length < 2) return false;
        // A segment cut short by the end of the data still offers what it holds; the readers
        // below check every access against what is there.
        const qint64 payloadAt = i + 2;
        const qint64 payloadLength = std::min(length - 2, jpeg.size - payloadAt);
        if (visit(Segment{marker, jpeg.Sub(payloadAt, payloadLength)})) return true;
        i += length;
    }
    return false;
}

// The TIFF structure inside the first "Exif" APP1 segment; offsets in it count from its
// first byte. Empty when there is none.
View FindTiff(View jpeg) {
    View tiff;
    WalkHeaderSegments(jpeg, [&](const Segment& segment) {
        // "Exif", a zero byte and one pad byte (a zero in the standard, not always in practice).
        static const char kExif[] = {'E', 'x', 'i', 'f', '\0'};
        if (segment.marker != 0xE1 || !segment.payload.Has(0, 6)) return false;
        if (std::memcmp(segment.payload.data, kExif, sizeof kExif) != 0) return false;
        tiff = segment.payload.Sub(6, segment.payload.size - 6);
        return true;
    });
    return tiff;
}

class TiffReader {
public:
    explicit TiffReader(View tiff) : tiff_(tiff) {
        if (!tiff_.Has(0, 8)) return;
        const unsigned char a = tiff_.At(0), b = tiff_.At(1);
        if (a == 'I' && b == 'I') {
            bigEndian_ = false;
        } else if (a == 'M' && b == 'M') {
            bigEndian_ = true;
        } else {
            return;
        }
        quint32 magic = 0;
        valid_ = Read16(2, &magic) && magic == 42;
    }

    bool Valid() const { return valid_; }

    bool Read16(qint64 at, quint32* value) const {
        if (!tiff_.Has(at, 2)) return false;
        const quint32 b0 = tiff_.At(at), b1 = tiff_.At(at + 1);
        *value = bigEndian_ ? (b0 << 8) | b1 : (b1 << 8) | b0;
        return true;
    }

    bool Read32(qint64 at, quint32* value) const {
        if (!tiff_.Has(at, 4)) return false;
        quint32 result = 0;
        for (int k = 0; k < 4; ++k) {
            const quint32 byte = tiff_.At(at + (bigEndian_ ? k : 3 - k));
            result = (result << 8) | byte;
        }
        *value = result;
        return true;
    }

    // The first image directory's offset, or 0 when it cannot be read.
    qint64 FirstDirectory() const {
        quint32 offset = 0;
        return valid_ && Read32(4, &offset) ? offset : 0;
    }

    // Calls `visit(tag, type, count, entryAt)` for every whole entry of the directory at
    // `offset`; returns the offset of the directory after it, or 0 when there is none or the
    // pointer to it lies outside the data. A count larger than the data holds reads the entries
    // that are there.
    template <typename Visit>
    qint64 WalkDirectory(qint64 offset, Visit visit) const {
        // Offsets below 8 would point into the header itself.
        quint32 count = 0;
        if (offset < 8 || !Read16(offset, &count)) return 0;
        const qint64 first = offset + 2;
        for (qint64 k = 0; k < count; ++k) {
            const qint64 entry = first + 12 * k;
            if (!tiff_.Has(entry, 12)) return 0;
            quint32 tag = 0, type = 0, valueCount = 0;
            Read16(entry, &tag);
            Read16(entry + 2, &type);
            Read32(entry + 4, &valueCount);
            visit(tag, type, valueCount, entry);
        }
        quint32 next = 0;
        return Read32(first + 12 * qint64(count), &next) ? next : 0;
    }

    // A single SHORT or LONG value held in an entry itself.
    bool ReadNumber(quint32 type, quint32 count, qint64 entry, quint32* value) const {
        if (count != 1) return false;
        if (type == 3) return Read16(entry + 8, value);
        if (type == 4) return Read32(entry + 8, value);
        return false;
    }

    View Bytes() const { return tiff_; }

private:
    View tiff_;
    bool bigEndian_ = false;
    bool valid_ = false;
};

constexpr quint32 kOrientationTag = 0x0112;
constexpr quint32 kThumbnailOffsetTag = 0x0201;  // JPEGInterchangeFormat
constexpr quint32 kThumbnailLengthTag = 0x0202;  // JPEGInterchangeFormatLength

// The frame size from a JPEG's start-of-frame segment (any coding process).
bool FrameSize(View jpeg, int* width, int* height) {
    return WalkHeaderSegments(jpeg,
                              [&](const Segment& segment) {
                                  const unsigned char m = segment.marker;
                                  const bool startOfFrame =
                                      m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
                                  if (!startOfFrame) return false;
                                  // Precision, then height and width; a height of 0 is defined
                                  // later in the scan, which a header-only reader cannot learn.
                                  if (!segment.payload.Has(0, 5)) return true;
                                  *height = BigEndian16(segment.payload, 1);
                                  *width = BigEndian16(segment.payload, 3);
                                  return true;
                              }) &&
           *width > 0 && *height > 0;
}

}  // namespace

int ExifOrientation(const QByteArray& jpeg) {
    const TiffReader tiff(FindTiff(ViewOf(jpeg)));
    if (!tiff.Valid()) return 1;
    int orientation = 1;
    bool found = false;
    tiff.WalkDirectory(
        tiff.FirstDirectory(), [&](quint32 tag, quint32 type, quint32 count, qint64 entry) {
            quint32 value = 0;
            if (found || tag != kOrientationTag) return;
            found = true;
            if (tiff.ReadNumber(type, count, entry, &value) && value >= 1 && value <= 8) {
                orientation = int(value);
            }
        });
    return orientation;
}

std::optional<ExifThumbnail> ExifThumbnailOf(const QByteArray& jpeg) {
    const TiffReader tiff(FindTiff(ViewOf(jpeg)));
    if (!tiff.Valid()) return std::nullopt;
    const qint64 first = tiff.FirstDirectory();
    const qint64 second = tiff.WalkDirectory(first, [](quint32, quint32, quint32, qint64) {});
    // A second directory that points back at the first describes the main picture again.
    if (second == 0 || second == first) return std::nullopt;
    std::optional<quint32> offset, length;
    tiff.WalkDirectory(second, [&](quint32 tag, quint32 type, quint32 count, qint64 entry) {
        quint32 value = 0;
        if (!tiff.ReadNumber(type, count, entry, &value)) return;
        if (tag == kThumbnailOffsetTag && !offset) offset = value;
        if (tag == kThumbnailLengthTag && !length) length = value;
    });
    if (!offset || !length || *offset < 8) return std::nullopt;
    const View bytes = tiff.Bytes();
    if (!bytes.Has(*offset, *length)) return std::nullopt;
    const View thumbnail = bytes.Sub(*offset, *length);
    ExifThumbnail result;
    if (!FrameSize(thumbnail, &result.width, &result.height)) return std::nullopt;
    result.jpeg = QByteArray(reinterpret_cast<const char*>(thumbnail.data), thumbnail.size);
    return result;
}

}  // namespace platform
