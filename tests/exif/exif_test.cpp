#include "platform/exif.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

QByteArray EncodeJpeg(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    // A diagonal line, so the encoder has some detail to code.
    for (int k = 0; k < std::min(size.width(), size.height()); ++k)
        image.setPixel(k, k, 0xFF000000);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return bytes;
}

// A byte string in one TIFF byte order.
class TiffWriter {
public:
    explicit TiffWriter(bool bigEndian) : bigEndian_(bigEndian) {}

    qsizetype Size() const { return bytes_.size(); }
    const QByteArray& Bytes() const { return bytes_; }

    void Raw(const QByteArray& raw) { bytes_ += raw; }
    void U16(quint32 value) {
        const char hi = char((value >> 8) & 0xFF), lo = char(value & 0xFF);
        bytes_ += bigEndian_ ? hi : lo;
        bytes_ += bigEndian_ ? lo : hi;
    }
    void U32(quint32 value) {
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian_ ? 24 - 8 * k : 8 * k;
            bytes_ += char((value >> shift) & 0xFF);
        }
    }
    void Patch32(qsizetype at, quint32 value) {
        TiffWriter patch(bigEndian_);
        patch.U32(value);
        bytes_.replace(at, 4, patch.Bytes());
    }

private:
    bool bigEndian_;
    QByteArray bytes_;
};

// Where the interesting fields of a built file lie, as positions in the whole file, so that
// the corruption cases below can overwrite them.
struct Layout {
    qsizetype app1LengthAt = -1;
    qsizetype tiffAt = -1;
    qsizetype firstDirectoryOffsetAt = -1;  // the header's pointer to IFD0
    qsizetype firstDirectoryAt = -1;        // IFD0's entry count
    qsizetype orientationEntryAt = -1;
    qsizetype nextDirectoryOffsetAt = -1;  // IFD0's pointer to IFD1
    qsizetype secondDirectoryAt = -1;      // IFD1's entry count
    qsizetype thumbnailOffsetEntryAt = -1;
    qsizetype thumbnailLengthEntryAt = -1;
    qsizetype thumbnailAt = -1;
    qsizetype thumbnailSize = 0;
};

struct ExifOptions {
    bool bigEndian = true;
    std::optional<int> orientation;  // written as a SHORT when present
    QByteArray thumbnail;            // the IFD1 and its JPEG when not empty
    bool afterJfif = false;          // behind the encoder's APP0 instead of before it
    bool xmpFirst = false;           // another APP1 (not EXIF) in front of the EXIF one
};

struct Built {
    QByteArray file;
    Layout layout;
    bool bigEndian = true;

    void Put16(qsizetype at, quint32 value) {
        TiffWriter w(bigEndian);
        w.U16(value);
        file.replace(at, 2, w.Bytes());
    }
    void Put32(qsizetype at, quint32 value) {
        TiffWriter w(bigEndian);
        w.U32(value);
        file.replace(at, 4, w.Bytes());
    }
};

