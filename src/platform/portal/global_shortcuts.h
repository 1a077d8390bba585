#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "platform/portal/portal_request.h"

// Keys bound through the desktop portal's org.freedesktop.portal.GlobalShortcuts, where the
// program cannot grab them itself (a Wayland session): one session, created at the first bind,
// whose Activated signal carries a shortcut's id.
namespace platform {

struct PortalShortcut {
    QString id;
    QString description;
    QString trigger;  // the preferred trigger, in the portal's text ("CTRL+ALT+k"); may be empty
};

// The portal's text for a key of QKeySequence's portable text ("Ctrl+Alt+K" → "CTRL+ALT+k").
QString PortalTrigger(const QString& portableText);

class GlobalShortcuts : public QObject {
    Q_OBJECT
public:
    explicit GlobalShortcuts(QDBusConnection bus, QObject* parent = nullptr);
    ~GlobalShortcuts() override;

    // Binds these shortcuts in the session, made first when there is none yet.
    void Bind(const QList<PortalShortcut>& shortcuts);

signals:
    void bound();
    // No portal, no GlobalShortcuts, or the portal refused: in words for a log line.
    void unavailable(const QString& reason);
    void activated(const QString& id);

private slots:
    void Activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                   const QVariantMap& options);

private:
    void CreateSession();
    void SendBind();

    QDBusConnection bus_;
    PortalRequest request_;
    QString session_;
    QList<PortalShortcut> shortcuts_;
    bool creating_ = false;
};

}  // namespace platform
