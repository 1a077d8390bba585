#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include "platform/file_path.h"

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

bool OpenForReading(const FilePath& path, QFile& file) {
    if (path.IsEmpty()) return false;
    // QFile would take the name as text and encode it again, which changes a name that is not
    // UTF-8; the descriptor opened from the bytes names the right file.
    const int descriptor = ::open(path.Bytes().constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode) ||
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    return true;
}

std::optional<QByteArray> ReadWholeFile(const FilePath& path) {
    QFile file;
    if (!OpenForReading(path, file)) return std::nullopt;
    return file.readAll();
}

bool CreateIfMissing(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::Append)) return false;
    file.close();
    return true;
}

bool CanOpenForReading(const FilePath& path) {
    QFile file;
    return OpenForReading(path, file);
}

bool IsFolder(const FilePath& path) {
    struct stat status {};
    return !path.IsEmpty() && ::stat(path.Bytes().constData(), &status) == 0 &&
           S_ISDIR(status.st_mode);
}

}  // namespace platform