// A main picture with an EXIF APP1 segment shaped as cameras write it: IFD0 with a text entry
// whose value lies outside the entry and the orientation; IFD1 with the compression and the
// thumbnail's place; the thumbnail itself at the end of the segment.
Built BuildJpeg(const ExifOptions& options, QByteArray mainJpeg = {}) {
    if (mainJpeg.isEmpty()) mainJpeg = EncodeJpeg(QSize(48, 32), Qt::darkCyan);
    TiffWriter tiff(options.bigEndian);
    Layout local;  // positions inside the TIFF block for now
    tiff.Raw(options.bigEndian ? QByteArray("MM", 2) : QByteArray("II", 2));
    tiff.U16(42);
    local.firstDirectoryOffsetAt = tiff.Size();
    tiff.U32(8);
    local.firstDirectoryAt = tiff.Size();
    const QByteArray make("Vellora", 8);  // with its closing zero
    const int firstCount = options.orientation ? 2 : 1;
    tiff.U16(firstCount);
    const qsizetype makeOffsetAt = tiff.Size() + 8;
    tiff.U16(0x010F);  // Make, ASCII
    tiff.U16(2);
    tiff.U32(quint32(make.size()));
    tiff.U32(0);  // patched below
    if (options.orientation) {
        local.orientationEntryAt = tiff.Size();
        tiff.U16(0x0112);
        tiff.U16(3);
        tiff.U32(1);
        tiff.U16(quint32(*options.orientation));
        tiff.U16(0);
    }
    local.nextDirectoryOffsetAt = tiff.Size();
    tiff.U32(0);  // patched below when there is a thumbnail
    tiff.Patch32(makeOffsetAt, quint32(tiff.Size()));
    tiff.Raw(make);
    if (!options.thumbnail.isEmpty()) {
        tiff.Patch32(local.nextDirectoryOffsetAt, quint32(tiff.Size()));
        local.secondDirectoryAt = tiff.Size();
        tiff.U16(3);
        tiff.U16(0x0103);  // Compression: JPEG
        tiff.U16(3);
        tiff.U32(1);
        tiff.U16(6);
        tiff.U16(0);
        local.thumbnailOffsetEntryAt = tiff.Size();
        tiff.U16(0x0201);
        tiff.U16(4);
        tiff.U32(1);
        const qsizetype offsetValueAt = tiff.Size();
        tiff.U32(0);
        local.thumbnailLengthEntryAt = tiff.Size();
        tiff.U16(0x0202);
        tiff.U16(4);
        tiff.U32(1);
        tiff.U32(quint32(options.thumbnail.size()));
        tiff.U32(0);  // no further directory
        tiff.Patch32(offsetValueAt, quint32(tiff.Size()));
        local.thumbnailAt = tiff.Size();
        local.thumbnailSize = options.thumbnail.size();
        tiff.Raw(options.thumbnail);
    }

    QByteArray payload = QByteArray("Exif\0\0", 6) + tiff.Bytes();
    QByteArray app1("\xFF\xE1", 2);
    const quint16 length = quint16(payload.size() + 2);
    app1 += char(length >> 8);
    app1 += char(length & 0xFF);
    app1 += payload;

    QByteArray prefix;
    if (options.xmpFirst) {
        const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + "<x:xmpmeta/>";
        const quint16 xmpLength = quint16(xmp.size() + 2);
        prefix = QByteArray("\xFF\xE1", 2) + char(xmpLength >> 8) + char(xmpLength & 0xFF) + xmp;
    }

    qsizetype insertAt = 2;
    if (options.afterJfif && quint8(mainJpeg[2]) == 0xFF && quint8(mainJpeg[3]) == 0xE0) {
        insertAt = 4 + ((quint8(mainJpeg[4]) << 8) | quint8(mainJpeg[5]));
    }
    Built built;
    built.bigEndian = options.bigEndian;
    built.file = mainJpeg;
    built.file.insert(insertAt, prefix + app1);

    const qsizetype app1At = insertAt + prefix.size();
    const qsizetype tiffAt = app1At + 4 + 6;
    const auto shift = [&](qsizetype at) { return at < 0 ? at : at + tiffAt; };
    built.layout = local;
    built.layout.app1LengthAt = app1At + 2;
    built.layout.tiffAt = tiffAt;
    built.layout.firstDirectoryOffsetAt = shift(local.firstDirectoryOffsetAt);
    built.layout.firstDirectoryAt = shift(local.firstDirectoryAt);
    built.layout.orientationEntryAt = shift(local.orientationEntryAt);
    built.layout.nextDirectoryOffsetAt = shift(local.nextDirectoryOffsetAt);
    built.layout.secondDirectoryAt = shift(local.secondDirectoryAt);
    built.layout.thumbnailOffsetEntryAt = shift(local.thumbnailOffsetEntryAt);
    built.layout.thumbnailLengthEntryAt = shift(local.thumbnailLengthEntryAt);
    built.layout.thumbnailAt = shift(local.thumbnailAt);
    return built;
}

const QByteArray& Thumbnail() {
    static const QByteArray bytes = EncodeJpeg(QSize(40, 27), Qt::yellow);
    return bytes;
}

// What Qt's own JPEG reader makes of the orientation: a check that the files built here carry
// EXIF blocks that another reader understands the same way.
QImageIOHandler::Transformations QtTransformation(const QByteArray& file) {
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    return reader.transformation();
}

QImageIOHandler::Transformations ExpectedTransformation(int orientation) {
    switch (orientation) {
        case 2:
            return QImageIOHandler::TransformationMirror;
        case 3:
            return QImageIOHandler::TransformationRotate180;
        case 4:
            return QImageIOHandler::TransformationFlip;
        case 5:
            return QImageIOHandler::TransformationFlipAndRotate90;
        case 6:
            return QImageIOHandler::TransformationRotate90;
        case 7:
            return QImageIOHandler::TransformationMirrorAndRotate90;
        case 8:
            return QImageIOHandler::TransformationRotate270;
        default:
            return QImageIOHandler::TransformationNone;
    }
}

