#include "pin_list_window/pin_list_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "pin_board/pin_board.h"

namespace pin_list_window {

namespace {

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// Marks the choice of the boards' box that shows the recently removed pins alone.
constexpr int kRemovedChoiceRole = Qt::UserRole + 1;

bool IsPlaced(pin_list::PinState state) {
    return state == pin_list::PinState::Shown || state == pin_list::PinState::Hidden;
}

}  // namespace

PinListWindow::PinListWindow(pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails)
    : board_(board),
      rows_(new PinRows(board.List(), thumbnails, this)),
      search_(new QLineEdit(this)),
      boards_(new QComboBox(this)),
      showBoard_(Button("showBoard", tr("ボードを表示"), this)),
      hideBoard_(Button("hideBoard", tr("ボードを隠す"), this)),
      newBoard_(Button("newBoard", tr("新しいボード..."), this)),
      renameBoard_(Button("renameBoard", tr("名前を変更..."), this)),
      deleteBoard_(Button("deleteBoard", tr("ボードを削除"), this)),
      view_(new QListView(this)),
      show_(Button("show", tr("表示"), this)),
      hide_(Button("hide", tr("非表示"), this)),
      raise_(Button("raise", tr("前面に表示"), this)),
      unpin_(Button("unpin", tr("表示ウィンドウに戻す"), this)),
      move_(Button("move", tr("ボードへ移動"), this)),
      moveTargets_(new QMenu(this)),
      delete_(Button("delete", tr("削除"), this)),
      restore_(Button("restore", tr("元に戻す"), this)),
      confirm_([this](const QString& question) {
          return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
      }),
      askName_([this](const QString& label, const QString& name) {
          return QInputDialog::getText(this, windowTitle(), label, QLineEdit::Normal, name);
      }) {
    setObjectName(QStringLiteral("PinListWindow"));
    setWindowRole(QStringLiteral("vellora-pin-list"));
    setWindowTitle(tr("張り付けた画像の一覧"));
    rows_->SetMarks(&board_.List().Marks());
    LayOut();
    ConnectCommands();
    ConnectBoards();
    ListBoards();
    UpdateCommands();
}

PinListWindow::~PinListWindow() = default;

void PinListWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The keys move from a row from the start: without a current row, the first End or arrow
    // would only make the first row current.
    if (!view_->currentIndex().isValid() && rows_->rowCount() > 0) {
        view_->selectionModel()->setCurrentIndex(rows_->index(0, 0), QItemSelectionModel::NoUpdate);
    }
}

void PinListWindow::SetTextLookup(PinRows::TextLookup lookup) {
    rows_->SetTextLookup(std::move(lookup));
}

void PinListWindow::TextRecognised(const QByteArray& file) {
    rows_->ForgetText(file);
}

void PinListWindow::LayOut() {
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(tr("ファイル名・フォルダ・画像の文字で検索"));
    search_->setClearButtonEnabled(true);
    view_->setObjectName(QStringLiteral("pins"));
    view_->setModel(rows_);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setIconSize({PinRows::kThumbnailPixels, PinRows::kThumbnailPixels});
    view_->setUniformItemSizes(true);  // rows out of view are never asked for
    view_->setSpacing(2);
    move_->setMenu(moveTargets_);

    auto* commands = new QHBoxLayout;
    for (QPushButton* button : {show_, hide_, raise_, unpin_, move_, delete_, restore_}) {
        commands->addWidget(button);
    }
    commands->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addLayout(LayOutBoards());
    layout->addWidget(view_, 1);
    layout->addLayout(commands);
    resize(720, 640);
}

QLayout* PinListWindow::LayOutBoards() {
    boards_->setObjectName(QStringLiteral("boards"));
    boards_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* row = new QHBoxLayout;
    row->addWidget(boards_);
    for (QPushButton* button : {showBoard_, hideBoard_, newBoard_, renameBoard_, deleteBoard_}) {
        row->addWidget(button);
    }
    row->addStretch();
    return row;
}

