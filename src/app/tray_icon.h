#pragma once

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace pin_board {
class PinBoard;
}

namespace app {

// The program's icon in the system tray, where the desktop has one: a click shows the main
// window. Its menu shows the main window, hides or shows every pin, lists the pins waiting for
// their folder so that one can be forgotten, and ends the program as "終了" does. Without a tray
// there is no icon and nothing else changes.
class TrayIcon {
public:
    // The board outlives the icon.
    TrayIcon(pin_board::PinBoard& board, std::function<void()> showMainWindow,
             std::function<void()> quit);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The menu, made whether or not the desktop has a tray.
    QMenu* Menu() const { return menu_.get(); }

private:
    void CreateMenu();
    void ListWaitingPins();
    void CreateWhenAvailable();
    void CreateIcon();

    pin_board::PinBoard& board_;
    std::function<void()> showMainWindow_;
    std::function<void()> quit_;
    std::unique_ptr<QMenu> menu_;
    QMenu* waiting_ = nullptr;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QTimer> lookForTray_;
    int checksLeft_ = 0;
};

}  // namespace app
