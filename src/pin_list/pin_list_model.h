#pragma once

#include <QAbstractListModel>

#include "pin_list/pin_list.h"

namespace pin_list {

// The pin list for Qt's item views: one row a pin, in list order, then one row a recently removed
// pin, the newest first, following the list as it changes. The display text is the file's name;
// the other roles give what a view needs to show and find a pin.
class PinListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,  // PinId; 0 for a removed pin
        PathRole,                   // the path as text, for people
        FolderRole,                 // the folder as text, for people
        StateRole,                  // PinState, as an int
        GeometryRole,               // the window's rectangle in twips, a QRectF
        FileRole,                   // the path's own bytes, a QByteArray
        BoardRole,                  // the board's name
        RemovedRole,                // the index in PinList::RemovedPins(); -1 for a listed pin
        RemovedAtRole,              // when a removed pin was removed, a QDateTime (UTC)
        MarksRole,                  // the key of the pin's marks while they are shown; else empty
        TransformRole,              // how the pin shows its picture, a platform::PictureTransform
    };

    explicit PinListModel(const PinList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    // The removed pins' rows follow the list's removed pins with a signal of their own: the model
    // counts them itself so that its rows stay consistent while the list changes.
    void FollowRemoved();
    QVariant RemovedData(int removedRow, int role) const;
    // The roles a listed and a removed pin answer alike: `shown` is the path people read, `file`
    // the file as it is now.
    static QVariant PinData(const platform::FilePath& shown, const platform::FilePath& file,
                            const store::PinSettings& settings, int role);

    const PinList& list_;
    int removedRows_ = 0;
};

}  // namespace pin_list
