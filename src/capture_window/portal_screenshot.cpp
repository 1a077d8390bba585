#include "capture_window/portal_screenshot.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>
#include <QWidget>

namespace capture_window {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

}  // namespace

PortalScreenSource::PortalScreenSource() : bus_(QDBusConnection::sessionBus()) {}

PortalScreenSource::~PortalScreenSource() {
    Disconnect();
}

void PortalScreenSource::Responded(uint response, const QVariantMap& results) {
    Disconnect();
    if (focus_) focus_->hide();
    if (response != 0 && !interactive_) {
        // Refused without asking, or never allowed yet: the desktop's picker asks the user.
        Ask(true);
        return;
    }
    if (response == 1) {
        emit failed({});
        return;
    }
    const QString file = QUrl(results.value(QStringLiteral("uri")).toString()).toLocalFile();
    const QImage picture = response == 0 && !file.isEmpty() ? QImage(file) : QImage();
    if (picture.isNull()) {
        emit failed(QStringLiteral("the desktop portal gave no picture of the screen"));
    } else if (interactive_) {
        emit picked(picture);
    } else {
        emit frozen(FrozenDesktop::FromWhole(picture));
    }
}

void PortalScreenSource::Ask(bool interactive) {
    interactive_ = interactive;
    if (!bus_.isConnected()) {
        emit failed(QStringLiteral("no desktop portal answers: there is no session bus"));
        return;
    }
    // GNOME asks the user once, and shows its question only while a window of the program
    // has the focus: a small one takes it while the portal decides.
    if (!focus_) {
        focus_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        focus_->setObjectName(QStringLiteral("CaptureFocus"));
        focus_->setWindowTitle(QStringLiteral("Vellora"));
        focus_->resize(1, 1);
    }
    focus_->show();
    focus_->raise();
    focus_->activateWindow();
    const QString token = QStringLiteral("vellora%1").arg(++requests_);
    // The request's object path is known before the call: listening first, no answer is
    // missed however fast it comes.
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    Listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QStringLiteral("x11:%1").arg(focus_->winId(), 0, 16)
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), interactive},
                        {QStringLiteral("modal"), true}};
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *done;
                if (reply.isError()) {
                    Disconnect();
                    if (focus_) focus_->hide();
                    emit failed(QStringLiteral("no desktop portal answers (%1): the screen "
                                               "cannot be captured")
                                    .arg(reply.error().name()));
                } else if (reply.value().path() != request_) {
                    // An older portal chooses the path itself.
                    Disconnect();
                    Listen(reply.value().path());
                }
            });
}

// From any sender: the portal's owner is looked up on the side, and an answer that comes
// before the lookup would be dropped. The path names this connection and the request.
void PortalScreenSource::Listen(const QString& path) {
    request_ = path;
    bus_.connect(QString(), request_, kRequest, QStringLiteral("Response"), this,
                 SLOT(Responded(uint, QVariantMap)));
}

void PortalScreenSource::Disconnect() {
    if (request_.isEmpty()) return;
    bus_.disconnect(QString(), request_, kRequest, QStringLiteral("Response"), this,
                    SLOT(Responded(uint, QVariantMap)));
    request_.clear();
}

}  // namespace capture_window
