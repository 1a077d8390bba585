#include "app/tray_icon.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include "icon/program_icon.h"

namespace app {

namespace {

// Started at login, the program may come up before the desktop's panel and its tray: it looks
// again for a while.
constexpr int kCheckIntervalMs = 5000;
constexpr int kChecks = 12;

}  // namespace

TrayIcon::TrayIcon(std::function<void()> showMainWindow, std::function<void()> quit)
    : showMainWindow_(std::move(showMainWindow)), quit_(std::move(quit)) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        Create();
        return;
    }
    checksLeft_ = kChecks;
    waiting_ = std::make_unique<QTimer>();
    waiting_->setInterval(kCheckIntervalMs);
    QObject::connect(waiting_.get(), &QTimer::timeout, waiting_.get(),
                     [this] { CreateWhenAvailable(); });
    waiting_->start();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::CreateWhenAvailable() {
    if (--checksLeft_ <= 0) waiting_->stop();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    waiting_->stop();
    Create();
}

void TrayIcon::Create() {
    menu_ = std::make_unique<QMenu>();
    menu_->setObjectName(QStringLiteral("TrayMenu"));
    QAction* show = menu_->addAction(QStringLiteral("ﾒｲﾝｳｨﾝﾄﾞｳを表示"));
    show->setObjectName(QStringLiteral("tray_show"));
    menu_->addSeparator();
    QAction* end = menu_->addAction(QStringLiteral("終了"));
    end->setObjectName(QStringLiteral("tray_end"));
    QObject::connect(show, &QAction::triggered, menu_.get(), [this] { showMainWindow_(); });
    QObject::connect(end, &QAction::triggered, menu_.get(), [this] { quit_(); });

    icon_ = std::make_unique<QSystemTrayIcon>(icon::ProgramIcon());
    icon_->setToolTip(QStringLiteral("Vellora"));
    icon_->setContextMenu(menu_.get());
    QObject::connect(
        icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                showMainWindow_();
            }
        });
    icon_->show();
}

}  // namespace app
