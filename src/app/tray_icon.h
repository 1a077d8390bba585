#pragma once

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace app {

// The program's icon in the system tray, where the desktop has one: a click shows the main
// window; its menu shows the main window or ends the program as "終了" does. Without a tray
// there is no icon and nothing else changes.
class TrayIcon {
public:
    TrayIcon(std::function<void()> showMainWindow, std::function<void()> quit);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

private:
    void CreateWhenAvailable();
    void Create();

    std::function<void()> showMainWindow_;
    std::function<void()> quit_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QTimer> waiting_;
    int checksLeft_ = 0;
};

}  // namespace app
