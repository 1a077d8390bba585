#include "store/boards.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "store/pin_settings.h"

namespace store {

namespace {

QStringList NamesOf(const QJsonValue& value) {
    QStringList names;
    for (const auto& name : value.toArray()) {
        if (name.isString() && !name.toString().isEmpty() && !names.contains(name.toString())) {
            names.append(name.toString());
        }
    }
    return names;
}

}  // namespace

QString BoardsFileName(const QString& dataFileName) {
    return BesideDataFile(dataFileName, kBoardsFileName);
}

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
    for (const QString& name : NamesOf(object.value(QStringLiteral("hidden")))) {
        if (boards.names.contains(name)) boards.hidden.append(name);
    }
    const QString current = object.value(QStringLiteral("current")).toString();
    if (boards.names.contains(current)) boards.current = current;
    return boards;
}

BoardList LoadBoards(const QString& fileName) {
    return ReadBoards(
        platform::ReadWholeFile(platform::FilePath::FromText(fileName)).value_or(QByteArray()));
}

SaveResult SaveBoards(const BoardList& boards, const QString& fileName) {
    return WriteOrWarn(fileName, FormatBoards(boards));
}

}  // namespace store
