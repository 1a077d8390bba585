#include "store/pin_settings.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <iterator>

namespace store {

namespace {

// A percentage the menu does not offer (a hand edit) falls back to opaque.
int OpacityOf(const QJsonValue& value) {
    const int percent = value.toInt(100);
    const bool offered = std::find(std::begin(kOpacitySteps), std::end(kOpacitySteps), percent) !=
                         std::end(kOpacitySteps);
    return offered ? percent : 100;
}

}  // namespace

QJsonObject TransformObject(const platform::PictureTransform& transform) {
    QJsonObject object;
    if (transform.turns != 0) object.insert(QStringLiteral("turns"), transform.turns);
    if (transform.mirrored) object.insert(QStringLiteral("mirrored"), true);
    if (!transform.crop.isNull()) {
        const QRect& c = transform.crop;
        object.insert(QStringLiteral("crop"), QJsonArray{c.x(), c.y(), c.width(), c.height()});
    }
    return object;
}

platform::PictureTransform TransformOfObject(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const QJsonValue turns = object.value(QStringLiteral("turns"));
    const QJsonValue mirrored = object.value(QStringLiteral("mirrored"));
    const QJsonValue crop = object.value(QStringLiteral("crop"));
    platform::PictureTransform transform;
    // Each part stands alone: one that is damaged is dropped, the others are kept.
    if (turns.isDouble() && turns.toDouble() == turns.toInt() && turns.toInt() >= 0 &&
        turns.toInt() < 4) {
        transform.turns = turns.toInt();
    }
    transform.mirrored = mirrored.toBool(false);
    const QJsonArray corners = crop.toArray();
    if (corners.size() == 4 && std::all_of(corners.begin(), corners.end(), [](const QJsonValue& v) {
            return v.isDouble() && v.toDouble() == v.toInt() && v.toInt() >= 0;
        })) {
        const QRect rect(corners[0].toInt(), corners[1].toInt(), corners[2].toInt(),
                         corners[3].toInt());
        if (!rect.isEmpty()) transform.crop = rect;
    }
    return transform;
}

QByteArray RecordKey(const QByteArray& path, const std::array<QString, 4>& geometry) {
    QByteArray key = path;
    for (const QString& text : geometry) key += '\0' + text.toUtf8();
    return key;
}

QJsonObject PinObject(const PictureEntry& entry, const PinSettings& settings) {
    QJsonArray geometry;
    for (const QString& text : entry.geometry) geometry.append(text);
    // File names are bytes and JSON text is Unicode: percent-encoding keeps every byte of a
    // name that is not UTF-8, and leaves a plain ASCII path readable.
    QJsonObject object{
        {QStringLiteral("path"),
         QString::fromLatin1(entry.path.Bytes().toPercentEncoding(QByteArrayLiteral("/")))},
        {QStringLiteral("geometry"), geometry},
        {QStringLiteral("opacity"), settings.opacity},
        {QStringLiteral("clickThrough"), settings.clickThrough},
        {QStringLiteral("keepAbove"), settings.keepAbove},
        {QStringLiteral("allWorkspaces"), settings.allWorkspaces},
        {QStringLiteral("followFile"), settings.followFile},
        {QStringLiteral("playAnimation"), settings.playAnimation},
    };
    if (!settings.board.isEmpty()) object.insert(QStringLiteral("board"), settings.board);
    if (!settings.marks.isEmpty()) object.insert(QStringLiteral("marks"), settings.marks);
    if (!settings.showMarks) object.insert(QStringLiteral("showMarks"), false);
    if (!settings.transform.IsIdentity()) {
        object.insert(QStringLiteral("transform"), TransformObject(settings.transform));
    }
    return object;
}

std::optional<std::pair<PictureEntry, PinSettings>> PinOfObject(const QJsonObject& pin) {
    const QJsonValue path = pin.value(QStringLiteral("path"));
    const QJsonArray geometryTexts = pin.value(QStringLiteral("geometry")).toArray();
    if (!path.isString() || geometryTexts.size() != 4) return std::nullopt;
    std::array<QString, 4> geometry;
    for (int i = 0; i < 4; ++i) geometry[size_t(i)] = geometryTexts[i].toString();
    return std::pair{PictureEntry(platform::FilePath(
                                      QByteArray::fromPercentEncoding(path.toString().toLatin1())),
                                  geometry),
                     PinSettings{
                         .opacity = OpacityOf(pin.value(QStringLiteral("opacity"))),
                         .clickThrough = pin.value(QStringLiteral("clickThrough")).toBool(),
                         .keepAbove = pin.value(QStringLiteral("keepAbove")).toBool(),
                         .allWorkspaces = pin.value(QStringLiteral("allWorkspaces")).toBool(),
                         .followFile = pin.value(QStringLiteral("followFile")).toBool(),
                         .playAnimation = pin.value(QStringLiteral("playAnimation")).toBool(),
                         .board = pin.value(QStringLiteral("board")).toString(),
                         .marks = pin.value(QStringLiteral("marks")).toString(),
                         .showMarks = pin.value(QStringLiteral("showMarks")).toBool(true),
                         .transform = TransformOfObject(pin.value(QStringLiteral("transform"))),
                     }};
}

QByteArray FormatPinSettings(const QList<std::pair<PictureEntry, PinSettings>>& pins) {
    QJsonArray list;
    for (const auto& [entry, settings] : pins) {
        if (!entry.IsUnread()) list.append(PinObject(entry, settings));
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("pins"), list}}).toJson();
}

