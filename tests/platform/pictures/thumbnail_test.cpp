#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <functional>

#include "platform/core/thumbnail_rules.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/thumbnail_cache.h"
#include "platform/pictures/uncompressed_png.h"
#include "support/test_files.h"

namespace {

using platform::FilePath;
using test_support::InTemporaryFolder;

TEST(ThumbnailRules, NamesFilesAsFileManagersDo) {
    const struct {
        QByteArray path;
        QByteArray uri;
    } cases[] = {
        {"/home/jens/photos/me.png", "file:///home/jens/photos/me.png"},
        // GLib leaves these as they are; a space, "#", "%", ";" and "?" are encoded.
        {"/a/b (1)!$&'*+,:=@_~-.jpg", "file:///a/b%20(1)!$&'*+,:=@_~-.jpg"},
        {"/a/#%;?.jpg", "file:///a/%23%25%3B%3F.jpg"},
        {"/写真.jpg", "file:///%E5%86%99%E7%9C%9F.jpg"},
        {"/\x8e\xca\x90^.jpg", "file:///%8E%CA%90%5E.jpg"},  // Shift-JIS: the bytes themselves
        {"relative/a.jpg", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ThumbnailUri(FilePath(c.path)), c.uri) << c.path.constData();
    }
    // The example of the cache's own description.
    EXPECT_EQ(platform::ThumbnailFileName("file:///home/jens/photos/me.png"),
              "c6ee772d9e49320e97ec29a7eb5b1697.png");
}

TEST(ThumbnailRules, ChoosesTheSmallestClassThatCoversWhatIsShown) {
    const struct {
        QSize natural, shown;
        int classIndex;  // -1: none
        QSize thumbnail;
    } cases[] = {
        {{6000, 4000}, {100, 67}, 0, {128, 85}},
        {{6000, 4000}, {128, 86}, 1, {256, 171}},  // a pixel taller than the normal one
        {{6000, 4000}, {400, 300}, 2, {512, 341}},
        {{6000, 4000}, {1024, 600}, 3, {1024, 683}},
        {{6000, 4000}, {1025, 600}, -1, {}},  // larger than any: decoded as without a cache
        {{4000, 6000}, {200, 300}, 2, {341, 512}},
        {{300, 200}, {300, 200}, 2, {300, 200}},  // a small picture is never enlarged
        {{300, 200}, {100, 67}, 0, {128, 85}},
    };
    for (const auto& c : cases) {
        const std::optional<int> found = platform::ThumbnailClassFor(c.natural, c.shown);
        EXPECT_EQ(found.value_or(-1), c.classIndex) << c.natural.width() << " " << c.shown.width();
        if (!found) continue;
        const QSize size =
            platform::ThumbnailSizeFor(c.natural, platform::kThumbnailClasses[*found].size);
        EXPECT_EQ(size, c.thumbnail);
    }
    // Other programs round the shorter side either way; a letterboxed one does not serve.
    EXPECT_TRUE(platform::ThumbnailCovers({256, 170}, {6000, 4000}, {200, 130}));
    EXPECT_TRUE(platform::ThumbnailCovers({256, 171}, {6000, 4000}, {200, 130}));
    EXPECT_FALSE(platform::ThumbnailCovers({256, 192}, {6000, 4000}, {200, 130}));
}

TEST(ThumbnailRules, APicturesCopyMakesTheCoveringClassOnlyWhenLargeEnough) {
    const struct {
        QSize natural, decoded, shown;
        int classIndex;  // -1: none
    } cases[] = {
        {{6000, 4000}, {1920, 1280}, {400, 267}, 2},
        {{6000, 4000}, {512, 341}, {400, 267}, 2},      // exactly the thumbnail
        {{6000, 4000}, {512, 342}, {400, 267}, 2},      // the shorter side rounded the other way
        {{6000, 4000}, {511, 341}, {400, 267}, -1},     // a pixel short: it would be enlarged
        {{6000, 4000}, {1920, 1080}, {400, 267}, -1},   // not of the picture's shape
        {{6000, 4000}, {1920, 1280}, {1025, 683}, -1},  // larger than any class
        {{800, 600}, {800, 600}, {800, 600}, 3},        // the whole of a small picture
        {{800, 600}, {640, 480}, {600, 450}, -1},       // the class holds it whole: 800 x 600
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ThumbnailClassFrom(c.natural, c.decoded, c.shown).value_or(-1),
                  c.classIndex)
            << c.decoded.width() << "x" << c.decoded.height() << " for " << c.shown.width();
    }
}

bool IsRed(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}
bool IsGreen(QRgb pixel) {
    return qGreen(pixel) > 200 && qRed(pixel) < 60 && qBlue(pixel) < 60;
}
int Mode(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return -1;
    return int(status.st_mode & 0777);
}

