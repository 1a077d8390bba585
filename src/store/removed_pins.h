#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include "platform/core/file_path.h"
#include "store/data_file.h"
#include "store/pin_settings.h"

// The recently removed pins ("最近削除した画像"), kept in "removed-pins.json" beside the data
// file, so that a pin removed by a click can be put back as it was. A pasted or captured
// picture's file waits in the folder "removed" beside the data file while its pin is listed here.
namespace store {

// How long and how many removed pins are kept.
inline constexpr int kRemovedKeptDays = 30;
inline constexpr int kRemovedKeptCount = 200;

struct RemovedPin {
    // The path the file is at now (in "removed" for a file the program keeps) and the geometry
    // texts the pin had.
    PictureEntry entry;
    PinSettings settings;
    // Where the file was while pinned, when it was moved into "removed"; empty otherwise.
    platform::FilePath movedFrom;
    QDateTime removedAt;

    bool operator==(const RemovedPin&) const = default;
};

// Oldest first.
QByteArray FormatRemovedPins(const QList<RemovedPin>& pins);
// The pins the bytes hold; a damaged file is an empty list, a damaged entry is passed over.
QList<RemovedPin> ReadRemovedPins(const QByteArray& bytes);
QList<RemovedPin> LoadRemovedPins(const QString& fileName);
SaveResult SaveRemovedPins(const QList<RemovedPin>& pins, const QString& fileName);

// Whether the pin has left the list by `now`: older than kRemovedKeptDays, or before the last
// kRemovedKeptCount of `count` pins (oldest first, `index` its place).
bool RemovedPinExpired(const RemovedPin& pin, qsizetype index, qsizetype count,
                       const QDateTime& now);

}  // namespace store
