#pragma once

#include <QTimer>
#include <memory>

#include "app/core/commands.h"
#include "app/core/instance_message.h"
#include "preferences/preferences.h"

namespace preferences_window {
class PreferencesWindow;
}

namespace app {

class InstanceServer;
class OwnKeys;
class Launch;
class Program;
class TrayIcon;

// The running program's place on the desktop beside its windows: it answers later starts for
// its data folder, opens the picture its own command line named once the pinned pictures are
// back, and keeps an icon in the system tray where the desktop has one.
class Desktop {
public:
    // Starts the program (Program::Start) and everything around it, as the preferences say.
    Desktop(Program& program, const Launch& launch, preferences::Preferences preferences);
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
    void ShowPreferences();
    // A preference changed in the window: saved, and applied where it can be at once.
    void PreferencesChanged();
    void ApplyPreferences();

    Program& program_;
    std::unique_ptr<InstanceServer> server_;
    std::unique_ptr<TrayIcon> tray_;
    preferences::Preferences preferences_;
    std::unique_ptr<OwnKeys> keys_;
    std::unique_ptr<preferences_window::PreferencesWindow> preferencesWindow_;
    QTimer countdown_;
    int secondsLeft_ = 0;
    bool lastRegionCounted_ = false;
};

}  // namespace app
