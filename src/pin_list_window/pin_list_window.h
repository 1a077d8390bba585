#pragma once

#include <QWidget>

class QLineEdit;
class QListView;
class QPushButton;

namespace pin_board {
class PinBoard;
}
namespace platform {
class ThumbnailCache;
}

namespace pin_list_window {

class PinRows;

// "張り付けた画像の一覧": every pin in one ordinary window, with its thumbnail, file name, folder,
// size and state, a search box, and commands on the selected pins. A view over the pin list's
// model: it keeps nothing of its own but the selection and the search text.
class PinListWindow : public QWidget {
    Q_OBJECT
public:
    // The board and the thumbnail cache (may be null) outlive the window.
    PinListWindow(pin_board::PinBoard& board, platform::ThumbnailCache* thumbnails);
    ~PinListWindow() override;

    // Asked before many pins are deleted at once; a test answers for the user.
    void SetConfirm(std::function<bool(int count)> confirm) { confirm_ = std::move(confirm); }

private:
    void LayOut();
    void ConnectCommands();
    void UpdateCommands();
    QList<quint64> Selected() const;
    void DeleteSelected();

    pin_board::PinBoard& board_;
    PinRows* rows_;
    QLineEdit* search_;
    QListView* view_;
    QPushButton* show_;
    QPushButton* hide_;
    QPushButton* raise_;
    QPushButton* unpin_;
    QPushButton* delete_;
    std::function<bool(int count)> confirm_;
};

}  // namespace pin_list_window
