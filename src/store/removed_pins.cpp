#include "store/removed_pins.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace store {

namespace {

const QString kMovedFrom = QStringLiteral("movedFrom");
const QString kRemovedAt = QStringLiteral("removedAt");

}  // namespace

QByteArray FormatRemovedPins(const QList<RemovedPin>& pins) {
    QJsonArray list;
    for (const RemovedPin& pin : pins) {
        QJsonObject object = PinObject(pin.entry, pin.settings);
        object.insert(kRemovedAt, pin.removedAt.toUTC().toString(Qt::ISODateWithMs));
        if (!pin.movedFrom.IsEmpty()) {
            object.insert(kMovedFrom, QString::fromLatin1(pin.movedFrom.Bytes().toPercentEncoding(
                                          QByteArrayLiteral("/"))));
        }
        list.append(object);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("removed"), list}}).toJson();
}

QList<RemovedPin> ReadRemovedPins(const QByteArray& bytes) {
    QList<RemovedPin> pins;
    const QJsonArray list =
        QJsonDocument::fromJson(bytes).object().value(QStringLiteral("removed")).toArray();
    for (const auto& item : list) {
        const QJsonObject object = item.toObject();
        const auto pin = PinOfObject(object);
        QDateTime at =
            QDateTime::fromString(object.value(kRemovedAt).toString(), Qt::ISODateWithMs);
        if (!pin || pin->first.path.IsEmpty() || !at.isValid()) continue;
        pins.append({pin->first, pin->second,
                     platform::FilePath(QByteArray::fromPercentEncoding(
                         object.value(kMovedFrom).toString().toLatin1())),
                     at.toUTC()});
    }
    return pins;
}

QList<RemovedPin> LoadRemovedPins(const QString& fileName) {
    return ReadRemovedPins(
        platform::ReadWholeFile(platform::FilePath::FromText(fileName)).value_or(QByteArray()));
}

SaveResult SaveRemovedPins(const QList<RemovedPin>& pins, const QString& fileName) {
    return WriteOrWarn(fileName, FormatRemovedPins(pins));
}

bool RemovedPinExpired(const RemovedPin& pin, qsizetype index, qsizetype count,
                       const QDateTime& now) {
    return index < count - kRemovedKeptCount || pin.removedAt.addDays(kRemovedKeptDays) < now;
}

}  // namespace store
