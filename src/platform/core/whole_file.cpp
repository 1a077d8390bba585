#include "platform/core/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/core/file_path.h"

namespace platform {

namespace {

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

WriteResult Refused(const QByteArray& name, const char* why) {
    return {false,
            QStringLiteral("%1 is %2: left as it is").arg(DisplayName(name), QLatin1String(why))};
}

// What stands at the name, when it is not a plain regular file or nothing, for a log line.
const char* OddKind(const struct stat& status) {
    if (S_ISLNK(status.st_mode)) return "a symbolic link";
    if (S_ISDIR(status.st_mode)) return "a folder";
    if (S_ISFIFO(status.st_mode)) return "a FIFO";
    if (!S_ISREG(status.st_mode)) return "not a regular file";
    return nullptr;
}

bool WriteAll(int descriptor, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

WriteResult WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(fileName);
    struct stat status {};
    if (::lstat(name.constData(), &status) == 0) {
        // Through a link only to a regular file: QSaveFile would rename its new file over a
        // device or a FIFO the link names, and create whatever a dangling one names.
        struct stat target {};
        if (::stat(name.constData(), &target) != 0)
            return Refused(name, "a symbolic link to nothing");
        if (const char* odd = OddKind(target)) return Refused(name, odd);
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return {false, file.errorString()};
    const qint64 written = file.write(bytes);
    // QSaveFile::commit() does not notice a write that failed part-way (a full disk, a file-size
    // limit): it would replace the good file with a truncated one. flush() does notice.
    errno = 0;
    if (written != bytes.size() || !file.flush()) {
        // Qt has no words of its own for a refused write (EFBIG, ENOSPC); the system has.
        const QString error = errno != 0 ? SystemError() : file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit()) return {false, file.errorString()};
    return {};
}

// Hand-written rather than through QSaveFile, which resolves a link at the name and renames its
// new file over the link's target: here every step works on the folder's descriptor, the new
// file is created with O_EXCL and O_NOFOLLOW, and renameat() replaces the name itself, never
// what it points to.
WriteResult WriteOwnFile(const FilePath& path, const QByteArray& bytes, Existing existing,
                         int mode) {
    const QByteArray name = path.FileName();
    if (name.isEmpty()) return {false, QStringLiteral("no file name")};
    const int folder =
        ::open(path.Folder().Bytes().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return {false, path.Folder().DisplayText() + QStringLiteral(": ") + SystemError()};
    const auto closeFolder = qScopeGuard([folder] { ::close(folder); });
    const auto standing = [&]() -> std::optional<WriteResult> {
        struct stat status {};
        if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) return {};
        if (const char* odd = OddKind(status)) return Refused(path.Bytes(), odd);
        if (existing == Existing::Keep) return Refused(path.Bytes(), "taken");
        return {};
    };
    if (auto refused = standing()) return *refused;

    QByteArray temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = '.' + name + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".new";
        descriptor = ::openat(folder, temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode_t(mode));
        if (descriptor < 0 && errno != EEXIST) break;
    }
    if (descriptor < 0) return {false, path.DisplayText() + QStringLiteral(": ") + SystemError()};
    errno = 0;
    // The mode asked for, whatever the umask.
    const bool written = ::fchmod(descriptor, mode_t(mode)) == 0 && WriteAll(descriptor, bytes) &&
                         ::fsync(descriptor) == 0;
    const QString writeError = SystemError();
    ::close(descriptor);
    const auto dropTemporary = qScopeGuard([&] { ::unlinkat(folder, temporary.constData(), 0); });
    if (!written) return {false, path.DisplayText() + QStringLiteral(": ") + writeError};
    // Looked at again just before: what has been put there meanwhile is left alone too.
    if (auto refused = standing()) return *refused;
    int renamed = -1;
    if (existing == Existing::Keep) {
        // A second name, which fails where one exists already, then the temporary one goes.
        renamed = ::linkat(folder, temporary.constData(), folder, name.constData(), 0);
    } else {
        renamed = ::renameat(folder, temporary.constData(), folder, name.constData());
    }
    if (renamed != 0) return {false, path.DisplayText() + QStringLiteral(": ") + SystemError()};
    return {};
}

namespace {

// The descriptor of a regular file opened for reading. Opened non-blocking, because open() on a
// FIFO waits for a writer that may never come, and checked with fstat on the same descriptor, so
// that nothing can swap the file between the check and the read.
ReadError OpenRegular(const FilePath& path, Links links, int* descriptor, struct stat* status) {
    if (path.IsEmpty()) return ReadError::CannotOpen;
    // From the bytes: QFile would take the name as text and encode it again, which changes a
    // name that is not UTF-8.
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    const int opened =
        ::open(path.Bytes().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | noFollow);
    if (opened < 0) return errno == ELOOP && noFollow ? ReadError::NotAFile : ReadError::CannotOpen;
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

ReadError OpenForReading(const FilePath& path, QFile& file, Links links) {
    int descriptor = -1;
    struct stat status {};
    if (const ReadError error = OpenRegular(path, links, &descriptor, &status);
        error != ReadError::None) {
        return error;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return ReadError::CannotOpen;
    }
    return ReadError::None;
}

WholeFile ReadFile(const FilePath& path, qint64 limit, Links links) {
    int descriptor = -1;
    struct stat status {};
    if (const ReadError error = OpenRegular(path, links, &descriptor, &status);
        error != ReadError::None) {
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

bool IsRealFolder(const FilePath& path) {
    struct stat status {};
    return !path.IsEmpty() && ::lstat(path.Bytes().constData(), &status) == 0 &&
           S_ISDIR(status.st_mode);
}

}  // namespace platform
