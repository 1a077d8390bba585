#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QThreadPool>
#include <functional>

#include "platform/core/whole_file.h"
#include "platform/pictures/picture.h"
#include "support/test_files.h"

namespace {

platform::FilePath PathOf(const QString& path) {
    return platform::FilePath::FromText(path);
}
platform::PictureLoad LoadPicture(const QString& path, QSize decodeSize = {}) {
    return platform::LoadPicture(PathOf(path), decodeSize);
}
platform::PictureLoad MeasurePicture(const QString& path) {
    return platform::MeasurePicture(PathOf(path));
}
using platform::PictureError;
using test_support::InTemporaryFolder;
using test_support::WriteBytes;
using test_support::WriteJpeg;

TEST(LoadPicture, ReportsEachKindOfFailureAsAValue) {
    InTemporaryFolder folder;
    WriteJpeg("good.jpg", {60, 40});
    const QByteArray good = test_support::ReadBytes("good.jpg");
    WriteBytes("truncated.jpg", good.chopped(10));  // headers whole, picture data cut
    WriteBytes("headers-cut.jpg", good.left(good.size() / 2));
    WriteBytes("text.jpg", "this is not a picture\n");
    WriteBytes("empty.jpg", "");
    WriteBytes("truncated.gif", test_support::TinyGif().chopped(3));
    WriteBytes("claims-huge.gif", test_support::GifClaiming(16000, 16000));
    WriteBytes("tiny.gif", test_support::TinyGif());
    // Opening a FIFO would wait for a writer forever, and /dev/zero never ends.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.Path("fifo.jpg")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder.Path("zero.jpg")));

    const struct {
        const char* file;
        PictureError error;
    } cases[] = {
        {"good.jpg", PictureError::None},
        {"tiny.gif", PictureError::None},
        {"missing.jpg", PictureError::Missing},
        {".", PictureError::NotAFile},
        {"fifo.jpg", PictureError::NotAFile},
        {"zero.jpg", PictureError::NotAFile},
        {"", PictureError::Missing},
        {"text.jpg", PictureError::NotAPicture},
        {"empty.jpg", PictureError::NotAPicture},
        {"truncated.jpg", PictureError::Truncated},
        {"truncated.gif", PictureError::Truncated},
        {"headers-cut.jpg", PictureError::NotAPicture},
        {"claims-huge.gif", PictureError::TooLarge},
    };
    for (const auto& c : cases) {
        const QString path = c.file[0] ? folder.Path(c.file) : QString();
        EXPECT_EQ(LoadPicture(path).error, c.error) << c.file;
        EXPECT_EQ(MeasurePicture(path).error, c.error) << c.file;
        // The same checks on the bytes alone, for every file that can be read.
        const std::optional<QByteArray> bytes = platform::ReadWholeFile(PathOf(path));
        EXPECT_EQ(bytes.has_value(),
                  c.error != PictureError::Missing && c.error != PictureError::NotAFile)
            << c.file;
        if (!bytes) continue;
        EXPECT_EQ(platform::CheckPicture(*bytes).error, c.error) << c.file;
        const platform::PictureBytes decoded = platform::DecodePicture(*bytes, {10, 10});
        EXPECT_EQ(decoded.error, c.error) << c.file;
        EXPECT_EQ(decoded.pixels.isNull(), c.error != PictureError::None) << c.file;
    }
}

// The formats that come from outside the browser: read whole with their transparency, and
// refused when damaged or cut short. Only opaque pictures may be stood for by a thumbnail.
TEST(LoadPicture, ReadsPngWebpAndBmpWholeAndRefusesDamagedOnes) {
    InTemporaryFolder folder;
    const QImage opaque = test_support::PatternImage({40, 30});
    QImage clear = opaque.convertToFormat(QImage::Format_ARGB32);
    clear.setPixel(3, 4, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(opaque.save("opaque.png") && clear.save("alpha.png") && opaque.save("a.bmp"));
    ASSERT_TRUE(opaque.save("a.webp", "webp", 100));
    QByteArray damaged = test_support::ReadBytes("opaque.png");
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x10);
    WriteBytes("damaged.png", damaged);
    WriteBytes("cut.png", test_support::ReadBytes("opaque.png").chopped(12));
    WriteBytes("text.png", "this is not a picture\n");
    // Each format is cut by its own end check; a format Qt reads but the table has not is refused.
    WriteBytes("cut.webp", test_support::ReadBytes("a.webp").chopped(3));
    WriteBytes("cut.bmp", test_support::ReadBytes("a.bmp").chopped(3));
    ASSERT_TRUE(opaque.save("other.bmp", "ppm"));
    const struct {
        const char* file;
        PictureError error;
        const QImage* pixels;  // expected exactly, when lossless
        bool transparent;
    } cases[] = {
        {"opaque.png", PictureError::None, &opaque, false},
        {"alpha.png", PictureError::None, &clear, true},
        {"a.bmp", PictureError::None, &opaque, false},
        {"a.webp", PictureError::None, nullptr, false},
        {"damaged.png", PictureError::Truncated, nullptr, false},
        {"cut.png", PictureError::Truncated, nullptr, false},
        {"text.png", PictureError::NotAPicture, nullptr, false},
        {"cut.webp", PictureError::Truncated, nullptr, false},
        {"cut.bmp", PictureError::Truncated, nullptr, false},
        {"other.bmp", PictureError::NotAPicture, nullptr, false},
    };
    for (const auto& c : cases) {
        const platform::PictureLoad loaded = LoadPicture(folder.Path(c.file));
        EXPECT_EQ(loaded.error, c.error) << c.file;
        EXPECT_EQ(MeasurePicture(folder.Path(c.file)).error, c.error) << c.file;
        if (!loaded) continue;
        const platform::PictureData& picture = *loaded.picture;
        EXPECT_EQ(picture.NaturalSize(), QSize(40, 30)) << c.file;
        EXPECT_EQ(picture.Pixels().hasAlphaChannel(), c.transparent) << c.file;
        // A WebP file's header may claim transparency it does not use: no thumbnail then.
        if (!c.pixels) continue;
        EXPECT_EQ(picture.Origin()->opaque, !c.transparent) << c.file;
        EXPECT_EQ(picture.Pixels().convertToFormat(QImage::Format_ARGB32),
                  c.pixels->convertToFormat(QImage::Format_ARGB32))
            << c.file;
    }
}

TEST(LoadPicture, DecodesAtTheSizeAskedButNeverAboveTheNaturalSize) {
    InTemporaryFolder folder;
    WriteJpeg("photo.jpg", {640, 480});
    const struct {
        QSize asked;
        QSize decoded;
    } cases[] = {
        {{}, {640, 480}},           {{320, 240}, {320, 240}},  {{100, 300}, {100, 300}},
        {{2000, 1000}, {640, 480}}, {{1000, 100}, {640, 100}},
    };
    for (const auto& c : cases) {
        const auto load = LoadPicture(folder.Path("photo.jpg"), c.asked);
        ASSERT_TRUE(load);
        EXPECT_EQ(load.picture->Pixels().size(), c.decoded) << c.asked.width();
        EXPECT_EQ(load.picture->NaturalSize(), QSize(640, 480));
    }
}

TEST(LoadPicture, TurnsPhotosUprightByTheirExifOrientation) {
    InTemporaryFolder folder;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString path = folder.Path(QStringLiteral("o%1.jpg").arg(orientation));
        WriteJpeg(path, {300, 200}, Qt::blue, orientation);
        const QSize upright = orientation >= 5 ? QSize(200, 300) : QSize(300, 200);
        EXPECT_EQ(MeasurePicture(path).picture->NaturalSize(), upright) << orientation;
        const auto scaled = LoadPicture(path, upright / 2);
        ASSERT_TRUE(scaled) << orientation;
        EXPECT_EQ(scaled.picture->Pixels().size(), upright / 2) << orientation;
    }
}