QList<PinSettings> MatchPinSettings(const QByteArray& fileBytes,
                                    const QList<PictureEntry>& entries) {
    // Each key's settings in file order; a pin takes the first one left.
    QHash<QByteArray, QList<PinSettings>> saved;
    const QJsonArray list =
        QJsonDocument::fromJson(fileBytes).object().value(QStringLiteral("pins")).toArray();
    for (const auto& item : list) {
        if (const auto pin = PinOfObject(item.toObject())) {
            saved[RecordKey(pin->first.path.Bytes(), pin->first.geometry)].append(pin->second);
        }
    }
    QList<PinSettings> matched;
    matched.reserve(entries.size());
    for (const PictureEntry& entry : entries) {
        const auto found = saved.find(RecordKey(entry.path.Bytes(), entry.geometry));
        if (found == saved.end() || found->isEmpty()) {
            matched.append(PinSettings{});
        } else {
            matched.append(found->takeFirst());
        }
    }
    return matched;
}

QList<PinSettings> LoadPinSettings(const QString& fileName, const QList<PictureEntry>& entries) {
    const auto bytes = platform::ReadWholeFile(platform::FilePath::FromText(fileName));
    return MatchPinSettings(bytes.value_or(QByteArray()), entries);
}

SaveResult WriteOrWarn(const QString& fileName, const QByteArray& bytes) {
    SaveResult result = platform::WriteWholeFile(fileName, bytes);
    if (!result.ok) {
        qWarning("vellora: could not save %s: %s; the previous file is kept", qPrintable(fileName),
                 qPrintable(result.error));
    }
    return result;
}

SaveResult SavePinSettings(const QList<std::pair<PictureEntry, PinSettings>>& pins,
                           const QString& fileName) {
    return WriteOrWarn(fileName, FormatPinSettings(pins));
}

ListSaveResult SaveListAndSettings(const PinsWithSettings& pins, const PinsWithSettings& before,
                                   const DataFolder& folder,
                                   const std::function<void()>& betweenFiles) {
    const QString settingsFile = folder.PinSettingsFile();
    ListSaveResult result;
    // The new pins first, so that they take their settings; then what only the old file has.
    PinsWithSettings both = pins;
    QHash<QByteArray, int> inNew;
    for (const auto& [entry, settings] : pins)
        ++inNew[RecordKey(entry.path.Bytes(), entry.geometry)];
    for (const auto& pin : before) {
        int& left = inNew[RecordKey(pin.first.path.Bytes(), pin.first.geometry)];
        if (left > 0) {
            --left;
        } else {
            both.append(pin);
        }
    }
    const QByteArray bothBytes = FormatPinSettings(both);
    if (bothBytes != FormatPinSettings(before))
        result.settings = WriteOrWarn(settingsFile, bothBytes);
    QList<PictureEntry> entries;
    for (const auto& pin : pins) entries.append(pin.first);
    static_cast<SaveResult&>(result) = SaveAll(entries, folder.DataFile());
    if (!result.ok) return result;
    if (betweenFiles) betweenFiles();
    if (both.size() != pins.size() && result.settings.ok) {
        result.settings = SavePinSettings(pins, settingsFile);
    }
    return result;
}

}  // namespace store
