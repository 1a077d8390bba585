#include "platform/whole_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

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
        const QString error = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                         : file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit()) return {false, file.errorString()};
    return {};
}

std::optional<QByteArray> ReadWholeFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

bool CreateIfMissing(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::Append)) return false;
    file.close();
    return true;
}

bool CanOpenForReading(const QString& fileName) {
    if (fileName.isEmpty() || QFileInfo(fileName).isDir()) return false;
    QFile file(fileName);
    const bool opened = file.open(QIODevice::ReadOnly);
    file.close();
    return opened;
}

}  // namespace platform
