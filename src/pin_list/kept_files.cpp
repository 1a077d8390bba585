#include "pin_list/kept_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <utility>

namespace pin_list {

namespace {

// A name's stem and its suffix from the last dot on ("photo" and ".png"); a name beginning with
// its only dot has no suffix.
std::pair<QByteArray, QByteArray> StemAndSuffix(const QByteArray& name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? std::pair(name.left(dot), name.mid(dot)) : std::pair(name, QByteArray());
}

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
    const auto [stem, suffix] = StemAndSuffix(name);
    for (int n = 1; n < 1000; ++n) {
        const platform::FilePath target =
            into.Joined(n == 1 ? name : stem + '-' + QByteArray::number(n) + suffix);
        if (::link(file.Bytes().constData(), target.Bytes().constData()) == 0) return target;
        if (errno != EEXIST) return std::nullopt;
        if (SameFile(file.Bytes(), target.Bytes())) return target;
    }
    return std::nullopt;
}

bool IsKeptName(const QByteArray& name, const QByteArray& original) {
    if (name == original) return true;
    const auto [stem, suffix] = StemAndSuffix(original);
    if (!name.startsWith(stem + '-') || !name.endsWith(suffix)) return false;
    bool number = false;
    name.mid(stem.size() + 1, name.size() - stem.size() - 1 - suffix.size()).toInt(&number);
    return number;
}

bool RemoveName(const platform::FilePath& file) {
    return ::unlink(file.Bytes().constData()) == 0;
}

}  // namespace pin_list
