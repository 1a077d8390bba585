#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

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
