// A stand-in for the desktop portal's Screenshot on a private session bus. "answer PNG" gives
// PNG's URI to every call; "refuse PNG" refuses a call that may not ask the user, and gives it to
// one that may. Each call's "interactive" option is printed, one line a call.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUrl>
#include <cstdio>

class Portal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    Portal(bool refuse, QString png) : refuse_(refuse), png_(std::move(png)) {}

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options,
                               const QDBusMessage& message) {
        const bool interactive = options.value(QStringLiteral("interactive")).toBool();
        std::printf("interactive=%d\n", int(interactive));
        std::fflush(stdout);
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        const uint response = refuse_ && !interactive ? 2 : 0;
        QTimer::singleShot(0, this, [this, path, response] {
            QDBusMessage answer = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            answer << response
                   << QVariantMap{{QStringLiteral("uri"), QUrl::fromLocalFile(png_).toString()}};
            QDBusConnection::sessionBus().send(answer);
        });
        return QDBusObjectPath(path);
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
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "portal_standin.moc"
