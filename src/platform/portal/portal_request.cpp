#include "platform/portal/portal_request.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace platform {

namespace {

const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

}  // namespace

PortalRequest::PortalRequest(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

PortalRequest::~PortalRequest() {
    Disconnect();
}

QString PortalRequest::NextToken() {
    static int requests = 0;
    return QStringLiteral("vellora%1").arg(++requests);
}

void PortalRequest::Send(const QDBusMessage& call, const QString& token) {
    Disconnect();
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    Listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *done;
                if (reply.isError()) {
                    Disconnect();
                    emit callFailed(reply.error().name());
                } else if (reply.value().path() != path_) {
                    // An older portal chooses the path itself.
                    Disconnect();
                    Listen(reply.value().path());
                }
            });
}

void PortalRequest::Responded(uint response, const QVariantMap& results) {
    Disconnect();
    emit responded(response, results);
}

// From any sender: the portal's owner is looked up on the side, and an answer that comes
// before the lookup would be dropped. The path names this connection and the request.
void PortalRequest::Listen(const QString& path) {
    path_ = path;
    bus_.connect(QString(), path_, kRequest, QStringLiteral("Response"), this,
                 SLOT(Responded(uint, QVariantMap)));
}

void PortalRequest::Disconnect() {
    if (path_.isEmpty()) return;
    bus_.disconnect(QString(), path_, kRequest, QStringLiteral("Response"), this,
                    SLOT(Responded(uint, QVariantMap)));
    path_.clear();
}

}  // namespace platform
