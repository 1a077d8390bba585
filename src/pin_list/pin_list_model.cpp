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
    connect(&list, &PinList::reset, this, [this] {
        removedRows_ = int(list_.RemovedPins().size());
        endResetModel();
    });
    connect(&list, &PinList::removedPinsChanged, this, &PinListModel::FollowRemoved);
    connect(&list, &PinList::changed, this, [this](PinId, int row) {
        if (row >= 0) emit dataChanged(index(row), index(row));
    });
    removedRows_ = int(list.RemovedPins().size());
}

void PinListModel::FollowRemoved() {
    const int first = list_.Count();
    if (removedRows_ > 0) {
        beginRemoveRows({}, first, first + removedRows_ - 1);
        removedRows_ = 0;
        endRemoveRows();
    }
    const int now = int(list_.RemovedPins().size());
    if (now > 0) {
        beginInsertRows({}, first, first + now - 1);
        removedRows_ = now;
        endInsertRows();
    }
}

int PinListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.Count() + removedRows_;
}

QVariant PinListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (index.row() >= list_.Count()) return RemovedData(index.row() - list_.Count(), role);
    const Pin& pin = list_.At(index.row());
    switch (role) {
        case IdRole:
            return QVariant::fromValue(pin.id);
        case StateRole:
            return int(pin.state);
        case GeometryRole:
            return QRectF(pin.geometry.left, pin.geometry.top, pin.geometry.width,
                          pin.geometry.height);
        case RemovedRole:
            return -1;
        default:
            return PinData(pin.entry.path, pin.entry.path, pin.settings, role);
    }
}

QVariant PinListModel::RemovedData(int removedRow, int role) const {
    const QList<store::RemovedPin>& removed = list_.RemovedPins();
    const qsizetype at = removed.size() - 1 - removedRow;  // the newest first
    if (at < 0) return {};
    const store::RemovedPin& pin = removed[at];
    switch (role) {
        case IdRole:
            return QVariant::fromValue(PinId(0));
        case StateRole:
            return int(PinState::Removed);
        case GeometryRole: {
            const Geometry geometry = GeometryOf(pin.entry);
            return QRectF(geometry.left, geometry.top, geometry.width, geometry.height);
        }
        case RemovedRole:
            return int(at);
        case RemovedAtRole:
            return pin.removedAt;
        default:
            // Named where it was pinned; its file is where it waits now.
            return PinData(pin.movedFrom.IsEmpty() ? pin.entry.path : pin.movedFrom, pin.entry.path,
                           pin.settings, role);
    }
}

QVariant PinListModel::PinData(const platform::FilePath& shown, const platform::FilePath& file,
                               const store::PinSettings& settings, int role) {
    switch (role) {
        case Qt::DisplayRole:
            return platform::DisplayName(shown.FileName());
        case PathRole:
            return shown.DisplayText();
        case FolderRole:
            return shown.Folder().DisplayText();
        case FileRole:
            return file.Bytes();
        case BoardRole:
            return BoardOf(settings);
        case MarksRole:
            return settings.showMarks ? settings.marks : QString();
        case TransformRole:
            return QVariant::fromValue(settings.transform);
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
                  {BoardRole, "board"},
                  {RemovedRole, "removed"},
                  {RemovedAtRole, "removedAt"},
                  {MarksRole, "marks"},
                  {TransformRole, "transform"}});
    return names;
}

}  // namespace pin_list
