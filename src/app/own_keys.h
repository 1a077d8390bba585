#pragma once

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/core/commands.h"
#include "preferences/preferences.h"

namespace platform {
class GlobalShortcuts;
}
namespace platform::x11 {
class KeyGrabs;
}

namespace app {

// The keys the program holds itself for the commands of the command table that have a key name,
// as the preferences give them: grabbed on X11, bound through the desktop portal's
// GlobalShortcuts in a Wayland session (where a grab on XWayland would hear only the keys pressed
// over the program's own windows); each press carried out as the tray's menu would.
class OwnKeys {
    Q_DECLARE_TR_FUNCTIONS(app::OwnKeys)

public:
    explicit OwnKeys(std::function<void(CommandId)> run);
    ~OwnKeys();
    OwnKeys(const OwnKeys&) = delete;
    OwnKeys& operator=(const OwnKeys&) = delete;

    // The commands with a key name, in the table's order.
    static QList<const Command*> KeyCommands();

    // Gives up the keys held and grabs those the preferences name.
    void Grab(const preferences::Preferences& preferences);
    // What keeps each command's key from working, in words, in KeyCommands()' order; empty
    // where nothing does.
    QStringList Notes() const;
    // The keys another program holds, one text each ("F1 (画面の一部を張り付け)").
    QStringList Taken() const;
    // Whether the program cannot hold keys here: neither on X11 nor through the portal.
    bool Elsewhere() const;

private:
    std::function<void(CommandId)> run_;
    std::unique_ptr<platform::x11::KeyGrabs> grabs_;
    std::unique_ptr<platform::GlobalShortcuts> portal_;
    bool portalMissing_ = false;
    QList<QKeySequence> keys_;
};

}  // namespace app
