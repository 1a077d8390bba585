#include "app/desktop.h"

#include "app/launch.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"

namespace app {

Desktop::Desktop(Program& program, const Launch& launch) : program_(program) {
    // Listening before the restore: a start meanwhile waits for its answer rather than finding
    // nobody there.
    if (!launch.ServerPath().isEmpty()) {
        server_ = std::make_unique<InstanceServer>(
            [this](const instance::Request& request) { return Answer(request); });
        server_->Listen(launch.ServerPath());
    }
    if (const std::optional<QString> failure = program_.Start(launch.Picture())) {
        qWarning("vellora: %s: %s", qPrintable(launch.Picture().DisplayText()),
                 qPrintable(*failure));
    }
    tray_ = std::make_unique<TrayIcon>([this] { program_.ShowMainWindow(); },
                                       [this] { program_.Quit(); });
}

Desktop::~Desktop() = default;

instance::Reply Desktop::Answer(const instance::Request& request) {
    if (request.kind == instance::Request::Kind::Show) {
        program_.ShowMainWindow();
        return {};
    }
    const std::optional<QString> failure = program_.OpenPicture(request.picture);
    return {!failure, failure.value_or(QString())};
}

}  // namespace app
