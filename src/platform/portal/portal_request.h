#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

// One call of the desktop portal that answers through an org.freedesktop.portal.Request object
// with its Response signal.
namespace platform {

inline const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

class PortalRequest : public QObject {
    Q_OBJECT
public:
    explicit PortalRequest(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalRequest() override;

    // A handle_token not used before by this process.
    static QString NextToken();
    // Sends `call`, whose options carry `token` as their handle_token. The request's object
    // path is known before the call: listening first, no answer is missed however fast it comes.
    void Send(const QDBusMessage& call, const QString& token);

signals:
    // 0 with the results, 1 when the user cancelled, 2 when the portal would not.
    void responded(uint response, const QVariantMap& results);
    // The call itself failed: no portal, or not this interface.
    void callFailed(const QString& errorName);

private slots:
    void Responded(uint response, const QVariantMap& results);

private:
    void Listen(const QString& path);
    void Disconnect();

    QDBusConnection bus_;
    QString path_;
};

}  // namespace platform
