#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace pin_board {
class PinBoard;
}

namespace app {

// The program's icon in the system tray, where the desktop has one: a click shows the main
// window. Its menu shows the main window, opens the clipboard's picture, hides or shows every
// pin, lists the boards so that each can be shown or hidden as a set, lists the pins waiting for
// their folder so that one can be forgotten, and ends the program as "終了" does. Without a tray
// there is no icon and nothing else changes.
class TrayIcon {
    Q_DECLARE_TR_FUNCTIONS(app::TrayIcon)

public:
    // The board outlives the icon.
    // `paste` opens the clipboard's picture, or tells why it did not.
    TrayIcon(pin_board::PinBoard& board, std::function<void()> showMainWindow,
             std::function<void()> quit, std::function<std::optional<QString>()> paste);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The menu, made whether or not the desktop has a tray.
    QMenu* Menu() const { return menu_.get(); }
    // A command of the menu, after those of the pins and before the waiting pins.
    void AddCommand(const char* name, const QString& text, std::function<void()> run);
    // Tells the user, in the icon's tooltip and a message, that nothing was pasted; the tooltip
    // goes back to the program's name at the next paste that works.
    void TellPasteFailed();
    // Tells the user in the tooltip why nothing was captured; ShowIdle takes it back.
    void TellCaptureFailed(const QString& reason);
    void ShowIdle();
    // The program's name, and what the start-up kept unread in the data file, if anything.
    QString IdleToolTip() const;

private:
    void CreateMenu();
    void ListWaitingPins();
    void ListBoards();
    void CreateWhenAvailable();
    void CreateIcon();

    pin_board::PinBoard& board_;
    std::function<void()> showMainWindow_;
    std::function<void()> quit_;
    std::function<std::optional<QString>()> paste_;
    std::unique_ptr<QMenu> menu_;
    QMenu* waiting_ = nullptr;
    QMenu* boards_ = nullptr;
    bool boardsListed_ = false;  // whether boards_ lists the boards as they are now
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QTimer> lookForTray_;
    int checksLeft_ = 0;
};

}  // namespace app