TEST(LoadPicture, ALargePhotoLoadsAtTheSizeShownWithinTheDecoderLimit) {
    InTemporaryFolder folder;
    // 54 megapixels: a full decode would exceed the decoder's 128 MB allocation limit.
    WriteJpeg("large.jpg", {9000, 6000}, QColor(20, 120, 200));
    const auto load = LoadPicture(folder.Path("large.jpg"), {300, 200});
    ASSERT_TRUE(load);
    EXPECT_EQ(load.picture->Pixels().size(), QSize(300, 200));
    EXPECT_EQ(load.picture->NaturalSize(), QSize(9000, 6000));
}

TEST(LoadPicture, APreviewComesFromTheEmbeddedThumbnailWhenItIsLargeEnoughAndOfTheSameShape) {
    InTemporaryFolder folder;
    const auto colorAt = [](const platform::PictureLoad& load) {
        return load.picture->Pixels().pixelColor(load.picture->Pixels().rect().center());
    };
    const auto isBlue = [&](const platform::PictureLoad& load) {
        return colorAt(load).blue() > 200;
    };
    test_support::WriteJpegWithThumbnail(folder.Path("same.jpg"), {1500, 1000}, Qt::red, {150, 100},
                                         Qt::blue);
    test_support::WriteJpegWithThumbnail(folder.Path("boxed.jpg"), {1500, 1000}, Qt::red,
                                         {160, 120}, Qt::blue);
    test_support::WriteJpegWithThumbnail(folder.Path("turned.jpg"), {1500, 1000}, Qt::red,
                                         {150, 100}, Qt::blue, 6);
    const struct {
        const char* file;
        QSize asked;
        bool fromThumbnail;
        QSize decoded;
    } cases[] = {
        {"same.jpg", {100, 67}, true, {100, 67}},    {"same.jpg", {150, 100}, true, {150, 100}},
        {"same.jpg", {300, 200}, false, {300, 200}}, {"boxed.jpg", {100, 67}, false, {100, 67}},
        {"turned.jpg", {67, 100}, true, {67, 100}},  {"turned.jpg", {200, 300}, false, {200, 300}},
    };
    for (const auto& c : cases) {
        const auto load = LoadPicture(folder.Path(c.file), c.asked);
        ASSERT_TRUE(load) << c.file;
        EXPECT_EQ(load.picture->Pixels().size(), c.decoded) << c.file << " " << c.asked.width();
        EXPECT_EQ(isBlue(load), c.fromThumbnail) << c.file << " " << c.asked.width();
    }
}

