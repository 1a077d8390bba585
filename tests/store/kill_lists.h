#pragma once

#include <QByteArray>
#include <QList>

#include "platform/file_path.h"
#include "store/data_file.h"

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

}  // namespace kill_lists
