#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/core/file_path.h"
#include "platform/gui/file_manager.h"
#include "support/test_files.h"

namespace {

// Stands in for the desktop's file manager on the session bus: keeps what it was asked to show.
class FakeFileManager : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.member() == QLatin1String("ShowItems")) {
            shown += message.arguments().value(0).toStringList();
        }
        return bus.send(message.createReply());
    }
    QString introspect(const QString&) const override { return {}; }

    QStringList shown;
};

TEST(FileManager, ShowsAFileThroughTheFileManagerOnTheBusElseOpensItsFolder) {
    // A private session bus, and an xdg-open that writes down what it was given, the file appearing
    // whole.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("bus.conf"));
    test_support::WriteBytes(
        config,
        "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
        "<policy context='default'><allow own='*'/><allow send_destination='*'/>"
        "<allow receive_sender='*'/></policy></busconfig>");
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {"--nofork", "--print-address", "--config-file=" + config});
    if (!bus.waitForReadyRead(5000)) GTEST_SKIP() << "dbus-daemon did not start";
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    const QString opened = dir.filePath(QStringLiteral("xdg-open.args"));
    test_support::WriteBytes(
        dir.filePath(QStringLiteral("xdg-open")),
        "#!/bin/sh\necho \"$@\" > \"$0.part\" && mv \"$0.part\" \"$0.args\"\n");
    QFile::setPermissions(dir.filePath(QStringLiteral("xdg-open")),
                          QFile::ExeOwner | QFile::ReadOwner);
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + qgetenv("PATH"));

    FakeFileManager fileManager;
    // Latin-1: the URIs carry the name's own bytes.
    const platform::FilePath file(QByteArray("/pics/caf\xe9.jpg"));
    for (const bool onBus : {false, true}) {
        if (onBus) {
            QDBusConnection session = QDBusConnection::sessionBus();
            ASSERT_TRUE(session.registerService(QStringLiteral("org.freedesktop.FileManager1")));
            session.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"),
                                          &fileManager);
        }
        ASSERT_TRUE(platform::ShowInFileManager(file));
        const QStringList expected = onBus ? QStringList{"file:///pics/caf%E9.jpg"} : QStringList{};
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return fileManager.shown == expected && QFile::exists(opened) != onBus; }));
        EXPECT_EQ(test_support::ReadBytes(opened), onBus ? "" : "file:///pics\n");
        QFile::remove(opened);
    }
    bus.kill();
    bus.waitForFinished();
}

}  // namespace