// ---------------------------------------------------------------------------------------------
// Well-formed files

struct WellFormed {
    bool bigEndian;
    int orientation;
    bool withThumbnail;
};

class ExifWellFormed : public ::testing::TestWithParam<WellFormed> {};

TEST_P(ExifWellFormed, ReadsOrientationAndThumbnail) {
    const WellFormed p = GetParam();
    ExifOptions options;
    options.bigEndian = p.bigEndian;
    options.orientation = p.orientation;
    if (p.withThumbnail) options.thumbnail = Thumbnail();
    const Built built = BuildJpeg(options);

    EXPECT_EQ(platform::ExifOrientation(built.file), p.orientation);
    EXPECT_EQ(QtTransformation(built.file), ExpectedTransformation(p.orientation));

    const auto thumbnail = platform::ExifThumbnailOf(built.file);
    if (!p.withThumbnail) {
        EXPECT_FALSE(thumbnail.has_value());
        return;
    }
    ASSERT_TRUE(thumbnail.has_value());
    EXPECT_EQ(thumbnail->jpeg, Thumbnail());
    EXPECT_EQ(thumbnail->width, 40);
    EXPECT_EQ(thumbnail->height, 27);
    EXPECT_EQ(thumbnail->Size(), QSize(40, 27));
    EXPECT_EQ(QImage::fromData(thumbnail->jpeg, "JPEG").size(), QSize(40, 27));
}

