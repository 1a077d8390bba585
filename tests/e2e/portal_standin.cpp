// A stand-in for the desktop portal's Screenshot on a private session bus. "answer PNG" gives
// PNG's URI to every call; "refuse PNG" refuses a call that may not ask the user, and gives it to
// one that may. Each call's "interactive" option is printed, one line a call.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QUrl>
#include <cstdio>

class Portal : public QDBusVirtualObject {
public:
    Portal(bool refuse, QString png) : refuse_(refuse), png_(std::move(png)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("Screenshot")) return false;
        const auto options = qdbus_cast<QVariantMap>(message.arguments().value(1));
        const bool interactive = options.value(QStringLiteral("interactive")).toBool();
        std::printf("interactive=%d\n", int(interactive));
        std::fflush(stdout);
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        QDBusMessage answer = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        answer << uint(refuse_ && !interactive ? 2 : 0)
               << QVariantMap{{QStringLiteral("uri"), QUrl::fromLocalFile(png_).toString()}};
        connection.send(answer);
        return true;
    }

private:
    bool refuse_;
    QString png_;
};

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 3) return 2;
    Portal portal(QByteArray(argv[1]) == "refuse", QString::fromLocal8Bit(argv[2]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
