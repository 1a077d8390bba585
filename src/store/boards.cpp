#include "store/boards.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "store/pin_settings.h"

namespace store {

namespace {

// The names in the user's order, each once; a blank name is none (the window refuses one too).
QStringList NamesOf(const QJsonValue& value, QSet<QString>& seen) {
    QStringList names;
    const QJsonArray array = value.toArray();
    names.reserve(array.size());
    seen.reserve(array.size());
    for (const auto& name : array) {
        const QString text = name.toString();
        if (!name.isString() || text.trimmed().isEmpty()) continue;
        const qsizetype before = seen.size();
        seen.insert(text);
        if (seen.size() != before) names.append(text);
    }
    return names;
}

}  // namespace

QByteArray FormatBoards(const BoardList& boards) {
    return QJsonDocument(QJsonObject{
                             {QStringLiteral("boards"), QJsonArray::fromStringList(boards.names)},
                             {QStringLiteral("hidden"), QJsonArray::fromStringList(boards.hidden)},
                             {QStringLiteral("current"), boards.current},
                         })
        .toJson();
}

BoardList ReadBoards(const QByteArray& bytes) {
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    BoardList boards;
    QSet<QString> known{kFirstBoard};
    boards.names.append(NamesOf(object.value(QStringLiteral("boards")), known));
    QSet<QString> hidden;
    for (const QString& name : NamesOf(object.value(QStringLiteral("hidden")), hidden)) {
        if (known.contains(name)) boards.hidden.append(name);
    }
    const QString current = object.value(QStringLiteral("current")).toString();
    if (known.contains(current)) boards.current = current;
    return boards;
}

namespace {

std::optional<QString> CheckNewName(const BoardList& boards, const QString& name) {
    if (name.trimmed().isEmpty()) return QStringLiteral("a board needs a name");
    if (boards.names.contains(name)) {
        return QStringLiteral("there is a board %1 already").arg(ShortName(name));
    }
    return std::nullopt;
}

std::optional<QString> CheckKnown(const BoardList& boards, const QString& board) {
    if (boards.names.contains(board)) return std::nullopt;
    return QStringLiteral("there is no board %1").arg(ShortName(board));
}

}  // namespace

std::optional<QString> MakeBoard(BoardList& boards, const QString& name) {
    if (auto wrong = CheckNewName(boards, name)) return wrong;
    boards.names.append(name);
    return std::nullopt;
}

std::optional<QString> RenameBoard(BoardList& boards, const QString& board, const QString& name) {
    if (auto wrong = CheckKnown(boards, board)) return wrong;
    if (board == kFirstBoard) return QStringLiteral("the first board keeps its name");
    if (auto wrong = CheckNewName(boards, name)) return wrong;
    boards.names.replace(boards.names.indexOf(board), name);
    if (boards.hidden.removeAll(board) > 0) boards.hidden.append(name);
    if (boards.current == board) boards.current = name;
    return std::nullopt;
}

std::optional<QString> DeleteBoard(BoardList& boards, const QString& board) {
    if (auto wrong = CheckKnown(boards, board)) return wrong;
    if (board == kFirstBoard) return QStringLiteral("the first board cannot be deleted");
    boards.names.removeAll(board);
    boards.hidden.removeAll(board);
    if (boards.current == board) boards.current = kFirstBoard;
    return std::nullopt;
}

std::optional<QString> SetBoardHidden(BoardList& boards, const QString& board, bool hidden) {
    if (auto wrong = CheckKnown(boards, board)) return wrong;
    boards.hidden.removeAll(board);
    if (hidden) {
        boards.hidden.append(board);
    } else {
        boards.current = board;
    }
    return std::nullopt;
}

std::optional<QString> TakingBoard(const BoardList& boards) {
    if (!boards.hidden.contains(boards.current)) return boards.current;
    for (const QString& board : boards.names) {
        if (!boards.hidden.contains(board)) return board;
    }
    return std::nullopt;
}

QString ShortName(const QString& name) {
    constexpr qsizetype kShown = 64;
    return name.size() <= kShown ? name : name.left(kShown) + QStringLiteral("…");
}

BoardList LoadBoards(const QString& fileName) {
    return ReadBoards(
        platform::ReadWholeFile(platform::FilePath::FromText(fileName)).value_or(QByteArray()));
}

SaveResult SaveBoards(const BoardList& boards, const QString& fileName) {
    return WriteOrWarn(fileName, FormatBoards(boards));
}

}  // namespace store
