#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/core/file_path.h"
#include "platform/core/whole_file.h"
#include "support/test_files.h"

namespace {

using platform::ReadError;

// Every read by name refuses what is not a regular file before reading a byte of it (a FIFO
// would block the open for good, /dev/zero never ends), and a whole-file read stops at its limit.
TEST(ReadFile, ReadsRegularFilesUpToTheLimitAndRefusesEveryOtherKindAtOnce) {
    test_support::InTemporaryFolder folder;
    test_support::WriteBytes(QStringLiteral("a.jpg"), "twelve bytes");
    ASSERT_EQ(::mkfifo("fifo.jpg", 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("zero.jpg")));
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("folder.jpg")));
    constexpr qint64 kAny = platform::kMaxWholeFileBytes;
    const struct {
        const char* name;
        qint64 limit;
        ReadError error;
    } cases[] = {
        {"a.jpg", kAny, ReadError::None},          {"a.jpg", 12, ReadError::None},
        {"a.jpg", 11, ReadError::TooLarge},        {"missing.jpg", kAny, ReadError::CannotOpen},
        {"fifo.jpg", kAny, ReadError::NotAFile},   {"zero.jpg", kAny, ReadError::NotAFile},
        {"folder.jpg", kAny, ReadError::NotAFile},
    };
    for (const auto& c : cases) {
        const platform::FilePath path(c.name);
        const platform::WholeFile read = platform::ReadFile(path, c.limit);
        EXPECT_EQ(read.error, c.error) << c.name << " " << c.limit;
        EXPECT_EQ(read.bytes == QByteArray("twelve bytes"), c.error == ReadError::None) << c.name;
        QFile file;
        if (c.limit == kAny) {
            EXPECT_EQ(platform::OpenForReading(path, file), c.error) << c.name;
        }
    }
}

}  // namespace

namespace own_files {

// What may stand in the place of a file the program writes or reads.
enum class Standing { Nothing, Regular, LinkToRegular, LinkToFifo, Fifo, DanglingLink, Folder };

// Makes `name` in the current folder stand as `standing`; a link's target lies in "outside".
void Make(const char* name, Standing standing) {
    const QString target = QStringLiteral("outside/") + QLatin1String(name);
    switch (standing) {
        case Standing::Nothing:
            return;
        case Standing::Regular:
            ASSERT_TRUE(test_support::WriteBytes(QLatin1String(name), "old"));
            return;
        case Standing::LinkToRegular:
            ASSERT_TRUE(test_support::WriteBytes(target, "outside"));
            break;
        case Standing::LinkToFifo:
            ASSERT_EQ(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
            break;
        case Standing::Fifo:
            ASSERT_EQ(::mkfifo(name, 0600), 0);
            return;
        case Standing::DanglingLink:
            break;
        case Standing::Folder:
            ASSERT_TRUE(QDir().mkdir(QLatin1String(name)));
            return;
    }
    ASSERT_EQ(::symlink(QFile::encodeName(QDir::current().filePath(target)).constData(), name), 0);
}

// Every file the program writes for itself refuses whatever is not a plain file or nothing, and
// leaves it as it was; the user's own files may be links to a regular file, which is then
// written. Nothing blocks on a FIFO, and nothing outside changes but a user's linked file.
TEST(WriteFiles, NothingIsWrittenThroughALinkOrOverWhatIsNoRegularFile) {
    const struct {
        Standing standing;
        bool ownWritten, userWritten, ownRead;
    } cases[] = {
        {Standing::Nothing, true, true, false},
        {Standing::Regular, true, true, true},
        {Standing::LinkToRegular, false, true, false},
        {Standing::LinkToFifo, false, false, false},
        {Standing::Fifo, false, false, false},
        {Standing::DanglingLink, false, false, false},
        {Standing::Folder, false, false, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        test_support::InTemporaryFolder folder;
        ASSERT_TRUE(QDir().mkdir(QStringLiteral("outside")));
        Make("own", c.standing);
        Make("user", c.standing);

        const platform::FilePath own(QByteArray("own"));
        const platform::WholeFile read =
            platform::ReadFile(own, platform::kMaxWholeFileBytes, platform::Links::Refuse);
        EXPECT_EQ(read.bytes.has_value(), c.ownRead);
        const platform::WriteResult ownWrite = platform::WriteOwnFile(own, "new");
        EXPECT_EQ(ownWrite.ok, c.ownWritten) << ownWrite.error.toStdString();
        const platform::WriteResult userWrite =
            platform::WriteWholeFile(QStringLiteral("user"), "new");
        EXPECT_EQ(userWrite.ok, c.userWritten) << userWrite.error.toStdString();

        QFileInfo ownNow(QStringLiteral("own"));
        EXPECT_EQ(ownNow.isSymLink(), c.standing == Standing::LinkToRegular ||
                                          c.standing == Standing::LinkToFifo ||
                                          c.standing == Standing::DanglingLink);
        if (c.ownWritten) {
            EXPECT_EQ(test_support::ReadBytes(QStringLiteral("own")), "new");
        }
        // Outside, only the target of a user's link to a regular file changed (a FIFO there is
        // never opened, so it is not read here either).
        if (c.standing == Standing::LinkToRegular) {
            EXPECT_EQ(test_support::ReadBytes(QStringLiteral("outside/own")), "outside");
            EXPECT_EQ(test_support::ReadBytes(QStringLiteral("outside/user")), "new");
        }
        EXPECT_EQ(
            QDir(QStringLiteral("outside"))
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
                .size(),
            c.standing == Standing::LinkToRegular || c.standing == Standing::LinkToFifo ? 2 : 0);
        // No temporary file is left behind.
        EXPECT_EQ(QDir(QStringLiteral(".")).entryList(QDir::Hidden | QDir::Files).filter(".new"),
                  QStringList());
        ++n;
    }
}

// A picture the program names anew is never written over a file of that name.
TEST(WriteFiles, KeepingAnExistingFileRefusesTheName) {
    test_support::InTemporaryFolder folder;
    ASSERT_TRUE(test_support::WriteBytes(QStringLiteral("a.png"), "old"));
    EXPECT_FALSE(
        platform::WriteOwnFile(platform::FilePath("a.png"), "new", platform::Existing::Keep).ok);
    EXPECT_EQ(test_support::ReadBytes(QStringLiteral("a.png")), "old");
    EXPECT_TRUE(
        platform::WriteOwnFile(platform::FilePath("b.png"), "new", platform::Existing::Keep).ok);
    EXPECT_EQ(test_support::ReadBytes(QStringLiteral("b.png")), "new");
}

}  // namespace own_files