// A red 600 x 400 photo shown at 100 x 67, whose normal-class thumbnail (128 x 85) would be
// green: each case prepares the cache, then loads the photo through it.
TEST(ThumbnailCache, UsesOnlyCurrentThumbnailsAndWritesOneAfterADecode) {
    InTemporaryFolder folder;
    const QString photo = folder.Path("photo.jpg");
    test_support::WriteJpeg(photo, {600, 400}, Qt::red);
    const FilePath path = FilePath::FromText(photo);
    const platform::FileStamp stamp = *platform::StampOf(path);
    const QByteArray uri = platform::ThumbnailUri(path);
    const QString name = QString::fromLatin1(platform::ThumbnailFileName(uri));
    const QString mtime = QString::number(stamp.mtime), size = QString::number(stamp.size);
    const QSize shown(100, 67);
    using Text = QList<std::pair<QString, QString>>;
    const Text current{
        {"Thumb::URI", QString::fromLatin1(uri)}, {"Thumb::MTime", mtime}, {"Thumb::Size", size}};
    const auto thumbnail = [](const QString& root, const char* cls, QSize size, const Text& text) {
        QDir().mkpath(root + '/' + cls);
        return test_support::WritePngWithText(
            root + '/' + cls + '/' +
                QString::fromLatin1(platform::ThumbnailFileName(text.value(0).second.toLatin1())),
            test_support::Filled(size, Qt::green), text);
    };
    const auto with = [&](int index, const QString& value) {
        Text text = current;
        text[index].second = value;
        return text;
    };

    const struct {
        const char* name;
        std::function<void(const QString& root)> prepare;
        bool used;
        bool writable = true;
    } cases[] = {
        {"no cache folder yet", [](const QString&) {}, false},
        {"current",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 85}, current);
         },
         true},
        {"current, no size recorded",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 85}, current.mid(0, 2));
         },
         true},
        {"only a larger class, made by another program",
         [&](const QString& r) {
             thumbnail(r, "large", {256, 171}, current);
         },
         true},
        {"stale: an older modification time",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 85}, with(1, QString::number(stamp.mtime - 1)));
         },
         false},
        {"stale: another size",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 85}, with(2, QString::number(stamp.size + 1)));
         },
         false},
        {"unreadable modification time",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 85}, with(1, "yesterday"));
         },
         false},
        {"no modification time",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 85}, current.mid(0, 1));
         },
         false},
        {"another file's URI under this file's name",
         [&](const QString& r) {
             QDir().mkpath(r + "/normal");
             test_support::WritePngWithText(r + "/normal/" + name,
                                            test_support::Filled({128, 85}, Qt::green),
                                            with(0, "file:///elsewhere/photo.jpg"));
         },
         false},
        {"smaller than shown",
         [&](const QString& r) {
             thumbnail(r, "normal", {64, 43}, current);
         },
         false},
        {"another shape",
         [&](const QString& r) {
             thumbnail(r, "normal", {128, 128}, current);
         },
         false},
        {"garbage",
         [&](const QString& r) {
             QDir().mkpath(r + "/normal");
             test_support::WriteBytes(r + "/normal/" + name, "\x89PNG\r\n\x1a\n garbage");
         },
         false},
        {"a cache that cannot be written",
         [](const QString& r) { test_support::WriteBytes(r, ""); }, false, false},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString root = folder.Path(QStringLiteral("cache%1/thumbnails").arg(i++));
        QDir().mkpath(QFileInfo(root).absolutePath());
        c.prepare(root);
        {
            platform::ThumbnailCache cache(root);
            const platform::PictureLoad load = platform::LoadPicture(path, shown, &cache);
            ASSERT_TRUE(load);
            EXPECT_EQ(load.picture->NaturalSize(), QSize(600, 400));
            ASSERT_EQ(load.picture->Pixels().size(), shown);
            const QRgb pixel = load.picture->Pixels().pixel(50, 33);
            EXPECT_TRUE(c.used ? IsGreen(pixel) : IsRed(pixel)) << std::hex << pixel;
        }  // the cache waits for its writes
        const QString written = root + "/normal/" + name;
        if (!c.writable) {
            EXPECT_TRUE(QFileInfo(root).isFile());
            continue;
        }
        if (c.used) continue;  // a thumbnail that served is left as it is
        QImageReader reader(written, "png");
        const QImage image = reader.read();
        ASSERT_EQ(image.size(), QSize(128, 85));
        EXPECT_TRUE(IsRed(image.pixel(64, 42)));
        EXPECT_EQ(image.text("Thumb::URI"), QString::fromLatin1(uri));
        EXPECT_EQ(image.text("Thumb::MTime"), mtime);
        EXPECT_EQ(image.text("Thumb::Size"), size);
        EXPECT_EQ(Mode(written), 0600);
        EXPECT_EQ(QDir(root + "/normal").entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST(ThumbnailCache, NewFoldersArePrivateAndTheCacheNeverThumbnailsItself) {
    InTemporaryFolder folder;
    const QString root = folder.Path("thumbnails");
    const QString inside = root + "/x-large/picture.jpg";
    QDir().mkpath(root + "/x-large");
    test_support::WriteJpeg(inside, {600, 400}, Qt::red);
    test_support::WriteJpeg(folder.Path("photo.jpg"), {600, 400}, Qt::red);
    {
        platform::ThumbnailCache cache(root);
        ASSERT_TRUE(platform::LoadPicture(FilePath::FromText(inside), {100, 67}, &cache));
        ASSERT_TRUE(
            platform::LoadPicture(FilePath::FromText(folder.Path("photo.jpg")), {100, 67}, &cache));
    }
    EXPECT_EQ(QDir(root + "/x-large").entryList(QDir::Files).size(), 1);
    EXPECT_EQ(QDir(root + "/normal").entryList(QDir::Files).size(), 1);
    EXPECT_EQ(Mode(root + "/normal"), 0700);
}

// A photo stored on its side (EXIF orientation 6): the thumbnail is upright, as it is shown, and
// a load from it shows what a decode shows.
TEST(ThumbnailCache, AThumbnailIsUprightAfterTheExifOrientation) {
    InTemporaryFolder folder;
    QImage stored = test_support::Filled({600, 400}, Qt::red);
    for (int y = 0; y < 400; ++y) {
        for (int x = 300; x < 600; ++x) stored.setPixel(x, y, qRgb(0, 0, 255));
    }
    test_support::WriteBytes("turned.jpg", test_support::JpegWithExif(stored, 6));
    const FilePath path = FilePath::FromText(folder.Path("turned.jpg"));
    const QSize shown(60, 90);
    const platform::PictureLoad cold = platform::LoadPicture(path, shown);
    ASSERT_TRUE(cold);
    const QString root = folder.Path("thumbnails");
    {
        platform::ThumbnailCache cache(root);
        ASSERT_TRUE(platform::LoadPicture(path, shown, &cache));
    }
    const QString written =
        root + "/normal/" +
        QString::fromLatin1(platform::ThumbnailFileName(platform::ThumbnailUri(path)));
    const QImage thumbnail(written, "png");
    ASSERT_EQ(thumbnail.size(), QSize(85, 128));
    // Turned a quarter clockwise: the stored left half is on top.
    EXPECT_TRUE(IsRed(thumbnail.pixel(42, 20)));
    EXPECT_GT(qBlue(thumbnail.pixel(42, 108)), 200);
    platform::ThumbnailCache cache(root);
    const platform::PictureLoad warm = platform::LoadPicture(path, shown, &cache);
    ASSERT_TRUE(warm);
    EXPECT_EQ(warm.picture->NaturalSize(), cold.picture->NaturalSize());
    ASSERT_EQ(warm.picture->Pixels().size(), cold.picture->Pixels().size());
    for (const QPoint at : {QPoint(30, 10), QPoint(30, 80)}) {
        const QRgb a = warm.picture->Pixels().pixel(at), b = cold.picture->Pixels().pixel(at);
        EXPECT_NEAR(qRed(a), qRed(b), 40);
        EXPECT_NEAR(qBlue(a), qBlue(b), 40);
    }
}

// A red 1200 x 800 photo decoded at 600 x 400 and then pinned: its thumbnail is made from those
// pixels, scaled on the cache's thread, only while they are still what the file holds.
TEST(ThumbnailCache, APinnedPicturesThumbnailComesFromItsPixelsWhileTheFileIsUnchanged) {
    InTemporaryFolder folder;
    const QString photo = folder.Path("photo.jpg");
    test_support::WriteJpeg(photo, {1200, 800}, Qt::red);
    test_support::WriteBytes(folder.Path("tiny.gif"), test_support::TinyGif());
    const auto load = [](const QString& file, QSize decoded) {
        return platform::LoadPicture(FilePath::FromText(file), decoded).picture;
    };
    const auto setMtime = [](const QString& file, int seconds) {
        QFile f(file);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(f.fileTime(QFileDevice::FileModificationTime).addSecs(seconds),
                      QFileDevice::FileModificationTime);
    };
    const auto stamp = [&] { return *platform::StampOf(FilePath::FromText(photo)); };
    const struct {
        const char* name;
        std::function<platform::Picture()> picture;  // of photo.jpg unless said otherwise
        QSize pinned;
        const char* written;  // the class folder; none when nothing is written
        QSize size;
        bool checked = true;
    } cases[] = {
        {"pinned smaller than decoded",
         [&] {
             return load(photo, {600, 400});
         },
         {300, 200},
         "x-large",
         {512, 341}},
        {"decoded at exactly the class size",
         [&] {
             return load(photo, {256, 171});
         },
         {200, 133},
         "large",
         {256, 171}},
        {"decoded smaller than the class",
         [&] {
             return load(photo, {400, 267});
         },
         {300, 200},
         nullptr,
         {}},
        {"pinned larger than the largest class",
         [&] {
             return load(photo, {1200, 800});
         },
         {1100, 733},
         nullptr,
         {}},
        {"the file's time changed since",
         [&] {
             auto picture = load(photo, {600, 400});
             setMtime(photo, -10);
             return picture;
         },
         {300, 200},
         nullptr,
         {}},
        {"the file rewritten since",
         [&] {
             auto picture = load(photo, {600, 400});
             test_support::WriteJpeg(photo, {1200, 800}, Qt::blue);
             setMtime(photo, 10);
             return picture;
         },
         {300, 200},
         nullptr,
         {}},
        {"pixels of unknown origin",
         [&] {
             return std::make_shared<platform::PictureData>(
                 FilePath::FromText(photo), QSize(1200, 800),
                 test_support::Filled({600, 400}, Qt::red));
         },
         {300, 200},
         nullptr,
         {}},
        {"the file not checked whole",
         [&] {
             return std::make_shared<platform::PictureData>(
                 FilePath::FromText(photo), QSize(1200, 800),
                 test_support::Filled({600, 400}, Qt::red),
                 platform::PictureOrigin{stamp(), false, true});
         },
         {300, 200},
         "x-large",
         {512, 341},
         false},
        {"a GIF", [&] { return load(folder.Path("tiny.gif"), {}); }, {2, 1}, nullptr, {}},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::WriteJpeg(photo, {1200, 800}, Qt::red);
        const QString root = folder.Path(QStringLiteral("cache%1/thumbnails").arg(i++));
        const platform::Picture picture = c.picture();
        ASSERT_TRUE(picture);
        const QString file = QString::fromLatin1(
            platform::ThumbnailFileName(platform::ThumbnailUri(picture->Path())));
        {
            platform::ThumbnailCache cache(root);
            EXPECT_EQ(platform::StoreThumbnailOf(*picture, c.pinned, cache), c.written != nullptr);
        }  // the cache waits for its writes
        for (const auto& cls : platform::kThumbnailClasses) {
            const QString path = root + '/' + cls.folder + '/' + file;
            if (!c.written || cls.folder != QLatin1String(c.written)) {
                EXPECT_FALSE(QFileInfo::exists(path)) << cls.folder;
                continue;
            }
            const QImage image(path, "png");
            ASSERT_EQ(image.size(), c.size);
            EXPECT_TRUE(IsRed(image.pixel(c.size.width() / 2, c.size.height() / 2)));
            EXPECT_EQ(image.text("Thumb::MTime"), QString::number(stamp().mtime));
            EXPECT_EQ(image.text("Thumb::Size"), QString::number(stamp().size));
            EXPECT_EQ(image.text("Thumb::Image::Width"), "1200");
            EXPECT_EQ(image.text("X-Vellora-Checked"), c.checked ? "1" : "");
        }
    }
}

// A device that takes `room` bytes and refuses the rest, as a full disk does.
class FullDevice : public QBuffer {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        const qint64 taken = std::min(length, room_ - size());
        return taken > 0 ? QBuffer::writeData(data, taken) : -1;
    }

private:
    qint64 room_;
};

