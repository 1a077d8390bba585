#include "marks/marks_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace marks {

namespace {

// Hundredths of a picture pixel are finer than any zoom shows, and keep the files short.
double Rounded(qreal value) {
    return std::round(value * 100) / 100;
}

std::optional<Mark> MarkOf(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const std::optional<Kind> kind = KindNamed(object.value(QLatin1String("kind")).toString());
    const QJsonArray coordinates = object.value(QLatin1String("points")).toArray();
    const QColor color = QColor::fromString(object.value(QLatin1String("color")).toString());
    const double width = object.value(QLatin1String("width")).toDouble(-1);
    if (!kind || coordinates.isEmpty() || coordinates.size() % 2 != 0 || !color.isValid() ||
        !(width > 0 && width <= 1000)) {
        return std::nullopt;
    }
    Mark mark{.kind = *kind, .points = {}, .color = color, .width = width, .text = {}};
    for (qsizetype i = 0; i < coordinates.size(); i += 2) {
        if (!coordinates[i].isDouble() || !coordinates[i + 1].isDouble()) return std::nullopt;
        mark.points.append(QPointF(coordinates[i].toDouble(), coordinates[i + 1].toDouble()));
    }
    // A path has any number of points, a thing at a point one, and everything else two.
    const bool fits =
        IsPath(*kind) ? !mark.points.isEmpty() : mark.points.size() == (IsPoint(*kind) ? 1 : 2);
    if (!fits) return std::nullopt;
    if (*kind == Kind::Text) mark.text = object.value(QLatin1String("text")).toString();
    return mark;
}

}  // namespace

QByteArray FormatMarks(const QList<Mark>& marks) {
    QJsonArray list;
    for (const Mark& mark : marks) {
        QJsonArray coordinates;
        for (const QPointF& point : mark.points) {
            coordinates.append(Rounded(point.x()));
            coordinates.append(Rounded(point.y()));
        }
        QJsonObject object{
            {QLatin1String("kind"), NameOf(mark.kind)},
            {QLatin1String("points"), coordinates},
            {QLatin1String("color"), mark.color.name(QColor::HexArgb)},
            {QLatin1String("width"), Rounded(mark.width)},
        };
        if (mark.kind == Kind::Text) object.insert(QLatin1String("text"), mark.text);
        list.append(object);
    }
    return QJsonDocument(QJsonObject{{QLatin1String("marks"), list}})
        .toJson(QJsonDocument::Compact);
}

ReadMarks ParseMarks(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonValue list = document.object().value(QLatin1String("marks"));
    if (error.error != QJsonParseError::NoError || !list.isArray()) return {{}, true};
    ReadMarks read;
    for (const QJsonValue value : list.toArray()) {
        if (const std::optional<Mark> mark = MarkOf(value)) {
            read.marks.append(*mark);
        } else {
            read.damaged = true;
        }
    }
    return read;
}

}  // namespace marks
