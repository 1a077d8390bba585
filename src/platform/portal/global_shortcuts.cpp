#include "platform/portal/global_shortcuts.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QStringList>

namespace platform {

namespace {

const QString kGlobalShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// One shortcut as BindShortcuts takes it: (sa{sv}).
struct BoundShortcut {
    QString id;
    QVariantMap options;
};

}  // namespace

}  // namespace platform

Q_DECLARE_METATYPE(platform::BoundShortcut)

namespace platform {

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const BoundShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BoundShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

}  // namespace

QString PortalTrigger(const QString& portableText) {
    if (portableText.isEmpty()) return {};
    QStringList parts = portableText.split(u'+');
    QString key = parts.takeLast();
    if (key.isEmpty()) key = QStringLiteral("plus");  // "Ctrl++"
    if (key.size() == 1) key = key.toLower();
    QStringList trigger;
    for (const QString& modifier : parts) {
        if (modifier == QLatin1String("Ctrl")) trigger.append(QStringLiteral("CTRL"));
        if (modifier == QLatin1String("Alt")) trigger.append(QStringLiteral("ALT"));
        if (modifier == QLatin1String("Shift")) trigger.append(QStringLiteral("SHIFT"));
        if (modifier == QLatin1String("Meta")) trigger.append(QStringLiteral("LOGO"));
    }
    trigger.append(key);
    return trigger.join(u'+');
}

GlobalShortcuts::GlobalShortcuts(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), request_(bus_) {
    qDBusRegisterMetaType<BoundShortcut>();
    qDBusRegisterMetaType<QList<BoundShortcut>>();
    connect(&request_, &PortalRequest::callFailed, this, [this](const QString& error) {
        creating_ = false;
        emit unavailable(
            QStringLiteral("the desktop portal has no GlobalShortcuts (%1)").arg(error));
    });
    connect(&request_, &PortalRequest::responded, this,
            [this](uint response, const QVariantMap& results) {
                if (response != 0) {
                    creating_ = false;
                    emit unavailable(QStringLiteral("the desktop portal refused the keys"));
                    return;
                }
                if (!creating_) {
                    emit bound();
                    return;
                }
                creating_ = false;
                session_ = results.value(QStringLiteral("session_handle")).toString();
                bus_.connect(QString(), kPortalPath, kGlobalShortcuts, QStringLiteral("Activated"),
                             this,
                             SLOT(Activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
                SendBind();
            });
}

GlobalShortcuts::~GlobalShortcuts() = default;

void GlobalShortcuts::Bind(const QList<PortalShortcut>& shortcuts) {
    shortcuts_ = shortcuts;
    if (!bus_.isConnected()) {
        emit unavailable(QStringLiteral("there is no session bus"));
        return;
    }
    if (creating_) return;  // bound once the session is there
    if (session_.isEmpty()) {
        CreateSession();
    } else {
        SendBind();
    }
}

void GlobalShortcuts::CreateSession() {
    creating_ = true;
    const QString token = PortalRequest::NextToken();
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, kGlobalShortcuts, QStringLiteral("CreateSession"));
    call << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), token}};
    request_.Send(call, token);
}

void GlobalShortcuts::SendBind() {
    QList<BoundShortcut> bound;
    for (const PortalShortcut& shortcut : shortcuts_) {
        QVariantMap options{{QStringLiteral("description"), shortcut.description}};
        if (!shortcut.trigger.isEmpty()) {
            options.insert(QStringLiteral("preferred_trigger"), shortcut.trigger);
        }
        bound.append({shortcut.id, options});
    }
    const QString token = PortalRequest::NextToken();
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, kGlobalShortcuts, QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(bound)
         << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    request_.Send(call, token);
}

void GlobalShortcuts::Activated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                const QVariantMap&) {
    if (session.path() == session_) emit activated(id);
}

}  // namespace platform
