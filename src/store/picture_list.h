#pragma once

#include <QList>
#include <QString>
#include <array>
#include <functional>

#include "platform/file_path.h"
#include "platform/whole_file.h"

// The pictures pinned to the desktop, in the order they were added, and the data file that keeps
// them. The program makes one list at start and hands it to the windows that change it.
namespace store {

// One pinned picture: the path of its file, and Left, Top, Width and Height of its pinned window
// as number text, exactly as the data file holds them.
struct PictureEntry {
    platform::FilePath path;
    std::array<QString, 4> geometry;

    bool operator==(const PictureEntry&) const = default;
};

// How a save went: on failure, why, in words for the user.
using SaveResult = platform::WriteResult;

class PictureList {
public:
    using SaveListener = std::function<void(const QString& dataFile, const SaveResult&)>;

    explicit PictureList(QString dataFile);

    const QString& DataFile() const { return dataFile_; }
    int ListCount() const { return int(entries_.size()); }
    const QList<PictureEntry>& Entries() const { return entries_; }

    void Append(PictureEntry entry);
    // Removes this entry: the first one equal to it, or failing that the first with its path.
    // False when neither is listed.
    bool Remove(const PictureEntry& entry);

    // Rewrites the data file from the list; see store::SaveAll. The listener hears every result.
    SaveResult SaveAll() const;
    void SetSaveListener(SaveListener listener) { listener_ = std::move(listener); }

private:
    QString dataFile_;
    QList<PictureEntry> entries_;
    SaveListener listener_;
};

}  // namespace store
