#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>
#include <memory>

#include "capture_window/screen_source.h"

class QWidget;

namespace capture_window {

// The desktop portal's org.freedesktop.portal.Screenshot on the session bus (see
// MakePortalScreenSource): first without asking the user, and when that is refused, with the
// desktop's own picker.
class PortalScreenSource : public ScreenSource {
    Q_OBJECT
public:
    PortalScreenSource();
    ~PortalScreenSource() override;

    void Freeze() override { Ask(false); }

private slots:
    // The request's answer: 0 with the picture's URI, 1 when the user cancelled, 2 when the
    // portal would not.
    void Responded(uint response, const QVariantMap& results);

private:
    void Ask(bool interactive);
    void Listen(const QString& path);
    void Disconnect();

    QDBusConnection bus_;
    QString request_;
    bool interactive_ = false;
    int requests_ = 0;
    std::unique_ptr<QWidget> focus_;
};

}  // namespace capture_window
