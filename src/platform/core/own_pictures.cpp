#include "platform/core/own_pictures.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>
#include <cstdlib>

namespace platform {

std::optional<QByteArray> Canonical(const QByteArray& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.constData(), resolved)) return std::nullopt;
    return QByteArray(resolved);
}

bool IsInFolders(const FilePath& file, const QStringList& folders) {
    struct stat status {};
    if (file.IsEmpty() || ::lstat(file.Bytes().constData(), &status) != 0 ||
        !S_ISREG(status.st_mode)) {
        return false;
    }
    const std::optional<QByteArray> container = Canonical(file.Folder().Bytes());
    for (const QString& folder : folders) {
        if (file.Folder().Bytes() != QFile::encodeName(QDir::cleanPath(folder))) continue;
        struct stat real {};
        if (::lstat(QFile::encodeName(folder).constData(), &real) != 0 || !S_ISDIR(real.st_mode)) {
            continue;
        }
        const std::optional<QByteArray> canonical = Canonical(QFile::encodeName(folder));
        if (canonical && container && *canonical == *container) return true;
    }
    return false;
}

}  // namespace platform
