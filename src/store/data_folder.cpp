#include "store/data_folder.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace store {

DataFolder::DataFolder(const QString& dataFile)
    : dataFile_(dataFile), folder_(QDir::cleanPath(QFileInfo(dataFile).absolutePath())) {}

platform::FilePath DataFolder::Resolved(const platform::FilePath& path) const {
    if (path.IsEmpty() || path.Bytes().startsWith('/')) return path;
    return platform::FilePath(QFile::encodeName(folder_)).Joined(path.Bytes());
}

bool IsOwnFolder(const QString& folder) {
    struct stat status {};
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0) return errno == ENOENT;
    return S_ISDIR(status.st_mode);
}

}  // namespace store
