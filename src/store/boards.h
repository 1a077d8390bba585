#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
// Rewrites the file whole; on failure the previous file stays and a warning goes to standard
// error.
SaveResult SaveBoards(const BoardList& boards, const QString& fileName);

}  // namespace store