void PinListWindow::ConnectCommands() {
    connect(search_, &QLineEdit::textChanged, rows_, &PinRows::SetSearch);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PinListWindow::UpdateCommands);
    connect(rows_, &QAbstractItemModel::dataChanged, this, &PinListWindow::UpdateCommands);
    connect(rows_, &QAbstractItemModel::rowsRemoved, this, &PinListWindow::UpdateCommands);
    const auto onSelected = [this](auto command) {
        return [this, command] {
            for (const quint64 id : Selected()) command(id);
        };
    };
    connect(show_, &QPushButton::clicked, this,
            onSelected([this](quint64 id) { board_.List().SetShown(id, true); }));
    connect(hide_, &QPushButton::clicked, this,
            onSelected([this](quint64 id) { board_.List().SetShown(id, false); }));
    connect(raise_, &QPushButton::clicked, this,
            onSelected([this](quint64 id) { board_.Raise(id); }));
    connect(unpin_, &QPushButton::clicked, this, [this] {
        // One display window: the first selected pin goes to it.
        const QList<quint64> selected = Selected();
        if (!selected.isEmpty()) board_.Unpin(selected.first());
    });
    connect(moveTargets_, &QMenu::aboutToShow, this, &PinListWindow::ListMoveTargets);
    connect(delete_, &QPushButton::clicked, this, &PinListWindow::DeleteSelected);
    connect(restore_, &QPushButton::clicked, this, &PinListWindow::RestoreSelected);
}

void PinListWindow::ConnectBoards() {
    connect(&board_.List(), &pin_list::PinList::boardsChanged, this, &PinListWindow::ListBoards);
    connect(boards_, &QComboBox::currentIndexChanged, this, [this] {
        rows_->SetBoard(ChosenBoard());
        rows_->SetRemovedOnly(RemovedChosen());
        UpdateCommands();
    });
    connect(showBoard_, &QPushButton::clicked, this,
            [this] { board_.List().SetBoardHidden(ChosenBoard(), false); });
    connect(hideBoard_, &QPushButton::clicked, this,
            [this] { board_.List().SetBoardHidden(ChosenBoard(), true); });
    connect(newBoard_, &QPushButton::clicked, this, &PinListWindow::MakeBoard);
    connect(renameBoard_, &QPushButton::clicked, this, &PinListWindow::RenameBoard);
    connect(deleteBoard_, &QPushButton::clicked, this, &PinListWindow::DeleteBoard);
}

void PinListWindow::ListBoards() {
    // The choice stays through the change, by the board's name; a board renamed or deleted
    // meanwhile falls back to every board.
    const QString chosen = ChosenBoard();
    const bool removedChosen = RemovedChosen();
    const QSignalBlocker blocker(boards_);
    boards_->clear();
    boards_->addItem(tr("すべてのボード"), QString());
    for (const QString& name : board_.List().Boards().names) {
        boards_->addItem(pin_list::BoardTitle(name), name);
    }
    boards_->insertSeparator(boards_->count());
    boards_->addItem(tr("最近削除した画像"));
    boards_->setItemData(boards_->count() - 1, true, kRemovedChoiceRole);
    boards_->setCurrentIndex(removedChosen ? boards_->count() - 1
                                           : std::max(0, boards_->findData(chosen)));
    rows_->SetBoard(ChosenBoard());
    rows_->SetRemovedOnly(RemovedChosen());
    UpdateCommands();
}

QString PinListWindow::ChosenBoard() const {
    return boards_->currentData().toString();
}

bool PinListWindow::RemovedChosen() const {
    return boards_->currentData(kRemovedChoiceRole).toBool();
}

QList<quint64> PinListWindow::Selected() const {
    QList<quint64> ids;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        const quint64 id = index.data(pin_list::PinListModel::IdRole).toULongLong();
        if (id != 0) ids.append(id);
    }
    return ids;
}

QList<int> PinListWindow::SelectedRemoved() const {
    QList<int> removed;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        const int at = index.data(pin_list::PinListModel::RemovedRole).toInt();
        if (at >= 0) removed.append(at);
    }
    return removed;
}

