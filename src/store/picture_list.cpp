#include "store/picture_list.h"

#include "store/data_file.h"

namespace store {

PictureList::PictureList(QString dataFile) : dataFile_(std::move(dataFile)) {}

void PictureList::Append(PictureEntry entry) {
    entries_.append(std::move(entry));
}

bool PictureList::Remove(const PictureEntry& entry) {
    qsizetype index = entries_.indexOf(entry);
    if (index < 0) {
        const auto samePath = [&entry](const PictureEntry& e) { return e.path == entry.path; };
        const auto found = std::find_if(entries_.cbegin(), entries_.cend(), samePath);
        if (found == entries_.cend()) return false;
        index = found - entries_.cbegin();
    }
    entries_.removeAt(index);
    return true;
}

SaveResult PictureList::SaveAll() const {
    SaveResult result = store::SaveAll(entries_, dataFile_);
    if (listener_) listener_(dataFile_, result);
    return result;
}

}  // namespace store
