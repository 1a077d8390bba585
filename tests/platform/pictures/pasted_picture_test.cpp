#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTest>

#include "platform/pictures/pasted_picture.h"
#include "support/test_files.h"

namespace {

using platform::FilePath;
using test_support::InTemporaryFolder;

FilePath PathOf(const QString& path) {
    return FilePath(QFile::encodeName(path));
}

// Deleting the pin of a pasted or captured picture deletes its file only when it is in "pasted"
// or "captured" beside the data file and no other record names it, whatever links lead there.
TEST(DeleteOwnPictureIfUnnamed, DeletesOnlyAnUnnamedFileInTheProgramsOwnFolders) {
    InTemporaryFolder folder;
    const QString pasted = folder.Path("pasted");
    const QStringList own{pasted, folder.Path("captured")};
    ASSERT_TRUE(QDir().mkpath(pasted) && QDir().mkpath(folder.Path("captured/x")) &&
                QDir().mkpath(folder.Path("other")));
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
        {"only record, captured", file("captured/a.png"), {outside}, true},
        // Only a path written in "pasted" is ours: one through a link names it in another way.
        {"through a link to the folder", PathOf(folder.Path("via/c.png")), {}, false},
        {"another record names it",
         file("pasted/d.png"),
         {PathOf(folder.Path("via/d.png"))},
         false},
        {"another record names it, captured",
         file("captured/d.png"),
         {PathOf(folder.Path("captured/../captured/d.png"))},
         false},
        {"outside both", outside, {}, false},
        {"a folder below captured", file("captured/x/e.png"), {}, false},
        {"a link in pasted to a file outside", PathOf(pasted + "/link.png"), {}, false},
    };
    test_support::WriteBytes(folder.Path("pasted/c.png"), "x");
    for (const auto& c : cases) {
        EXPECT_EQ(platform::DeleteOwnPictureIfUnnamed(c.deleted, own, c.named), c.gone) << c.what;
        EXPECT_EQ(QFileInfo::exists(QFile::decodeName(c.deleted.Bytes())), !c.gone) << c.what;
    }
    EXPECT_TRUE(QFileInfo::exists(folder.Path("other/b.png")));

    // "pasted" a link to the user's pictures: the folder is the user's, and nothing in it is
    // deleted, by either of its names.
    const QString linked = folder.Path("linked/pasted");
    ASSERT_TRUE(QDir().mkpath(folder.Path("linked")) && QFile::link(folder.Path("other"), linked));
    const FilePath photo = file("other/photo.jpg");
    EXPECT_FALSE(platform::DeleteOwnPictureIfUnnamed(photo, {linked}, {}));
    EXPECT_FALSE(platform::DeleteOwnPictureIfUnnamed(PathOf(linked + "/photo.jpg"), {linked}, {}));
    EXPECT_TRUE(QFileInfo::exists(folder.Path("other/photo.jpg")));
}

QSemaphore gate;  // holds the gated encoder's write until the test lets it go
std::optional<QByteArray> GatedPng(const QImage& image) {
    gate.acquire();
    return platform::EncodePng(image);
}

// A picture written behind the caller's back is named at once, never as another write is, and
// its end heard once, with the bytes then in the file. A write refused (a link put in the file's
// place) says why every time it is asked, and the object going lets a write end whole.
TEST(PngWrites, NamesAtOnceAndTellsHowEachWriteEnded) {
    InTemporaryFolder folder;
    const QImage picture = test_support::PatternImage(QSize(64, 48));
    const QString pasted = folder.Path("pasted");
    const QDateTime now = QDateTime::currentDateTime();
    std::vector<platform::PngWritten> heard;
    const auto hear = [&](const platform::PngWritten& written) { heard.push_back(written); };
    auto writes = std::make_unique<platform::PngWrites>();
    const platform::Pasted first = writes->Start(picture, platform::EncodePng, pasted, hear, now);
    const platform::Pasted refused = writes->Start(picture, GatedPng, pasted, hear, now);
    ASSERT_TRUE(first && refused);
    EXPECT_NE(first.file, refused.file);
    EXPECT_FALSE(writes->Wait(first.file));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(test_support::ReadBytes(QFile::decodeName(first.file.Bytes())), heard[0].png);

    ASSERT_TRUE(QFile::link(folder.Path("elsewhere.png"), QFile::decodeName(refused.file.Bytes())));
    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() == 2; }));
    EXPECT_TRUE(heard[1].failure && writes->Wait(refused.file) && writes->Wait(refused.file));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("elsewhere.png")));

    const platform::Pasted last = writes->Start(picture, GatedPng, pasted, hear, now);
    gate.release();
    writes.reset();
    EXPECT_EQ(QImage(QFile::decodeName(last.file.Bytes())).convertToFormat(picture.format()),
              picture);
    EXPECT_EQ(heard.size(), 2u);
}

}  // namespace
