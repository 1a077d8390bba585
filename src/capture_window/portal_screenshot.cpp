#include "capture_window/portal_screenshot.h"

#include <QDBusMessage>
#include <QUrl>
#include <QWidget>

namespace capture_window {

PortalScreenSource::PortalScreenSource() : bus_(QDBusConnection::sessionBus()), request_(bus_) {
    connect(&request_, &platform::PortalRequest::responded, this, &PortalScreenSource::Responded);
    connect(&request_, &platform::PortalRequest::callFailed, this, [this](const QString& error) {
        if (focus_) focus_->hide();
        emit failed(QStringLiteral("no desktop portal answers (%1): the screen cannot be captured")
                        .arg(error));
    });
}

PortalScreenSource::~PortalScreenSource() = default;

void PortalScreenSource::Responded(uint response, const QVariantMap& results) {
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
    const QString token = platform::PortalRequest::NextToken();
    QDBusMessage call = QDBusMessage::createMethodCall(
        platform::kPortalService, platform::kPortalPath,
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QStringLiteral("x11:%1").arg(focus_->winId(), 0, 16)
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), interactive},
                        {QStringLiteral("modal"), true}};
    request_.Send(call, token);
}

}  // namespace capture_window
