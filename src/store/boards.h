#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "store/data_file.h"

// The boards pins are grouped into, kept in "boards.json" beside the data file: their names in
// the user's order, which of them are hidden, and which takes new pins. A pin names its board in
// its settings (pin-settings.json); a hidden board stays hidden across starts.
namespace store {

// The first board, which every pin belongs to until the user makes others; it cannot go.
inline const QString kFirstBoard = QStringLiteral("既定");

struct BoardList {
    QStringList names{kFirstBoard};  // the first board first
    QStringList hidden;
    QString current = kFirstBoard;  // the board shown last, which takes new pins

    bool operator==(const BoardList&) const = default;
};

QByteArray FormatBoards(const BoardList& boards);
// The boards the bytes name, the first board always first; what a damaged or missing file
// gives is the first board alone, shown.
BoardList ReadBoards(const QByteArray& bytes);
BoardList LoadBoards(const QString& fileName);
// A board's name for a log line or a message: a name of any length (a hand edit, a hostile
// command line) is cut short.
QString ShortName(const QString& name);

// The rules of boards, apart from their pins; what went wrong, for a log line, when the list is
// left as it was. The first board keeps its name and cannot be deleted.
std::optional<QString> MakeBoard(BoardList& boards, const QString& name);
std::optional<QString> RenameBoard(BoardList& boards, const QString& board, const QString& name);
// A deleted board's pins go to the first, which takes new pins if the deleted one did.
std::optional<QString> DeleteBoard(BoardList& boards, const QString& board);
// A board shown takes new pins.
std::optional<QString> SetBoardHidden(BoardList& boards, const QString& board, bool hidden);
// The board that takes a new pin: the one shown last, or the first other that is shown; none
// when every board is hidden.
std::optional<QString> TakingBoard(const BoardList& boards);
// Rewrites the file whole; on failure the previous file stays and a warning goes to standard
// error.
SaveResult SaveBoards(const BoardList& boards, const QString& fileName);

}  // namespace store
