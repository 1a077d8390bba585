#include "app/desktop.h"

#include "app/launch.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "pin_board/pin_board.h"

namespace app {

Desktop::Desktop(Program& program, const Launch& launch) : program_(program) {
    // Listening before the restore: a start meanwhile waits for its answer rather than finding
    // nobody there.
    if (!launch.ServerPath().isEmpty()) {
        server_ = std::make_unique<InstanceServer>(
            [this](const instance::Request& request) { return Answer(request); });
        server_->Listen(launch.ServerPath());
    }
    if (const std::optional<QString> failure = program_.Start(launch.Picture())) {
        qWarning("vellora: %s: %s", qPrintable(launch.Picture().DisplayText()),
                 qPrintable(*failure));
    }
    tray_ = std::make_unique<TrayIcon>(
        program_.Board(), [this] { program_.ShowMainWindow(); }, [this] { program_.Quit(); },
        [this] { return program_.Paste(); });
    if (launch.Paste()) {
        if (const std::optional<QString> failure = program_.Paste()) {
            qWarning("vellora: --paste: %s", qPrintable(*failure));
            tray_->TellPasteFailed();
        }
    }
}

Desktop::~Desktop() = default;

instance::Reply Desktop::Answer(const instance::Request& request) {
    switch (request.kind) {
        case instance::Request::Kind::Show:
            program_.ShowMainWindow();
            return {};
        case instance::Request::Kind::Open: {
            const std::optional<QString> failure = program_.OpenPicture(request.picture);
            return {!failure, failure.value_or(QString()), {}};
        }
        case instance::Request::Kind::Pins:
            return AnswerPins(request.pinsCommand);
        case instance::Request::Kind::Board:
            return AnswerBoard(QString::fromUtf8(request.board), request.pinsCommand);
        case instance::Request::Kind::Paste: {
            // The later start prints the reason; the tray tells whoever bound it to a key.
            const std::optional<QString> failure = program_.Paste();
            if (failure && tray_) tray_->TellPasteFailed();
            return {!failure, failure.value_or(QString()), {}};
        }
    }
    return {};
}

instance::Reply Desktop::AnswerBoard(const QString& board, const QByteArray& command) {
    pin_list::PinList& list = program_.Board().List();
    const bool hide = command == "hide" || (command == "toggle" && !list.BoardHidden(board));
    if (!hide && command != "show" && command != "toggle") {
        return {false,
                QStringLiteral("this Vellora does not know --board NAME %1")
                    .arg(QString::fromLatin1(command)),
                {}};
    }
    const std::optional<QString> failure = list.SetBoardHidden(board, hide);
    return {!failure, failure.value_or(QString()), {}};
}

instance::Reply Desktop::AnswerPins(const QByteArray& command) {
    pin_board::PinBoard& board = program_.Board();
    if (command == "list") return {true, {}, pin_list::FormatListing(board.ListPins())};
    if (command == "hide" || (command == "toggle" && !board.AllHidden())) {
        board.HideAll();
    } else if (command == "show" || command == "toggle") {
        board.ShowAll();
    } else if (command == "solid") {
        board.MakeAllSolid();
    } else {
        return {false,
                QStringLiteral("this Vellora does not know --pins %1")
                    .arg(QString::fromLatin1(command)),
                {}};
    }
    return {};
}

}  // namespace app
