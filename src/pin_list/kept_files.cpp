#include "pin_list/kept_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

namespace pin_list {

namespace {

bool SameFile(const QByteArray& a, const QByteArray& b) {
    struct stat first {};
    struct stat second {};
    return ::lstat(a.constData(), &first) == 0 && ::lstat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

std::optional<platform::FilePath> LinkInto(const platform::FilePath& file, const QString& folder,
                                           const QByteArray& name) {
    if (!QDir().mkpath(folder)) return std::nullopt;
    const platform::FilePath into(QFile::encodeName(QDir::cleanPath(folder)));
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? name.left(dot) : name;
    const QByteArray suffix = dot > 0 ? name.mid(dot) : QByteArray();
    for (int n = 1; n < 1000; ++n) {
        const platform::FilePath target =
            into.Joined(n == 1 ? name : stem + '-' + QByteArray::number(n) + suffix);
        if (::link(file.Bytes().constData(), target.Bytes().constData()) == 0) return target;
        if (errno != EEXIST) return std::nullopt;
        if (SameFile(file.Bytes(), target.Bytes())) return target;
    }
    return std::nullopt;
}

bool RemoveName(const platform::FilePath& file) {
    return ::unlink(file.Bytes().constData()) == 0;
}

}  // namespace pin_list