TEST(LoadPicture, AThumbnailIsTurnedUprightAsThePhotoItselfIs) {
    InTemporaryFolder folder;
    // Green in the stored top-left quarter, red elsewhere: every orientation moves it elsewhere.
    const auto marked = [](QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        for (int y = 0; y < size.height() / 2; ++y) {
            for (int x = 0; x < size.width() / 2; ++x) image.setPixelColor(x, y, Qt::green);
        }
        return image;
    };
    const auto greenQuarter = [](const QImage& image) {
        const int w = image.width(), h = image.height();
        const QPoint quarters[] = {
            {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
        for (int i = 0; i < 4; ++i) {
            if (image.pixelColor(quarters[i]).green() > 200) return i;
        }
        return -1;
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString path = folder.Path(QStringLiteral("o%1.jpg").arg(orientation));
        test_support::WriteJpegWithThumbnail(path, marked({600, 400}), marked({150, 100}),
                                             orientation);
        const QSize small = orientation >= 5 ? QSize(40, 60) : QSize(60, 40);
        const auto fromThumbnail = LoadPicture(path, small);
        const auto fromPhoto = LoadPicture(path, small * 4);
        ASSERT_TRUE(fromThumbnail && fromPhoto) << orientation;
        EXPECT_EQ(greenQuarter(fromThumbnail.picture->Pixels()),
                  greenQuarter(fromPhoto.picture->Pixels()))
            << orientation;
        EXPECT_NE(greenQuarter(fromPhoto.picture->Pixels()), -1) << orientation;
    }
}

TEST(LoadPicture, DamagedExifGivesNoThumbnailButStillThePhoto) {
    InTemporaryFolder folder;
    // A red photo with a blue thumbnail that would serve a small preview.
    test_support::Exif exif;
    exif.orientation = 1;
    exif.thumbnail = test_support::JpegBytes(test_support::Filled({150, 100}, Qt::blue));
    test_support::ExifLayout at;
    const QByteArray segment = test_support::ExifSegment(exif, &at);
    const QByteArray photo = test_support::InsertSegment(
        test_support::JpegBytes(test_support::Filled({600, 400}, Qt::red)), segment);
    const auto put32 = [](QByteArray& bytes, qsizetype field, quint32 value) {
        for (int k = 0; k < 4; ++k)
            bytes[test_support::kSegmentAt + field + k] = char(value >> (24 - 8 * k));
    };
    const quint32 length = quint32(exif.thumbnail.size());
    const struct {
        const char* damage;
        std::function<void(QByteArray&)> apply;
        bool fromThumbnail;
    } cases[] = {
        {"none", [](QByteArray&) {}, true},
        {"offset far outside", [&](QByteArray& b) { put32(b, at.thumbnailOffset, 0xFFFFFFFF); },
         false},
        {"offset and length wrap around",
         [&](QByteArray& b) {
             put32(b, at.thumbnailOffset, 0xFFFFFF00);
             put32(b, at.thumbnailLength, 0x200);
         },
         false},
        {"length huge", [&](QByteArray& b) { put32(b, at.thumbnailLength, 0xFFFFFFFF); }, false},
        {"length one past the block",
         [&](QByteArray& b) { put32(b, at.thumbnailLength, length + 1); }, false},
        {"length zero", [&](QByteArray& b) { put32(b, at.thumbnailLength, 0); }, false},
        {"thumbnail cut short", [&](QByteArray& b) { put32(b, at.thumbnailLength, length - 20); },
         false},
        {"thumbnail not a JPEG",
         [&](QByteArray& b) { b[test_support::kSegmentAt + at.thumbnail + 1] = 0; }, false},
        {"second directory far outside",
         [&](QByteArray& b) { put32(b, at.secondDirectoryPointer, 0xFFFFFFF0); }, false},
        {"byte order unknown", [&](QByteArray& b) { b[test_support::kSegmentAt + at.tiff] = 'X'; },
         false},
    };
    for (const auto& c : cases) {
        QByteArray bytes = photo;
        c.apply(bytes);
        const platform::PictureBytes decoded = platform::DecodePicture(bytes, {60, 40});
        ASSERT_EQ(decoded.error, PictureError::None) << c.damage;
        EXPECT_EQ(decoded.pixels.size(), QSize(60, 40)) << c.damage;
        const QColor color = decoded.pixels.pixelColor(30, 20);
        EXPECT_EQ(color.blue() > 200 && color.red() < 60, c.fromThumbnail) << c.damage;
    }
}

TEST(PictureData, FitToDropsDetailAndReadsTheFileAgainOnlyForMore) {
    InTemporaryFolder folder;
    WriteJpeg("photo.jpg", {800, 600});
    auto load = LoadPicture(folder.Path("photo.jpg"), {400, 300});
    ASSERT_TRUE(load);
    load.picture->FitTo({200, 150});
    EXPECT_EQ(load.picture->Pixels().size(), QSize(200, 150));
    load.picture->FitTo({800, 600});
    EXPECT_EQ(load.picture->Pixels().size(), QSize(800, 600));
    // With the file gone the copy on hand stays as it is.
    load.picture->FitTo({100, 75});
    QFile::remove(folder.Path("photo.jpg"));
    load.picture->FitTo({400, 300});
    EXPECT_EQ(load.picture->Pixels().size(), QSize(100, 75));
}

TEST(DecodeSize, StaysWithinTheNaturalSizeAndTheMemoryBound) {
    EXPECT_EQ(platform::DecodeSizeFor({100, 50}, {}), QSize(100, 50));
    EXPECT_EQ(platform::DecodeSizeFor({100, 50}, {400, 10}), QSize(100, 10));
    const QSize big = platform::DecodeSizeFor({60000, 60000}, {40000, 40000});
    EXPECT_LE(qint64(big.width()) * big.height(), platform::kMaxDecodedPixels);
    EXPECT_EQ(platform::DecodeSizeFor({}, {10, 10}), QSize());
}

TEST(JpegReachesEnd, FindsTheEndMarkerBehindEntropyDataAndTrailingBytes) {
    InTemporaryFolder folder;
    WriteJpeg("a.jpg", {64, 48}, Qt::yellow, 6);
    const QByteArray jpeg = test_support::ReadBytes("a.jpg");
    EXPECT_TRUE(platform::JpegReachesEnd(jpeg));
    EXPECT_TRUE(platform::JpegReachesEnd(jpeg + QByteArray("trailing bytes")));
    for (qsizetype cut = 0; cut < jpeg.size() - 1; cut += 7) {
        EXPECT_FALSE(platform::JpegReachesEnd(jpeg.left(cut))) << cut;
    }
}

TEST(PictureDecodes, ATakePicksUpEachDecodeStartedAheadOnce) {
    InTemporaryFolder folder;
    WriteJpeg("a.jpg", {400, 300});
    WriteJpeg("b.jpg", {400, 300});
    platform::PictureDecodes decodes;
    decodes.Start(PathOf(folder.Path("a.jpg")), {40, 30});
    decodes.Start(PathOf(folder.Path("a.jpg")), {40, 30});
    decodes.Start(PathOf(folder.Path("b.jpg")), {40, 30});
    QThreadPool::globalInstance()->waitForDone();
    QFile::remove(folder.Path("a.jpg"));
    // Both decodes were done before the file went; a third take has to read it, and fails.
    const auto first = decodes.Take(PathOf(folder.Path("a.jpg")), {40, 30});
    ASSERT_TRUE(first);
    EXPECT_EQ(first.picture->Pixels().size(), QSize(40, 30));
    EXPECT_TRUE(decodes.Take(PathOf(folder.Path("a.jpg")), {40, 30}));
    EXPECT_EQ(decodes.Take(PathOf(folder.Path("a.jpg")), {40, 30}).error, PictureError::Missing);
    // Another size was never started: it is loaded now. b.jpg's decode is never taken and goes
    // with the object.
    const auto other = decodes.Take(PathOf(folder.Path("b.jpg")), {80, 60});
    ASSERT_TRUE(other);
    EXPECT_EQ(other.picture->Pixels().size(), QSize(80, 60));
}

}  // namespace
