#include "platform/core/own_pictures.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>
#include <cstdlib>

namespace platform {

namespace {

QString FolderBeside(const QString& dataFile, const QString& name) {
    return QFileInfo(dataFile).absolutePath() + QLatin1Char('/') + name;
}

}  // namespace

QString PastedFolderFor(const QString& dataFile) {
    return FolderBeside(dataFile, QStringLiteral("pasted"));
}

QString CapturedFolderFor(const QString& dataFile) {
    return FolderBeside(dataFile, QStringLiteral("captured"));
}

QStringList OwnPictureFolders(const QString& dataFile) {
    return {PastedFolderFor(dataFile), CapturedFolderFor(dataFile)};
}

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
        const std::optional<QByteArray> canonical = Canonical(QFile::encodeName(folder));
        if (canonical && container && *canonical == *container) return true;
    }
    return false;
}

}  // namespace platform
