#pragma once

#include <QByteArray>
#include <QList>

#include "platform/core/file_path.h"
#include "store/data_file.h"
#include "store/pin_settings.h"

// The lists the save loop writes in turn: list n holds n * 7 entries, so that every list has a
// length of its own and a file cut short cannot pass for another.
namespace kill_lists {

inline constexpr int kLists = 5;

inline QList<store::PictureEntry> ListNumber(int n) {
    QList<store::PictureEntry> entries;
    for (int i = 0; i < n * 7; ++i) {
        const QByteArray number = QByteArray::number(n * 100 + i);
        entries.append({platform::FilePath("/pictures/" + number + ".jpg"),
                        {number, "-" + number, "4500", "3000.5"}});
    }
    return entries;
}

// The settings saved beside list n, as the pin board saves them after the list: every pin at
// an opacity of its own list's.
inline QList<std::pair<store::PictureEntry, store::PinSettings>> SettingsNumber(int n) {
    QList<std::pair<store::PictureEntry, store::PinSettings>> pins;
    for (const store::PictureEntry& entry : ListNumber(n)) {
        store::PinSettings settings;
        settings.opacity = store::kOpacitySteps[n % std::size(store::kOpacitySteps)];
        settings.clickThrough = n % 2 == 1;
        pins.append({entry, settings});
    }
    return pins;
}

}  // namespace kill_lists
