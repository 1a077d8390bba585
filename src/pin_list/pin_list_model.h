#pragma once

#include <QAbstractListModel>

#include "pin_list/pin_list.h"

namespace pin_list {

// The pin list for Qt's item views: one row a pin, in list order, following the list as it
// changes. The display text is the file's name; the other roles give what a view needs to show
// and find a pin.
class PinListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,  // PinId
        PathRole,                   // the path as text, for people
        FolderRole,                 // the folder as text, for people
        StateRole,                  // PinState, as an int
        GeometryRole,               // the window's rectangle in twips, a QRectF
        FileRole,                   // the path's own bytes, a QByteArray
        BoardRole,                  // the board's name
    };

    explicit PinListModel(const PinList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    const PinList& list_;
};

}  // namespace pin_list
