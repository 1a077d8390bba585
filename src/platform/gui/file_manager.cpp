#include "platform/gui/file_manager.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include "platform/core/file_path.h"
#include "platform/core/thumbnail_rules.h"

namespace platform {

namespace {

const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");

// The URI as GLib writes it: every byte of the name kept, UTF-8 or not, where QUrl would turn a
// byte that is not UTF-8 into another character.
QString UriOf(const FilePath& path) {
    return QString::fromLatin1(ThumbnailUri(path));
}

bool OpenFolder(const FilePath& folder) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {UriOf(folder)});
}

// Whether a file manager answers on the session bus, or is started by the bus when called.
bool FileManagerOnBus(const QDBusConnection& bus) {
    const QDBusConnectionInterface* busInterface = bus.interface();
    if (!busInterface) return false;
    return busInterface->isServiceRegistered(kFileManager).value() ||
           busInterface->activatableServiceNames().value().contains(kFileManager);
}

}  // namespace

bool ShowInFileManager(const FilePath& file) {
    FilePath absolute = file;
    if (!file.Bytes().startsWith('/')) {
        absolute = FilePath::FromText(QDir::currentPath()).Joined(file.Bytes());
    }
    const QByteArray& bytes = absolute.Bytes();
    const FilePath folder(bytes.left(qMax<qsizetype>(1, bytes.lastIndexOf('/'))));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !FileManagerOnBus(bus)) return OpenFolder(folder);
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManager, QStringLiteral("/org/freedesktop/FileManager1"), kFileManager,
        QStringLiteral("ShowItems"));
    call << QStringList{UriOf(absolute)} << QString();
    // Not waited for: a file manager started by the call may take seconds to answer.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folder] {
        if (watcher->isError()) OpenFolder(folder);
        watcher->deleteLater();
    });
    return true;
}

void CopyPictureToClipboard(const QImage& picture) {
    QGuiApplication::clipboard()->setImage(picture);
}

}  // namespace platform
