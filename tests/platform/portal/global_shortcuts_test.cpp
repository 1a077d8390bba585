// The GlobalShortcuts session against a stand-in portal on a private session bus (the test runs
// under dbus-run-session): the session is created, the keys are bound, and Activated names one.
#include <gtest/gtest.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSignalSpy>

#include "platform/portal/global_shortcuts.h"

namespace {

using platform::kPortalPath;

class StandIn : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QList<QVariant> arguments = message.arguments();
        QVariantMap options = qdbus_cast<QVariantMap>(arguments.last());
        QVariantMap results;
        if (message.member() == QLatin1String("CreateSession")) {
            session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                          .arg(Sender(message),
                               options.value(QStringLiteral("session_handle_token")).toString());
            results.insert(QStringLiteral("session_handle"), session);
        } else if (message.member() == QLatin1String("BindShortcuts")) {
            boundIn = qdbus_cast<QDBusObjectPath>(arguments.value(0)).path();
            const QDBusArgument list = arguments.value(1).value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                QString id;
                QVariantMap shortcut;
                list.beginStructure();
                list >> id >> shortcut;
                list.endStructure();
                triggers.insert(id, shortcut.value(QStringLiteral("preferred_trigger")).toString());
            }
            list.endArray();
        } else {
            return false;
        }
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(Sender(message), options.value(QStringLiteral("handle_token")).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        QDBusMessage answer = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        answer << uint(0) << results;
        connection.send(answer);
        return true;
    }

    static QString Sender(const QDBusMessage& message) {
        return message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    }

    QString session;
    QString boundIn;
    QHash<QString, QString> triggers;
};

TEST(GlobalShortcuts, TheSessionIsCreatedTheKeysBoundAndActivatedNamesOne) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) GTEST_SKIP() << "no session bus: run under dbus-run-session";
    QDBusConnection portalSide =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("stand-in"));
    StandIn standIn;
    ASSERT_TRUE(portalSide.registerVirtualObject(kPortalPath, &standIn));
    ASSERT_TRUE(portalSide.registerService(platform::kPortalService));

    platform::GlobalShortcuts shortcuts(bus);
    QSignalSpy bound(&shortcuts, &platform::GlobalShortcuts::bound);
    QSignalSpy activated(&shortcuts, &platform::GlobalShortcuts::activated);
    shortcuts.Bind({{QStringLiteral("capture"), QStringLiteral("画面の一部を張り付け"),
                     platform::PortalTrigger(QStringLiteral("F1"))},
                    {QStringLiteral("paste"), QStringLiteral("クリップボードの画像を開く"),
                     platform::PortalTrigger(QStringLiteral("Ctrl+Alt+V"))}});
    ASSERT_TRUE(bound.wait(5000));
    EXPECT_FALSE(standIn.session.isEmpty());
    EXPECT_EQ(standIn.boundIn, standIn.session);
    EXPECT_EQ(standIn.triggers.value(QStringLiteral("capture")), QStringLiteral("F1"));
    EXPECT_EQ(standIn.triggers.value(QStringLiteral("paste")), QStringLiteral("CTRL+ALT+v"));

    QDBusMessage press = QDBusMessage::createSignal(
        kPortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
        QStringLiteral("Activated"));
    press << QVariant::fromValue(QDBusObjectPath(standIn.session)) << QStringLiteral("capture")
          << qulonglong(1) << QVariantMap();
    portalSide.send(press);
    ASSERT_TRUE(activated.wait(5000));
    EXPECT_EQ(activated.first().first().toString(), QStringLiteral("capture"));
}

// Without the portal, the program says so rather than waiting on it.
TEST(GlobalShortcuts, NoPortalIsUnavailable) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) GTEST_SKIP() << "no session bus: run under dbus-run-session";
    platform::GlobalShortcuts shortcuts(bus);
    QSignalSpy unavailable(&shortcuts, &platform::GlobalShortcuts::unavailable);
    shortcuts.Bind({{QStringLiteral("capture"), QString(), QStringLiteral("F1")}});
    EXPECT_TRUE(unavailable.wait(5000));
}

}  // namespace
