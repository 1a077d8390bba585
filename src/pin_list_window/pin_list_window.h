#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "pin_list_window/pin_rows.h"

class QComboBox;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;

namespace pin_board {
class PinBoard;
}
namespace platform {
class ThumbnailCache;
}

namespace pin_list_window {

// "張り付けた画像の一覧": every pin in one ordinary window, with its thumbnail, file name, folder,
// size, state and board, the recently removed ones after them, a search box, the boards, and
// commands on the selected pins. A view over the pin list's model: it keeps nothing of its own
// but the selection, the search text and the board it shows.
class PinListWindow : public QWidget {
    Q_OBJECT
public:
    // The board and the thumbnail cache (may be null) outlive the window.
    PinListWindow(pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails);
    ~PinListWindow() override;

    // The search also finds the text recognised in a picture.
    void SetTextLookup(PinRows::TextLookup lookup);
    // A file's text was recognised.
    void TextRecognised(const QByteArray& file);

    // What the window asks the user; a test answers instead. `confirm` is asked before a step
    // that acts on many pins, `askName` for a board's name (empty: cancelled).
    void SetConfirm(std::function<bool(const QString& question)> confirm) {
        confirm_ = std::move(confirm);
    }
    void SetAskName(std::function<QString(const QString& label, const QString& name)> askName) {
        askName_ = std::move(askName);
    }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LayOut();
    QLayout* LayOutBoards();
    void ConnectCommands();
    void ConnectBoards();
    void ListBoards();
    void UpdateCommands();
    // The selected listed pins, and the selected removed ones as indexes of the removed list.
    QList<quint64> Selected() const;
    QList<int> SelectedRemoved() const;
    // The board chosen to be shown alone; empty for every board and for the removed pins.
    QString ChosenBoard() const;
    bool RemovedChosen() const;
    void ListMoveTargets();
    void DeleteSelected();
    void RestoreSelected();
    // A name no board has, asked of the user; empty when cancelled, unchanged or taken (the
    // user is told).
    QString AskBoardName(const QString& label, const QString& current);
    // Chooses the board made or renamed as `name`, unless the list refused it.
    void ShowBoardMade(const QString& name, const std::optional<QString>& failure);
    void MakeBoard();
    void RenameBoard();
    void DeleteBoard();

    pin_board::PinBoard& board_;
    PinRows* rows_;
    QLineEdit* search_;
    QComboBox* boards_;
    QPushButton* showBoard_;
    QPushButton* hideBoard_;
    QPushButton* newBoard_;
    QPushButton* renameBoard_;
    QPushButton* deleteBoard_;
    QListView* view_;
    QPushButton* show_;
    QPushButton* hide_;
    QPushButton* raise_;
    QPushButton* unpin_;
    QPushButton* move_;
    QMenu* moveTargets_;
    QPushButton* delete_;
    QPushButton* restore_;
    std::function<bool(const QString& question)> confirm_;
    std::function<QString(const QString& label, const QString& name)> askName_;
};

}  // namespace pin_list_window
