#include "store/picture_list.h"

namespace store {

void PictureList::AddItem(const QString& path, const QString& left, const QString& top,
                          const QString& width, const QString& height) {
    paths_.append(path);
    geometry_[0].append(left);
    geometry_[1].append(top);
    geometry_[2].append(width);
    geometry_[3].append(height);
}

void PictureList::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) return;
    paths_.removeAt(index);
    for (QStringList& column : geometry_) column.removeAt(index);
}

int PictureList::IndexOf(const QString& path, const QString& left, const QString& top,
                         const QString& width, const QString& height) const {
    for (int i = 0; i < ListCount(); ++i) {
        if (paths_[i] == path && geometry_[0][i] == left && geometry_[1][i] == top &&
            geometry_[2][i] == width && geometry_[3][i] == height) {
            return i;
        }
    }
    return -1;
}

}  // namespace store
