#include "store/boards.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "store/pin_settings.h"

namespace store {

namespace {

// The names in the user's order, each once; a blank name is none (the window refuses one too).
QStringList NamesOf(const QJsonValue& value) {
    QStringList names;
    QSet<QString> seen;
    for (const auto& name : value.toArray()) {
        const QString text = name.toString();
        if (!name.isString() || text.trimmed().isEmpty() || seen.contains(text)) continue;
        seen.insert(text);
        names.append(text);
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
    for (const QString& name : NamesOf(object.value(QStringLiteral("boards")))) {
        if (name != kFirstBoard) boards.names.append(name);
    }
    const QSet<QString> known(boards.names.cbegin(), boards.names.cend());
    for (const QString& name : NamesOf(object.value(QStringLiteral("hidden")))) {
        if (known.contains(name)) boards.hidden.append(name);
    }
    const QString current = object.value(QStringLiteral("current")).toString();
    if (known.contains(current)) boards.current = current;
    return boards;
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
