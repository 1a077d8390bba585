#include "platform/core/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/core/file_path.h"

namespace platform {

WriteResult WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return {false, file.errorString()};
    const qint64 written = file.write(bytes);
    // QSaveFile::commit() does not notice a write that failed part-way (a full disk, a file-size
    // limit): it would replace the good file with a truncated one. flush() does notice.
    errno = 0;
    if (written != bytes.size() || !file.flush()) {
        // Qt has no words of its own for a refused write (EFBIG, ENOSPC); the system has.
        const QString error =
            errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit()) return {false, file.errorString()};
    return {};
}

namespace {

// What a ReadCounter counts; the path is set only while no read looks at it.
struct Counted {
    QByteArray path;
    std::atomic<int> opens{0};
};
std::atomic<Counted*> counted{nullptr};

void CountOpen(const FilePath& path) {
    Counted* counter = counted.load(std::memory_order_acquire);
    if (counter && counter->path == path.Bytes()) counter->opens.fetch_add(1);
}

// The descriptor of a regular file opened for reading. Opened non-blocking, because open() on a
// FIFO waits for a writer that may never come, and checked with fstat on the same descriptor, so
// that nothing can swap the file between the check and the read.
ReadError OpenRegular(const FilePath& path, int* descriptor, struct stat* status) {
    if (path.IsEmpty()) return ReadError::CannotOpen;
    CountOpen(path);
    // From the bytes: QFile would take the name as text and encode it again, which changes a
    // name that is not UTF-8.
    const int opened = ::open(path.Bytes().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) return ReadError::CannotOpen;
    if (::fstat(opened, status) != 0) {
        ::close(opened);
        return ReadError::CannotOpen;
    }
    if (!S_ISREG(status->st_mode)) {
        ::close(opened);
        return ReadError::NotAFile;
    }
    // Reads of a regular file block as usual again.
    ::fcntl(opened, F_SETFL, ::fcntl(opened, F_GETFL) & ~O_NONBLOCK);
    *descriptor = opened;
    return ReadError::None;
}

}  // namespace

ReadError OpenForReading(const FilePath& path, QFile& file) {
    int descriptor = -1;
    struct stat status {};
    if (const ReadError error = OpenRegular(path, &descriptor, &status); error != ReadError::None) {
        return error;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return ReadError::CannotOpen;
    }
    return ReadError::None;
}

WholeFile ReadFile(const FilePath& path, qint64 limit) {
    int descriptor = -1;
    struct stat status {};
    if (const ReadError error = OpenRegular(path, &descriptor, &status); error != ReadError::None) {
        return {std::nullopt, error};
    }
    const auto close = qScopeGuard([descriptor] { ::close(descriptor); });
    if (status.st_size > limit) return {std::nullopt, ReadError::TooLarge};
    // Sized for the whole file and one byte more, so that a file read whole takes one read and
    // one that has grown meanwhile is noticed.
    QByteArray bytes(qsizetype(status.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > limit) return {std::nullopt, ReadError::TooLarge};
            bytes.resize(qsizetype(std::min<qint64>(qint64(filled) * 2, limit + 1)));
        }
        const ssize_t n = ::read(descriptor, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {std::nullopt, ReadError::CannotOpen};
        if (n == 0) break;
        filled += n;
    }
    if (filled > limit) return {std::nullopt, ReadError::TooLarge};
    bytes.truncate(filled);
    return {std::move(bytes), ReadError::None};
}

std::optional<QByteArray> ReadWholeFile(const FilePath& path) {
    return ReadFile(path).bytes;
}

QString DescribeReadError(ReadError error) {
    switch (error) {
        case ReadError::None:
            return {};
        case ReadError::CannotOpen:
            return QStringLiteral("cannot be opened");
        case ReadError::NotAFile:
            return QStringLiteral("not a regular file");
        case ReadError::TooLarge:
            return QStringLiteral("larger than %1 bytes").arg(kMaxWholeFileBytes);
    }
    return {};
}

ReadCounter::ReadCounter(const FilePath& path) {
    counted.store(new Counted{path.Bytes()}, std::memory_order_release);
}

ReadCounter::~ReadCounter() {
    delete counted.exchange(nullptr);
}

int ReadCounter::Count() const {
    return counted.load(std::memory_order_acquire)->opens.load();
}

bool CreateIfMissing(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::Append)) return false;
    file.close();
    return true;
}

bool CanOpenForReading(const FilePath& path) {
    QFile file;
    return OpenForReading(path, file) == ReadError::None;
}

bool IsFolder(const FilePath& path) {
    struct stat status {};
    return !path.IsEmpty() && ::stat(path.Bytes().constData(), &status) == 0 &&
           S_ISDIR(status.st_mode);
}

}  // namespace platform
