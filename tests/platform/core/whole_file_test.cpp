#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstring>

#include "platform/file_path.h"
#include "platform/whole_file.h"
#include "support/test_files.h"

namespace {

using platform::ReadError;

// Every read by name refuses what is not a regular file before reading a byte of it: a FIFO
// would block the open for good, /dev/zero never ends.
TEST(ReadFile, ReadsRegularFilesAndRefusesEveryOtherKindAtOnce) {
    test_support::InTemporaryFolder folder;
    test_support::WriteBytes(QStringLiteral("a.jpg"), "twelve bytes");
    ASSERT_EQ(::mkfifo("fifo.jpg", 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("zero.jpg")));
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("folder.jpg")));
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(folder.Path(QStringLiteral("socket.jpg")));
    std::strncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const struct {
        const char* name;
        qint64 limit;
        ReadError error;
    } cases[] = {
        {"a.jpg", platform::kMaxWholeFileBytes, ReadError::None},
        {"a.jpg", 12, ReadError::None},
        {"a.jpg", 11, ReadError::TooLarge},
        {"missing.jpg", platform::kMaxWholeFileBytes, ReadError::CannotOpen},
        {"", platform::kMaxWholeFileBytes, ReadError::CannotOpen},
        {"fifo.jpg", platform::kMaxWholeFileBytes, ReadError::NotAFile},
        {"zero.jpg", platform::kMaxWholeFileBytes, ReadError::NotAFile},
        {"/dev/zero", platform::kMaxWholeFileBytes, ReadError::NotAFile},
        {"folder.jpg", platform::kMaxWholeFileBytes, ReadError::NotAFile},
        // open() itself refuses a socket.
        {"socket.jpg", platform::kMaxWholeFileBytes, ReadError::CannotOpen},
    };
    for (const auto& c : cases) {
        const platform::FilePath path(c.name);
        const platform::WholeFile read = platform::ReadFile(path, c.limit);
        EXPECT_EQ(read.error, c.error) << c.name << " " << c.limit;
        EXPECT_EQ(read.bytes == QByteArray("twelve bytes"), c.error == ReadError::None) << c.name;
        QFile file;
        if (c.error != ReadError::TooLarge) {
            EXPECT_EQ(platform::OpenForReading(path, file), c.error) << c.name;
        }
    }
    ::close(listening);
}

}  // namespace
