#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>
#include <memory>

#include "capture_window/screen_source.h"
#include "platform/portal/portal_request.h"

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

private:
    // The request's answer: 0 with the picture's URI, 1 when the user cancelled, 2 when the
    // portal would not.
    void Responded(uint response, const QVariantMap& results);
    void Ask(bool interactive);

    QDBusConnection bus_;
    platform::PortalRequest request_;
    bool interactive_ = false;
    std::unique_ptr<QWidget> focus_;
};

}  // namespace capture_window
