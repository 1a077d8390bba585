#include "app/tray_icon.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include "icon/program_icon.h"
#include "pin_board/pin_board.h"

namespace app {

namespace {

// Started at login, the program may come up before the desktop's panel and its tray: it looks
// again for a while.
constexpr int kCheckIntervalMs = 5000;
constexpr int kChecks = 12;

}  // namespace

TrayIcon::TrayIcon(pin_board::PinBoard& board, std::function<void(CommandId)> run)
    : board_(board), run_(std::move(run)) {
    CreateMenu();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        CreateIcon();
        return;
    }
    checksLeft_ = kChecks;
    lookForTray_ = std::make_unique<QTimer>();
    lookForTray_->setInterval(kCheckIntervalMs);
    QObject::connect(lookForTray_.get(), &QTimer::timeout, lookForTray_.get(),
                     [this] { CreateWhenAvailable(); });
    lookForTray_->start();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::CreateWhenAvailable() {
    if (--checksLeft_ <= 0) lookForTray_->stop();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    lookForTray_->stop();
    CreateIcon();
}

void TrayIcon::CreateMenu() {
    menu_ = std::make_unique<QMenu>();
    menu_->setObjectName(QStringLiteral("TrayMenu"));
    const auto add = [this](TrayPlace place) {
        for (const Command& command : Commands()) {
            if (command.tray != place) continue;
            QAction* action = menu_->addAction(CommandText(command));
            action->setObjectName(QLatin1String(command.trayName));
            action->setCheckable(command.checkable);
            QObject::connect(action, &QAction::triggered, menu_.get(),
                             [this, id = command.id] { run_(id); });
            // A state that may also change from the command line is told when the menu opens.
            if (command.checkable) {
                QObject::connect(menu_.get(), &QMenu::aboutToShow, action,
                                 [this, action] { action->setChecked(board_.AllHidden()); });
            }
        }
    };
    add(TrayPlace::BeforeBoards);
    boards_ = menu_->addMenu(tr("ボードの表示"));
    boards_->setObjectName(QStringLiteral("tray_boards"));
    add(TrayPlace::AfterBoards);
    waiting_ = menu_->addMenu(tr("接続待ちの画像"));
    waiting_->setObjectName(QStringLiteral("tray_waiting"));
    menu_->addSeparator();
    add(TrayPlace::Last);

    QObject::connect(&board_, &pin_board::PinBoard::waitingChanged, menu_.get(),
                     [this] { ListWaitingPins(); });
    ListWaitingPins();
    // Listed when the submenu opens, not at each change: a start with thousands of boards does
    // not make thousands of items nobody has asked to see.
    QObject::connect(&board_.List(), &pin_list::PinList::boardsChanged, menu_.get(),
                     [this] { boardsListed_ = false; });
    QObject::connect(boards_, &QMenu::aboutToShow, menu_.get(), [this] {
        if (!boardsListed_) ListBoards();
    });
}

void TrayIcon::TellPasted(bool pasted, const QStringList& held) {
    if (!pasted) {
        TellPasteFailed(held);
    } else if (icon_) {
        icon_->setToolTip(IdleToolTip());
    }
}

void TrayIcon::ListBoards() {
    boardsListed_ = true;
    boards_->clear();
    const store::BoardList& boards = board_.List().Boards();
    for (const QString& name : boards.names) {
        // Checked while shown: a click hides or shows the board's pins as a set.
        QAction* board =
            boards_->addAction(pin_list::BoardTitle(name).replace(u'&', QStringLiteral("&&")));
        board->setObjectName(QStringLiteral("tray_board"));
        board->setCheckable(true);
        board->setChecked(!board_.List().BoardHidden(name));
        // Queued: the menu that holds the action is rebuilt by the change it makes.
        QObject::connect(
            board, &QAction::triggered, menu_.get(),
            [this, name](bool shown) { board_.List().SetBoardHidden(name, !shown); },
            Qt::QueuedConnection);
    }
}

void TrayIcon::ListWaitingPins() {
    waiting_->clear();
    const QList<store::PictureEntry> waiting = board_.WaitingPins();
    waiting_->menuAction()->setVisible(!waiting.isEmpty());
    for (const store::PictureEntry& entry : waiting) {
        // The file's name, then the folder that is not there yet.
        const QString title = QStringLiteral("%1 (%2)").arg(
            platform::DisplayName(entry.path.FileName()), entry.path.Folder().DisplayText());
        QMenu* pin = waiting_->addMenu(title);
        QAction* forget = pin->addAction(tr("この画像を忘れる"));
        forget->setObjectName(QStringLiteral("tray_forget"));
        // Queued: the menu that holds the action is rebuilt by the change it makes.
        QObject::connect(
            forget, &QAction::triggered, menu_.get(),
            [this, entry] { board_.ForgetWaiting(entry); }, Qt::QueuedConnection);
    }
}

QString TrayIcon::IdleToolTip() const {
    const QString& unread = board_.UnreadNote();
    return unread.isEmpty() ? QStringLiteral("Vellora")
                            : QStringLiteral("Vellora - %1").arg(unread);
}

void TrayIcon::TellPasteFailed(const QStringList& held) {
    if (!icon_) return;
    const QString text =
        held.isEmpty()
            ? tr("クリップボードは空です")
            : tr("クリップボードの %1 は張り付けられません").arg(held.join(QStringLiteral(", ")));
    icon_->setToolTip(QStringLiteral("Vellora - %1").arg(text));
    icon_->showMessage(QStringLiteral("Vellora"), text, QSystemTrayIcon::Information, 3000);
}

void TrayIcon::TellCaptureFailed(const QString& reason) {
    if (icon_) icon_->setToolTip(QStringLiteral("Vellora - %1").arg(reason));
}

void TrayIcon::ShowCountdown(int seconds) {
    if (!icon_) return;
    icon_->setToolTip(
        QStringLiteral("Vellora - %1").arg(tr("%n 秒後に画面を止めます", nullptr, seconds)));
    // The count over the program's icon, where the tray shows no tooltip unasked.
    QPixmap counted = icon::ProgramIcon().pixmap(64, 64);
    {
        QPainter painter(&counted);
        QFont font = painter.font();
        font.setPixelSize(40);
        font.setBold(true);
        painter.setFont(font);
        painter.fillRect(QRect(8, 8, 48, 48), QColor(0, 0, 0, 160));
        painter.setPen(Qt::white);
        painter.drawText(counted.rect(), Qt::AlignCenter, QString::number(seconds));
    }
    icon_->setIcon(QIcon(counted));
}

void TrayIcon::ShowIdle() {
    if (icon_) icon_->setIcon(icon::ProgramIcon());
    if (icon_) icon_->setToolTip(IdleToolTip());
}

void TrayIcon::TellKeysTaken(const QStringList& keys) {
    keysTaken_ = tr("ほかのプログラムが使っているキー: %1").arg(keys.join(QStringLiteral(", ")));
    if (!icon_) return;
    icon_->setToolTip(QStringLiteral("Vellora - %1").arg(keysTaken_));
    keysTaken_.clear();
}

void TrayIcon::CreateIcon() {
    icon_ = std::make_unique<QSystemTrayIcon>(icon::ProgramIcon());
    icon_->setToolTip(keysTaken_.isEmpty() ? IdleToolTip()
                                           : QStringLiteral("Vellora - %1").arg(keysTaken_));
    keysTaken_.clear();
    icon_->setContextMenu(menu_.get());
    QObject::connect(
        icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                run_(CommandId::ShowMainWindow);
            }
        });
    icon_->show();
}

}  // namespace app
