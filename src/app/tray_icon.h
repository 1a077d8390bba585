#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "app/core/commands.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace pin_board {
class PinBoard;
}

namespace app {

// The program's icon in the system tray, where the desktop has one: a click shows the main
// window. Its menu holds the commands of the command table that have a place in it (showing the
// main window, opening the clipboard's picture, hiding every pin, ... and "終了"), lists the
// boards so that each can be shown or hidden as a set, and lists the pins waiting for their
// folder so that one can be forgotten. Without a tray there is no icon and nothing else changes.
class TrayIcon {
    Q_DECLARE_TR_FUNCTIONS(app::TrayIcon)

public:
    // The board outlives the icon; `run` carries out a command chosen in the menu.
    TrayIcon(pin_board::PinBoard& board, std::function<void(CommandId)> run);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The menu, made whether or not the desktop has a tray.
    QMenu* Menu() const { return menu_.get(); }
    // Tells the user, in the icon's tooltip and a message, that nothing was pasted and what the
    // clipboard held instead (its formats, none when it was empty); the tooltip goes back to the
    // program's name at the next paste that works.
    void TellPasteFailed(const QStringList& held = {});
    // What came of a paste: a failure told as TellPasteFailed does, a success ends that.
    void TellPasted(bool pasted, const QStringList& held = {});
    // Tells the user in the tooltip why nothing was captured; ShowIdle takes it back.
    void TellCaptureFailed(const QString& reason);
    void ShowIdle();
    // Tells once, in the tooltip, which keys another program holds.
    void TellKeysTaken(const QStringList& keys);
    // The seconds left before a capture, in the tooltip and the icon.
    void ShowCountdown(int seconds);
    // The program's name, and what the start-up kept unread in the data file, if anything.
    QString IdleToolTip() const;

private:
    void CreateMenu();
    void ListWaitingPins();
    void ListBoards();
    void CreateWhenAvailable();
    void CreateIcon();

    pin_board::PinBoard& board_;
    std::function<void(CommandId)> run_;
    std::unique_ptr<QMenu> menu_;
    QMenu* waiting_ = nullptr;
    QMenu* boards_ = nullptr;
    bool boardsListed_ = false;  // whether boards_ lists the boards as they are now
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QTimer> lookForTray_;
    int checksLeft_ = 0;
    QString keysTaken_;  // told when the icon is made, if it is not there yet
};

}  // namespace app