void PinListWindow::UpdateCommands() {
    bool placed = false, listed = false, removed = false;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        const auto state =
            pin_list::PinState(index.data(pin_list::PinListModel::StateRole).toInt());
        placed |= IsPlaced(state);
        removed |= state == pin_list::PinState::Removed;
        listed |= state != pin_list::PinState::Removed;
    }
    for (QPushButton* button : {show_, hide_, raise_, unpin_}) button->setEnabled(placed);
    move_->setEnabled(listed);
    delete_->setEnabled(listed);
    restore_->setEnabled(removed);

    const QString chosen = ChosenBoard();
    const bool hidden = board_.List().BoardHidden(chosen);
    showBoard_->setEnabled(!chosen.isEmpty() && hidden);
    hideBoard_->setEnabled(!chosen.isEmpty() && !hidden);
    // The first board keeps its name and stays.
    const bool other = !chosen.isEmpty() && chosen != store::kFirstBoard;
    renameBoard_->setEnabled(other);
    deleteBoard_->setEnabled(other);
}

void PinListWindow::ListMoveTargets() {
    moveTargets_->clear();
    for (const QString& name : board_.List().Boards().names) {
        // A name's "&" is its own, not a shortcut's mark.
        QAction* target =
            moveTargets_->addAction(pin_list::BoardTitle(name).replace(u'&', QStringLiteral("&&")));
        target->setObjectName(QStringLiteral("moveTo"));
        target->setData(name);
        connect(target, &QAction::triggered, this,
                [this, name] { board_.List().MoveToBoard(Selected(), name); });
    }
}

void PinListWindow::DeleteSelected() {
    const QList<quint64> selected = Selected();
    // Many at once only once the user has said so, knowing how many.
    if (selected.size() > 1 && !confirm_(tr("%1 個の画像を削除しますか?").arg(selected.size()))) {
        return;
    }
    for (const quint64 id : selected) board_.DeletePin(id);
}

void PinListWindow::RestoreSelected() {
    QList<int> removed = SelectedRemoved();
    // The last first, so that the indexes still to come stay where they are.
    std::sort(removed.begin(), removed.end(), std::greater<>());
    QStringList failures;
    for (const int at : removed) {
        if (const std::optional<QString> failure = board_.RestoreRemoved(at))
            failures.append(*failure);
    }
    // Never silently: a pin that cannot come back says why.
    if (!failures.isEmpty()) QMessageBox::information(this, windowTitle(), failures.join(u'\n'));
}

QString PinListWindow::AskBoardName(const QString& label, const QString& current) {
    QString name = askName_(label, current).trimmed();
    if (name.isEmpty() || name == current) return {};
    // Said here in the user's language; the list refuses the same name for itself.
    if (board_.List().Boards().names.contains(name)) {
        QMessageBox::information(this, windowTitle(),
                                 tr("「%1」というボードはもうあります。").arg(name));
        return {};
    }
    return name;
}

void PinListWindow::ShowBoardMade(const QString& name, const std::optional<QString>& failure) {
    if (failure) {
        qWarning("vellora: board %s: %s", qPrintable(name), qPrintable(*failure));
        return;
    }
    boards_->setCurrentIndex(boards_->findData(name));
}

void PinListWindow::MakeBoard() {
    const QString name = AskBoardName(tr("新しいボードの名前:"), QString());
    if (!name.isEmpty()) ShowBoardMade(name, board_.List().MakeBoard(name));
}

void PinListWindow::RenameBoard() {
    const QString board = ChosenBoard();
    const QString name = AskBoardName(tr("ボードの新しい名前:"), board);
    if (!name.isEmpty()) ShowBoardMade(name, board_.List().RenameBoard(board, name));
}

void PinListWindow::DeleteBoard() {
    const QString board = ChosenBoard();
    if (!confirm_(
            tr("ボード「%1」を削除しますか? その画像は「%2」に移ります。")
                .arg(pin_list::BoardTitle(board), pin_list::BoardTitle(store::kFirstBoard)))) {
        return;
    }
    board_.List().DeleteBoard(board);
}

}  // namespace pin_list_window
