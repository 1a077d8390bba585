#include "platform/gui/help_viewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace platform {
namespace {

// The file in `folder`, by its exact name or, failing that, by its name in any letter case: the
// help file was named on a file system that ignores case.
QString FindIn(const QString& folder, const QString& name) {
    const QDir dir(folder);
    const QFileInfo exact(dir.filePath(name));
    if (exact.isFile()) return exact.absoluteFilePath();
    if (name.contains(QLatin1Char('/'))) return {};
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.absoluteFilePath(entry);
    }
    return {};
}

}  // namespace

bool OpenWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString FindHelpFile(const QString& helpFile) {
    if (helpFile.isEmpty()) return {};
    for (const QString& folder : {QDir::currentPath(), QCoreApplication::applicationDirPath()}) {
        if (folder.isEmpty()) continue;
        QString found = FindIn(folder, helpFile);
        if (!found.isEmpty()) return found;
    }
    return {};
}

bool OpenHelpFile(const FileOpener& open, const QString& helpFile) {
    const QString path = FindHelpFile(helpFile);
    return !path.isEmpty() && open && open(path);
}

}  // namespace platform
