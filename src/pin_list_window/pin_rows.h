#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QSortFilterProxyModel>
#include <functional>

#include "pin_list/pin_list_model.h"
#include "platform/core/picture_transform.h"

namespace marks {
class MarksStore;
}
namespace platform {
class ThumbnailCache;
}

namespace pin_list_window {

// The list's rows as the window shows them: filtered by a board and by the search text over
// file name, folder and the text recognised in the picture, each with its thumbnail, fetched
// from the shared cache only when a view asks for the row, once a file, and the lines of text
// under it. A file the cache has no thumbnail of yet (a pin pinned or put back moments ago) is
// decoded at the thumbnail's size on a worker thread, and its rows are told when it arrives.
class PinRows : public QSortFilterProxyModel {
    Q_OBJECT
public:
    static constexpr int kThumbnailPixels = 64;
    // The text recognised earlier in a picture file, empty when none was; it never recognises.
    using TextLookup = std::function<QString(const platform::FilePath& file)>;

    PinRows(const pin_list::PinList& list, platform::ThumbnailCache* thumbnails, QObject* parent);

    void SetSearch(const QString& text);
    // Only the pins of `board`; every pin when empty.
    void SetBoard(const QString& board);
    // Only the recently removed pins, whatever their board.
    void SetRemovedOnly(bool removedOnly);
    void SetTextLookup(TextLookup lookup);
    // Where the pins' marks are, drawn over their thumbnails; none when null.
    void SetMarks(marks::MarksStore* marks);
    // The file's text was recognised again: the search asks for it anew.
    void ForgetText(const QByteArray& file);
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QPixmap Thumbnail(const QModelIndex& index) const;
    const QImage& FileThumbnail(const QByteArray& file) const;
    // The pin's marks drawn over its file's thumbnail, once a change of them or of it.
    // The row's picture as the pin shows it: transformed, with its marks.
    QPixmap Shown(const QImage& thumbnail, const platform::PictureTransform& transform,
                  const QString& key) const;
    void DecodeThumbnail(const QByteArray& file) const;
    void ThumbnailArrived(const QByteArray& file, const QImage& image);
    const QString& TextOf(const QByteArray& file) const;

    pin_list::PinListModel model_;
    platform::ThumbnailCache* thumbnails_;
    QString search_;
    QString board_;
    bool removedOnly_ = false;
    TextLookup textLookup_;
    // Both by the file's bytes: pins of one file share them.
    mutable QHash<QByteArray, QImage> thumbnailOf_;
    mutable QSet<QByteArray> decoding_;
    mutable QHash<QByteArray, QString> textOf_;
    marks::MarksStore* marks_ = nullptr;
    struct ShownRow {
        qint64 thumbnail;  // the QImage::cacheKey it was made from
        platform::PictureTransform transform;
        QString marks;
        QPixmap pixmap;
    };
    // By file: the row of a pin shown transformed or marked.
    mutable QHash<QByteArray, ShownRow> shownOf_;
};

// The state as the window says it.
QString StateText(pin_list::PinState state);

}  // namespace pin_list_window