TEST(UncompressedPng, ReadsBackAsWrittenAndReportsADeviceThatFails) {
    QImage image = test_support::PatternImage(QSize(37, 23));
    QImage translucent = image.convertToFormat(QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(10, 20, 30, 0));
    const QList<std::pair<QByteArray, QByteArray>> texts = {
        {"Thumb::URI", "file:///tmp/caf%E9.jpg"}, {"Thumb::MTime", "1700000000"}};
    for (const QImage& source : {image, translucent}) {
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        ASSERT_TRUE(platform::WriteUncompressedPng(file, source, texts));
        const QImage back = QImage::fromData(file.data(), "png");
        ASSERT_EQ(back.size(), source.size());
        EXPECT_FALSE(back.hasAlphaChannel());
        for (int y = 0; y < back.height(); ++y) {
            for (int x = 0; x < back.width(); ++x) {
                ASSERT_EQ(back.pixel(x, y), source.pixel(x, y) | 0xff000000u) << x << "," << y;
            }
        }
        EXPECT_EQ(back.text("Thumb::URI"), "file:///tmp/caf%E9.jpg");
        EXPECT_EQ(back.text("Thumb::MTime"), "1700000000");
    }
    for (const qint64 room : {0, 8, 200, 2000}) {
        FullDevice full(room);
        EXPECT_FALSE(platform::WriteUncompressedPng(full, image, texts)) << room;
    }
}

}  // namespace
