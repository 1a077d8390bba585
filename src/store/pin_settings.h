#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

#include "platform/core/picture_transform.h"
#include "store/data_file.h"
#include "store/data_folder.h"

// What the user chose for each pinned window (its opacity, whether clicks pass through it, and
// so on), kept in a file of its own beside the data file, "pin-settings.json". The data file
// keeps its classic layout, which has no room for more than the geometry and the path; these
// settings are tied to its records by the same path and geometry texts instead. A record edited
// or added by hand then simply finds no settings and gets the defaults.
namespace store {

// The opacities the menu offers, in percent, opaque first.
inline constexpr int kOpacitySteps[] = {100, 80, 60, 40, 20};

struct PinSettings {
    int opacity = 100;  // percent, one of kOpacitySteps
    bool clickThrough = false;
    bool keepAbove = false;
    bool allWorkspaces = false;
    bool followFile = false;
    bool playAnimation = false;
    // The board the pin belongs to (see store/boards.h); empty until the pin list gives it one,
    // as in a file written before there were boards.
    QString board = QString();
    // The pin's marks: the key of its file in the marks folder (see marks/marks_store.h), empty
    // until the pin is first marked. Each pin has its own, whatever picture it shows.
    QString marks = QString();
    // Whether the marks are drawn: the user may hide them for a while.
    bool showMarks = true;
    // How the pin shows its picture: turned, mirrored, cropped. The file is never touched.
    platform::PictureTransform transform = {};

    bool operator==(const PinSettings&) const = default;
};

// One pin as the settings file writes it, and back: a pin is its path, its geometry texts and
// its settings. None when the object does not hold a path and four geometry texts.
// A record's path bytes and geometry texts in one key; geometry texts hold no NUL, so no two
// records share one. What ties settings and removed pins to the data file's records.
QByteArray RecordKey(const QByteArray& path, const std::array<QString, 4>& geometry);

QJsonObject PinObject(const PictureEntry& entry, const PinSettings& settings);
// A transform as the settings file writes it, and back: a damaged one reads as none.
QJsonObject TransformObject(const platform::PictureTransform& transform);
platform::PictureTransform TransformOfObject(const QJsonValue& value);
std::optional<std::pair<PictureEntry, PinSettings>> PinOfObject(const QJsonObject& pin);

// The whole file: one entry per pin, in the order given; unread lines have no settings.
QByteArray FormatPinSettings(const QList<std::pair<PictureEntry, PinSettings>>& pins);

// One PinSettings per entry, in its order: those of the first settings entry not taken yet whose
// path bytes and four geometry texts are the entry's, so that several pins of one picture find
// theirs in order. An entry with no such settings, and every entry when the bytes are not a
// settings file, get the defaults.
QList<PinSettings> MatchPinSettings(const QByteArray& fileBytes,
                                    const QList<PictureEntry>& entries);

// MatchPinSettings on the file's content; a missing or unreadable file gives the defaults.
QList<PinSettings> LoadPinSettings(const QString& fileName, const QList<PictureEntry>& entries);

// Writes the file whole (platform::WriteWholeFile); on failure the previous file stays and a
// warning goes to standard error. The one writer of the files beside the data file.
SaveResult WriteOrWarn(const QString& fileName, const QByteArray& bytes);

// Rewrites the settings file; on failure the previous file stays and a warning goes to standard
// error.
SaveResult SavePinSettings(const QList<std::pair<PictureEntry, PinSettings>>& pins,
                           const QString& fileName);

using PinsWithSettings = QList<std::pair<PictureEntry, PinSettings>>;

// Saves the list into the data file and the pins' settings beside it, where `before` is what the
// settings file holds now. The two files cannot be replaced at one instant, and settings are
// matched to the data file's records by path and geometry: so the settings are written first
// for the records of both the old and the new data file, then the data file, then the settings
// for the new one alone. A kill at any moment leaves every pin with the settings it had before
// or after, never the defaults. `betweenFiles` runs once the data file is written (a test
// widens the window with it). What became of the data file (the settings follow it only when
// it was written), and of the settings file.
struct ListSaveResult : SaveResult {
    SaveResult settings;
};
ListSaveResult SaveListAndSettings(const PinsWithSettings& pins, const PinsWithSettings& before,
                                   const DataFolder& folder,
                                   const std::function<void()>& betweenFiles = {});

}  // namespace store
