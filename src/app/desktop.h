#pragma once

#include <QTimer>
#include <memory>

#include "app/core/commands.h"
#include "app/core/instance_message.h"

namespace app {

class InstanceServer;
class Launch;
class Program;
class TrayIcon;

// The running program's place on the desktop beside its windows: it answers later starts for
// its data folder, opens the picture its own command line named once the pinned pictures are
// back, and keeps an icon in the system tray where the desktop has one.
class Desktop {
public:
    // Starts the program (Program::Start) and everything around it.
    Desktop(Program& program, const Launch& launch);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

private:
    instance::Reply Answer(const instance::Request& request);
    instance::Reply AnswerPins(const QByteArray& word);
    // What each command of the command table does: the one place that says it, whichever road
    // (the tray, a later start) asked for it.
    instance::Reply Run(CommandId id);
    // A capture of a part of the screen, or of the last rectangle again, once `delaySeconds`
    // have passed, counted down in the tray. A capture asked for while one counts down or is
    // under way asks for nothing.
    void Capture(bool lastRegion = false, int delaySeconds = 0);
    instance::Reply AnswerBoard(const QString& board, const QByteArray& command);

    Program& program_;
    std::unique_ptr<InstanceServer> server_;
    std::unique_ptr<TrayIcon> tray_;
    QTimer countdown_;
    int secondsLeft_ = 0;
    bool lastRegionCounted_ = false;
};

}  // namespace app
