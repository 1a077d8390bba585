#include "pin_list/pin_list_model.h"

#include <QRectF>

namespace pin_list {

PinListModel::PinListModel(const PinList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {
    connect(&list, &PinList::aboutToAdd, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(&list, &PinList::added, this, [this] { endInsertRows(); });
    connect(&list, &PinList::aboutToRemove, this,
            [this](PinId, int row) { beginRemoveRows({}, row, row); });
    connect(&list, &PinList::removed, this, [this] { endRemoveRows(); });
    connect(&list, &PinList::aboutToReset, this, [this] { beginResetModel(); });
    connect(&list, &PinList::reset, this, [this] { endResetModel(); });
    connect(&list, &PinList::changed, this, [this](PinId, int row) {
        if (row >= 0) emit dataChanged(index(row), index(row));
    });
}

int PinListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.Count();
}

QVariant PinListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Pin& pin = list_.At(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return platform::DisplayName(pin.entry.path.FileName());
        case IdRole:
            return QVariant::fromValue(pin.id);
        case PathRole:
            return pin.entry.path.DisplayText();
        case FolderRole:
            return pin.entry.path.Folder().DisplayText();
        case StateRole:
            return int(pin.state);
        case GeometryRole:
            return QRectF(pin.geometry.left, pin.geometry.top, pin.geometry.width,
                          pin.geometry.height);
        case FileRole:
            return pin.entry.path.Bytes();
        case BoardRole:
            return pin.settings.board;
        default:
            return {};
    }
}

QHash<int, QByteArray> PinListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert({{IdRole, "id"},
                  {PathRole, "path"},
                  {FolderRole, "folder"},
                  {StateRole, "state"},
                  {GeometryRole, "geometry"},
                  {FileRole, "file"},
                  {BoardRole, "board"}});
    return names;
}

}  // namespace pin_list
