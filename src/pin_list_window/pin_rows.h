#pragma once

#include <QHash>
#include <QPixmap>
#include <QSortFilterProxyModel>

#include "pin_list/pin_list_model.h"

namespace platform {
class ThumbnailCache;
}

namespace pin_list_window {

// The list's rows as the window shows them: filtered by the search text over file name and
// folder, each with its thumbnail, fetched from the shared cache only when a view asks for the
// row, once, and the lines of text under it.
class PinRows : public QSortFilterProxyModel {
    Q_OBJECT
public:
    static constexpr int kThumbnailPixels = 64;

    PinRows(const pin_list::PinList& list, platform::ThumbnailCache* thumbnails, QObject* parent);

    void SetSearch(const QString& text);
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QPixmap Thumbnail(const QModelIndex& index) const;

    pin_list::PinListModel model_;
    platform::ThumbnailCache* thumbnails_;
    QString search_;
    mutable QHash<quint64, QPixmap> thumbnailOf_;
};

// The state as the window says it.
QString StateText(pin_list::PinState state);

}  // namespace pin_list_window
