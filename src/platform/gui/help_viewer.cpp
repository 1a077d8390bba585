#include "platform/help_viewer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace platform {
namespace {

const QString kMessageName = QStringLiteral("HelpMessage");

std::function<bool(const QString&)>& HelpOpener() {
    static std::function<bool(const QString&)> opener;
    return opener;
}

bool OpenWithDesktop(const QString& path) {
    const auto& opener = HelpOpener();
    if (opener) return opener(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

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

// Says so without stopping the program: the box is modeless and goes away by itself when closed.
// A box still open from an earlier attempt is reused rather than stacked.
void Tell(QWidget* owner, const QString& text) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget);
            box && box->objectName() == kMessageName) {
            box->setText(text);
            box->show();
            box->raise();
            box->activateWindow();
            return;
        }
    }
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Velloraﾍﾙﾌﾟ"), text,
                                QMessageBox::Ok, owner);
    box->setObjectName(kMessageName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

}  // namespace

QString FindHelpFile(const QString& helpFile) {
    if (helpFile.isEmpty()) return {};
    for (const QString& folder : {QDir::currentPath(), QCoreApplication::applicationDirPath()}) {
        if (folder.isEmpty()) continue;
        const QString found = FindIn(folder, helpFile);
        if (!found.isEmpty()) return found;
    }
    return {};
}

void SetHelpOpenerForTests(std::function<bool(const QString& path)> opener) {
    HelpOpener() = std::move(opener);
}

// The help command and its data select a topic in a classic help viewer; the desktop's handler
// opens the whole file, which starts at its contents anyway.
bool WinHelp(QWidget* owner, const QString& helpFile, unsigned /*command*/,
             unsigned long /*data*/) {
    const QString path = FindHelpFile(helpFile);
    if (path.isEmpty()) {
        Tell(owner, QStringLiteral("ヘルプファイル \"%1\" が見つかりません。").arg(helpFile));
        return false;
    }
    if (!OpenWithDesktop(path)) {
        Tell(owner, QStringLiteral("ヘルプファイル \"%1\" を開けません。").arg(helpFile));
        return false;
    }
    return true;
}

}  // namespace platform