std::vector<WellFormed> AllWellFormed() {
    std::vector<WellFormed> cases;
    for (bool bigEndian : {true, false}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            for (bool withThumbnail : {false, true}) {
                cases.push_back({bigEndian, orientation, withThumbnail});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ByteOrdersOrientationsThumbnails, ExifWellFormed,
                         ::testing::ValuesIn(AllWellFormed()),
                         [](const ::testing::TestParamInfo<WellFormed>& info) {
                             return std::string(info.param.bigEndian ? "BigEndian"
                                                                     : "LittleEndian") +
                                    "_Orientation" + std::to_string(info.param.orientation) +
                                    (info.param.withThumbnail ? "_WithThumbnail" : "_NoThumbnail");
                         });

TEST(ExifReader, FileWithoutExifIsUprightWithoutThumbnail) {
    const QByteArray plain = EncodeJpeg(QSize(16, 16), Qt::blue);
    EXPECT_EQ(platform::ExifOrientation(plain), 1);
    EXPECT_FALSE(platform::ExifThumbnailOf(plain).has_value());
}

TEST(ExifReader, ExifWithoutOrientationTagIsUpright) {
    ExifOptions options;
    options.thumbnail = Thumbnail();
    const Built built = BuildJpeg(options);
    EXPECT_EQ(platform::ExifOrientation(built.file), 1);
    EXPECT_TRUE(platform::ExifThumbnailOf(built.file).has_value());
}

TEST(ExifReader, FindsExifBehindJfifAndBehindAnotherApp1) {
    for (bool bigEndian : {true, false}) {
        ExifOptions options;
        options.bigEndian = bigEndian;
        options.orientation = 6;
        options.thumbnail = Thumbnail();
        options.afterJfif = true;
        options.xmpFirst = true;
        const Built built = BuildJpeg(options);
        ASSERT_EQ(quint8(built.file[3]), 0xE0);  // the encoder's APP0 still comes first
        EXPECT_EQ(platform::ExifOrientation(built.file), 6);
        const auto thumbnail = platform::ExifThumbnailOf(built.file);
        ASSERT_TRUE(thumbnail.has_value());
        EXPECT_EQ(thumbnail->Size(), QSize(40, 27));
    }
}

TEST(ExifReader, NonZeroPadByteAfterExifNameIsAccepted) {
    ExifOptions options;
    options.orientation = 8;
    Built built = BuildJpeg(options);
    built.file[built.layout.tiffAt - 1] = char(0xFF);
    EXPECT_EQ(platform::ExifOrientation(built.file), 8);
}

TEST(ExifReader, ExifAfterTheScanIsNotLookedFor) {
    // Only the header before the first scan holds metadata; a look past it would have to
    // interpret compressed data as markers.
    ExifOptions options;
    options.orientation = 3;
    const Built withExif = BuildJpeg(options);
    const QByteArray app1 = withExif.file.mid(2, withExif.layout.tiffAt - 2 + 64);
    QByteArray plain = EncodeJpeg(QSize(16, 16), Qt::green);
    const qsizetype scan = plain.indexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(scan, 0);
    plain.insert(scan + 2 + 12, app1);
    EXPECT_EQ(platform::ExifOrientation(plain), 1);
}

TEST(ExifReader, NotJpegData) {
    for (const QByteArray& data :
         {QByteArray(), QByteArray("\xFF", 1), QByteArray("\xFF\xD8", 2),
          QByteArray("GIF89a\x01\x00\x01\x00", 10), QByteArray("MM\x00\x2A\x00\x00\x00\x08", 8),
          QByteArray("Exif\0\0MM\0*", 10)}) {
        EXPECT_EQ(platform::ExifOrientation(data), 1);
        EXPECT_FALSE(platform::ExifThumbnailOf(data).has_value());
    }
}

// ---------------------------------------------------------------------------------------------
// Damaged files: each case must give the "absent" answer (or, where the damage leaves the
// needed part intact, the right one) and must never read outside the data. Run under the
// address sanitizer to make the last point hard.

struct Damage {
    const char* name;
    std::function<void(Built&)> apply;
    int orientation;         // expected
    bool thumbnailSurvives;  // expected
};

Built FullFile(bool bigEndian) {
    ExifOptions options;
    options.bigEndian = bigEndian;
    options.orientation = 6;
    options.thumbnail = Thumbnail();
    return BuildJpeg(options);
}

std::vector<Damage> DamageTable() {
    const auto thumbOffsetValue = [](Built& b) { return b.layout.thumbnailOffsetEntryAt + 8; };
    const auto thumbLengthValue = [](Built& b) { return b.layout.thumbnailLengthEntryAt + 8; };
    return {
        {"FirstDirectoryFarOutside",
         [](Built& b) { b.Put32(b.layout.firstDirectoryOffsetAt, 0xFFFFFFFF); }, 1, false},
        {"FirstDirectoryJustPastEnd",
         [](Built& b) {
             const qsizetype tiffSize = b.file.size() - b.layout.tiffAt;
             b.Put32(b.layout.firstDirectoryOffsetAt, quint32(tiffSize));
         },
         1, false},
        {"FirstDirectoryInsideHeader",
         [](Built& b) { b.Put32(b.layout.firstDirectoryOffsetAt, 2); }, 1, false},
        {"FirstDirectoryAtZero", [](Built& b) { b.Put32(b.layout.firstDirectoryOffsetAt, 0); }, 1,
         false},
        {"FirstDirectoryCountHuge", [](Built& b) { b.Put16(b.layout.firstDirectoryAt, 0xFFFF); }, 6,
         false},
        {"FirstDirectoryCountZero", [](Built& b) { b.Put16(b.layout.firstDirectoryAt, 0); }, 1,
         false},
        {"OrientationCountHuge",
         [](Built& b) { b.Put32(b.layout.orientationEntryAt + 4, 0xFFFFFFFF); }, 1, true},
        {"OrientationCountZero", [](Built& b) { b.Put32(b.layout.orientationEntryAt + 4, 0); }, 1,
         true},
        {"OrientationWrongType", [](Built& b) { b.Put16(b.layout.orientationEntryAt + 2, 2); }, 1,
         true},
        {"OrientationZero", [](Built& b) { b.Put16(b.layout.orientationEntryAt + 8, 0); }, 1, true},
        {"OrientationNine", [](Built& b) { b.Put16(b.layout.orientationEntryAt + 8, 9); }, 1, true},
        {"OrientationMax", [](Built& b) { b.Put16(b.layout.orientationEntryAt + 8, 0xFFFF); }, 1,
         true},
        {"SecondDirectoryFarOutside",
         [](Built& b) { b.Put32(b.layout.nextDirectoryOffsetAt, 0xFFFFFFFF); }, 6, false},
        {"SecondDirectoryNearWrap",
         [](Built& b) { b.Put32(b.layout.nextDirectoryOffsetAt, 0xFFFFFFFE); }, 6, false},
        {"SecondDirectoryIsTheFirst", [](Built& b) { b.Put32(b.layout.nextDirectoryOffsetAt, 8); },
         6, false},
        {"SecondDirectoryCountHuge", [](Built& b) { b.Put16(b.layout.secondDirectoryAt, 0xFFFF); },
         6, true},
        {"SecondDirectoryLastByte",
         [](Built& b) {
             const qsizetype tiffSize = b.file.size() - b.layout.tiffAt;
             b.Put32(b.layout.nextDirectoryOffsetAt, quint32(tiffSize - 1));
         },
         6, false},
        {"ThumbnailOffsetFarOutside", [=](Built& b) { b.Put32(thumbOffsetValue(b), 0xFFFFFFFF); },
         6, false},
        {"ThumbnailOffsetWrapsWithLength",
         [=](Built& b) {
             b.Put32(thumbOffsetValue(b), 0xFFFFFF00);
             b.Put32(thumbLengthValue(b), 0x200);
         },
         6, false},
        {"ThumbnailOffsetZero", [=](Built& b) { b.Put32(thumbOffsetValue(b), 0); }, 6, false},
        {"ThumbnailLengthHuge", [=](Built& b) { b.Put32(thumbLengthValue(b), 0xFFFFFFFF); }, 6,
         false},
        {"ThumbnailLengthOnePastSegment",
         [=](Built& b) { b.Put32(thumbLengthValue(b), quint32(b.layout.thumbnailSize + 1)); }, 6,
         false},
        {"ThumbnailLengthZero", [=](Built& b) { b.Put32(thumbLengthValue(b), 0); }, 6, false},
        {"ThumbnailLengthTwoBytes", [=](Built& b) { b.Put32(thumbLengthValue(b), 2); }, 6, false},
        {"ThumbnailOffsetCountHuge",
         [](Built& b) { b.Put32(b.layout.thumbnailOffsetEntryAt + 4, 0x40000000); }, 6, false},
        {"ThumbnailNotJpeg", [](Built& b) { b.file[b.layout.thumbnailAt + 1] = 0x00; }, 6, false},
        {"ThumbnailFrameHeightZero",
         [](Built& b) {
             const qsizetype sof = b.file.indexOf(QByteArray("\xFF\xC0", 2), b.layout.thumbnailAt);
             b.file[sof + 5] = 0;
             b.file[sof + 6] = 0;
         },
         6, false},
        {"ThumbnailSegmentLengthHuge",
         [](Built& b) {
             b.file[b.layout.thumbnailAt + 4] = char(0xFF);
             b.file[b.layout.thumbnailAt + 5] = char(0xFF);
         },
         6, false},
        {"App1LengthZero",
         [](Built& b) {
             b.file[b.layout.app1LengthAt] = 0;
             b.file[b.layout.app1LengthAt + 1] = 0;
         },
         1, false},
        {"App1LengthOne",
         [](Built& b) {
             b.file[b.layout.app1LengthAt] = 0;
             b.file[b.layout.app1LengthAt + 1] = 1;
         },
         1, false},
        {"App1LengthCutsTiffHeader",
         [](Built& b) {
             b.file[b.layout.app1LengthAt] = 0;
             b.file[b.layout.app1LengthAt + 1] = 2 + 6 + 5;
         },
         1, false},
        {"App1LengthMax",
         [](Built& b) {
             // The segment then claims the whole rest of the file and beyond it.
             b.file[b.layout.app1LengthAt] = char(0xFF);
             b.file[b.layout.app1LengthAt + 1] = char(0xFF);
         },
         6, true},
        {"ByteOrderUnknown", [](Built& b) { b.file[b.layout.tiffAt + 1] = 'X'; }, 1, false},
        {"TiffMagicWrong", [](Built& b) { b.Put16(b.layout.tiffAt + 2, 43); }, 1, false},
        {"ExifNameWrong", [](Built& b) { b.file[b.layout.tiffAt - 3] = 'g'; }, 1, false},
        {"NoStartOfImage", [](Built& b) { b.file[1] = char(0xD9); }, 1, false},
    };
}

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

class ExifDamaged : public ::testing::TestWithParam<std::tuple<bool, Damage>> {};

TEST_P(ExifDamaged, GivesAbsentAnswerWithoutReadingOutside) {
    const auto& [bigEndian, damage] = GetParam();
    Built built = FullFile(bigEndian);
    damage.apply(built);
    // A tight copy, so that a read one byte past the end lands outside the allocation.
    const QByteArray tight(built.file.constData(), built.file.size());
    EXPECT_EQ(platform::ExifOrientation(tight), damage.orientation);
    const auto thumbnail = platform::ExifThumbnailOf(tight);
    EXPECT_EQ(thumbnail.has_value(), damage.thumbnailSurvives);
    if (thumbnail) {
        EXPECT_EQ(thumbnail->jpeg, Thumbnail());
    }
}

INSTANTIATE_TEST_SUITE_P(Corruptions, ExifDamaged,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(DamageTable())),
                         [](const ::testing::TestParamInfo<std::tuple<bool, Damage>>& info) {
                             return std::string(std::get<0>(info.param) ? "BigEndian_"
                                                                        : "LittleEndian_") +
                                    std::get<1>(info.param).name;
                         });

// Copies the bytes into an allocation of exactly their size: QByteArray keeps a terminating
// zero (and possibly spare capacity) behind its data, which would hide a read one past the end
// from the address sanitizer.
std::vector<char> Exact(const QByteArray& bytes) {
    return std::vector<char>(bytes.begin(), bytes.end());
}

QByteArray View(const std::vector<char>& exact) {
    return QByteArray::fromRawData(exact.data(), qsizetype(exact.size()));
}

TEST(ExifFuzz, TruncatedAtEveryByte) {
    for (bool bigEndian : {true, false}) {
        const Built built = FullFile(bigEndian);
        const qsizetype thumbnailEnd = built.layout.thumbnailAt + built.layout.thumbnailSize;
        for (qsizetype n = 0; n <= built.file.size(); ++n) {
            const std::vector<char> exact = Exact(built.file.left(n));
            const QByteArray data = View(exact);
            const int orientation = platform::ExifOrientation(data);
            const auto thumbnail = platform::ExifThumbnailOf(data);
            // The orientation counts once its whole 12-byte directory entry is there.
            const qsizetype orientationEnd = built.layout.orientationEntryAt + 12;
            EXPECT_EQ(orientation, n >= orientationEnd ? 6 : 1) << "cut at " << n;
            EXPECT_EQ(thumbnail.has_value(), n >= thumbnailEnd) << "cut at " << n;
            if (thumbnail) {
                EXPECT_EQ(thumbnail->jpeg, Thumbnail());
            }
        }
    }
}

TEST(ExifFuzz, EveryHeaderByteOverwritten) {
    // Every byte of the EXIF segment and the thumbnail's header, replaced by values that make
    // offsets and counts small, huge, negative as signed, or marker-like.
    const unsigned char kValues[] = {0x00, 0x01, 0x08, 0x7F, 0x80, 0xD8, 0xD9, 0xDA, 0xFE, 0xFF};
    int survived = 0;
    for (bool bigEndian : {true, false}) {
        const Built built = FullFile(bigEndian);
        const qsizetype end = std::min(built.file.size(), built.layout.thumbnailAt + 400);
        for (qsizetype at = 0; at < end; ++at) {
            for (unsigned char value : kValues) {
                QByteArray damaged = built.file;
                damaged[at] = char(value);
                const std::vector<char> exact = Exact(damaged);
                const QByteArray data = View(exact);
                const int orientation = platform::ExifOrientation(data);
                EXPECT_GE(orientation, 1);
                EXPECT_LE(orientation, 8);
                const auto thumbnail = platform::ExifThumbnailOf(data);
                if (thumbnail) {
                    ++survived;
                    EXPECT_GT(thumbnail->width, 0);
                    EXPECT_GT(thumbnail->height, 0);
                    EXPECT_LE(thumbnail->jpeg.size(), data.size());
                }
            }
        }
    }
    EXPECT_GT(survived, 0);  // damage to bytes nobody reads leaves the thumbnail readable
}

TEST(ExifFuzz, FourByteFieldsSetToExtremes) {
    // Every aligned and unaligned 4-byte window of the TIFF block set to values that overflow a
    // 32-bit addition with any length, or point one past the end.
    for (bool bigEndian : {true, false}) {
        const Built built = FullFile(bigEndian);
        const qsizetype tiffSize = built.file.size() - built.layout.tiffAt;
        const quint32 kValues[] = {
            0xFFFFFFFF,           0x80000000, 0x7FFFFFFF, quint32(tiffSize), quint32(tiffSize - 1),
            quint32(tiffSize - 2)};
        const qsizetype end = built.layout.thumbnailAt + 16;
        for (qsizetype at = built.layout.tiffAt; at + 4 <= end; ++at) {
            for (quint32 value : kValues) {
                Built damaged = built;
                damaged.Put32(at, value);
                const std::vector<char> exact = Exact(damaged.file);
                const QByteArray data = View(exact);
                const int orientation = platform::ExifOrientation(data);
                EXPECT_GE(orientation, 1);
                EXPECT_LE(orientation, 8);
                const auto thumbnail = platform::ExifThumbnailOf(data);
                if (thumbnail) {
                    EXPECT_GT(thumbnail->width, 0);
                }
            }
        }
    }
}

}  // namespace
