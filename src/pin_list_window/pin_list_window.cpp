#include "pin_list_window/pin_list_window.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "pin_board/pin_board.h"
#include "pin_list_window/pin_rows.h"

namespace pin_list_window {

namespace {

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

}  // namespace

PinListWindow::PinListWindow(pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails)
    : board_(board),
      rows_(new PinRows(board.List(), thumbnails, this)),
      search_(new QLineEdit(this)),
      view_(new QListView(this)),
      show_(Button("show", tr("表示"), this)),
      hide_(Button("hide", tr("非表示"), this)),
      raise_(Button("raise", tr("前面に表示"), this)),
      unpin_(Button("unpin", tr("表示ウィンドウに戻す"), this)),
      delete_(Button("delete", tr("削除"), this)),
      confirm_([this](int count) {
          return QMessageBox::question(this, windowTitle(),
                                       tr("%1 個の画像を削除しますか?").arg(count)) ==
                 QMessageBox::Yes;
      }) {
    setObjectName(QStringLiteral("PinListWindow"));
    setWindowTitle(tr("張り付けた画像の一覧"));
    LayOut();
    ConnectCommands();
    UpdateCommands();
}

PinListWindow::~PinListWindow() = default;

void PinListWindow::LayOut() {
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(tr("ファイル名・フォルダで検索"));
    search_->setClearButtonEnabled(true);
    view_->setObjectName(QStringLiteral("pins"));
    view_->setModel(rows_);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setIconSize({PinRows::kThumbnailPixels, PinRows::kThumbnailPixels});
    view_->setUniformItemSizes(true);  // rows out of view are never asked for
    view_->setSpacing(2);

    auto* commands = new QHBoxLayout;
    for (QPushButton* button : {show_, hide_, raise_, unpin_, delete_}) commands->addWidget(button);
    commands->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(view_, 1);
    layout->addLayout(commands);
    resize(520, 600);
}

void PinListWindow::ConnectCommands() {
    connect(search_, &QLineEdit::textChanged, rows_, &PinRows::SetSearch);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PinListWindow::UpdateCommands);
    connect(rows_, &QAbstractItemModel::dataChanged, this, &PinListWindow::UpdateCommands);
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
    connect(delete_, &QPushButton::clicked, this, &PinListWindow::DeleteSelected);
}

QList<quint64> PinListWindow::Selected() const {
    QList<quint64> ids;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        ids.append(index.data(pin_list::PinListModel::IdRole).toULongLong());
    }
    return ids;
}

void PinListWindow::UpdateCommands() {
    bool placed = false, any = false;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        any = true;
        const auto state =
            pin_list::PinState(index.data(pin_list::PinListModel::StateRole).toInt());
        placed |= state == pin_list::PinState::Shown || state == pin_list::PinState::Hidden;
    }
    for (QPushButton* button : {show_, hide_, raise_, unpin_}) button->setEnabled(placed);
    delete_->setEnabled(any);
}

void PinListWindow::DeleteSelected() {
    const QList<quint64> selected = Selected();
    // Many at once only once the user has said so, knowing how many.
    if (selected.size() > 1 && !confirm_(int(selected.size()))) return;
    for (const quint64 id : selected) board_.DeletePin(id);
}

}  // namespace pin_list_window
