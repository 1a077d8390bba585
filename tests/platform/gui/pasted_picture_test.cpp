#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMimeData>

#include "platform/pasted_picture.h"
#include "support/test_files.h"

namespace {

using platform::FilePath;
using test_support::InTemporaryFolder;

FilePath PathOf(const QString& path) {
    return FilePath(QFile::encodeName(path));
}

TEST(TakePicture, WritesImageDataAsPngAndHandsACopiedFileOnWhereItIs) {
    InTemporaryFolder folder;
    const QString pasted = folder.Path("pasted");
    const QImage picture = test_support::PatternImage({64, 48});
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    QByteArray bmp;
    {
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "BMP");
    }
    const QDateTime now(QDate(2026, 12, 8), QTime(1, 2, 3, 4));
    const struct {
        const char* what;
        QString format;
        QByteArray bytes;
        bool writes;
    } cases[] = {
        {"png", QStringLiteral("image/png"), png, true},
        {"bmp", QStringLiteral("image/bmp"), bmp, true},
        {"a png cut short", QStringLiteral("image/png"), png.chopped(20), false},
        {"text", QStringLiteral("text/plain"), "hello", false},
        {"nothing", {}, {}, false},
    };
    QStringList written;
    for (const auto& c : cases) {
        QMimeData data;
        if (!c.format.isEmpty()) data.setData(c.format, c.bytes);
        const platform::Pasted taken = platform::TakePicture(&data, pasted, now);
        EXPECT_EQ(bool(taken), c.writes) << c.what;
        if (!taken) {
            EXPECT_EQ(taken.failure->error, platform::PasteError::NoPicture) << c.what;
            continue;
        }
        // Named from the date and time, never over an earlier paste of the same moment.
        const QString name = QFile::decodeName(taken.file.Bytes());
        EXPECT_TRUE(name.startsWith(pasted + QStringLiteral("/20261208-010203-004"))) << c.what;
        EXPECT_FALSE(written.contains(name)) << c.what;
        written.append(name);
        EXPECT_EQ(QImage(name, "PNG").convertToFormat(picture.format()), picture) << c.what;
    }
    EXPECT_EQ(test_support::ReadBytes(written.value(0)), png);  // a PNG as it came
    EXPECT_EQ(QDir(pasted).entryList(QDir::Files).size(), 2);

    // A copied file is opened where it is: nothing is written.
    QMimeData copied;
    copied.setData(QStringLiteral("text/uri-list"),
                   "file://" + QFile::encodeName(folder.Path("x.webp")) + "\r\n");
    copied.setImageData(picture);
    EXPECT_EQ(platform::TakePicture(&copied, pasted, now).file, PathOf(folder.Path("x.webp")));
    EXPECT_EQ(QDir(pasted).entryList(QDir::Files).size(), 2);
}

// Deleting a pasted picture's pin deletes its file only when it is in "pasted" and no other
// record names it, whatever links lead there.
TEST(DeletePastedIfUnnamed, DeletesOnlyAnUnnamedFileInThePastedFolder) {
    InTemporaryFolder folder;
    const QString pasted = folder.Path("pasted");
    ASSERT_TRUE(QDir().mkpath(pasted) && QDir().mkpath(folder.Path("other")));
    ASSERT_TRUE(QFile::link(pasted, folder.Path("via")));
    const auto file = [&](const char* name) {
        test_support::WriteBytes(folder.Path(name), "x");
        return PathOf(folder.Path(name));
    };
    const FilePath outside = file("other/b.png");
    ASSERT_TRUE(QFile::link(folder.Path("other/b.png"), pasted + QStringLiteral("/link.png")));
    const struct {
        const char* what;
        FilePath deleted;
        QList<FilePath> named;
        bool gone;
    } cases[] = {
        {"only record", file("pasted/a.png"), {outside}, true},
        {"through a link to the folder", PathOf(folder.Path("via/c.png")), {}, true},
        {"another record names it",
         file("pasted/d.png"),
         {PathOf(folder.Path("via/d.png"))},
         false},
        {"outside pasted", outside, {}, false},
        {"a link in pasted to a file outside", PathOf(pasted + "/link.png"), {}, false},
        {"the folder itself", PathOf(pasted), {}, false},
    };
    test_support::WriteBytes(folder.Path("pasted/c.png"), "x");
    for (const auto& c : cases) {
        EXPECT_EQ(platform::DeletePastedIfUnnamed(c.deleted, pasted, c.named), c.gone) << c.what;
        EXPECT_EQ(QFileInfo::exists(QFile::decodeName(c.deleted.Bytes())), !c.gone) << c.what;
    }
    EXPECT_TRUE(QFileInfo::exists(folder.Path("other/b.png")));
}

}  // namespace
