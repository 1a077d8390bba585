#include "pin_list_window/pin_rows.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFutureWatcher>
#include <QLocale>
#include <QPainter>
#include <QRectF>
#include <QtConcurrent/QtConcurrentRun>

#include "marks/mark_painter.h"
#include "marks/marks_store.h"
#include "platform/core/twips.h"
#include "platform/pictures/picture.h"

namespace pin_list_window {

namespace {

// The cache and the decode answer at the square asked for; the row shows the picture's own shape.
QImage RowPicture(const platform::PictureData& picture) {
    const QSize shape = picture.NaturalSize().scaled(
        PinRows::kThumbnailPixels, PinRows::kThumbnailPixels, Qt::KeepAspectRatio);
    QImage row = picture.Pixels().scaled(shape, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The picture's own size goes with it: marks drawn over the row are measured in it.
    row.setText(QStringLiteral("natural"), QStringLiteral("%1x%2")
                                               .arg(picture.NaturalSize().width())
                                               .arg(picture.NaturalSize().height()));
    return row;
}

QSizeF NaturalSizeOf(const QImage& row) {
    const QStringList sides = row.text(QStringLiteral("natural")).split(u'x');
    const QSizeF natural =
        sides.size() == 2 ? QSizeF(sides[0].toDouble(), sides[1].toDouble()) : QSizeF();
    return natural.isEmpty() ? QSizeF(row.size()) : natural;
}

}  // namespace

QString StateText(pin_list::PinState state) {
    switch (state) {
        case pin_list::PinState::Restoring:
            return QCoreApplication::translate("pin_list_window::PinRows", "復元中");
        case pin_list::PinState::Shown:
            return QCoreApplication::translate("pin_list_window::PinRows", "表示中");
        case pin_list::PinState::Hidden:
            return QCoreApplication::translate("pin_list_window::PinRows", "非表示");
        case pin_list::PinState::Waiting:
            return QCoreApplication::translate("pin_list_window::PinRows", "フォルダ待ち");
        case pin_list::PinState::Removed:
            return QCoreApplication::translate("pin_list_window::PinRows", "削除済み");
        case pin_list::PinState::Saved:
            break;
    }
    return {};
}

PinRows::PinRows(const pin_list::PinList& list, platform::ThumbnailCache* thumbnails,
                 QObject* parent)
    : QSortFilterProxyModel(parent), model_(list), thumbnails_(thumbnails) {
    setSourceModel(&model_);
    // A pin's file may change under it: its thumbnail and text are fetched again when its row
    // changes.
    connect(&model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                for (int row = from.row(); row <= to.row(); ++row) {
                    const QByteArray file =
                        model_.index(row).data(pin_list::PinListModel::FileRole).toByteArray();
                    thumbnailOf_.remove(file);
                    textOf_.remove(file);
                }
            });
}

void PinRows::SetSearch(const QString& text) {
    search_ = text.trimmed();
    invalidateRowsFilter();
}

void PinRows::SetBoard(const QString& board) {
    board_ = board;
    invalidateRowsFilter();
}

void PinRows::SetRemovedOnly(bool removedOnly) {
    removedOnly_ = removedOnly;
    invalidateRowsFilter();
}

void PinRows::SetTextLookup(TextLookup lookup) {
    textLookup_ = std::move(lookup);
    textOf_.clear();
    invalidateRowsFilter();
}

void PinRows::ForgetText(const QByteArray& file) {
    textOf_.remove(file);
    if (!search_.isEmpty()) invalidateRowsFilter();
}

const QString& PinRows::TextOf(const QByteArray& file) const {
    auto known = textOf_.find(file);
    if (known == textOf_.end()) {
        known =
            textOf_.insert(file, textLookup_ ? textLookup_(platform::FilePath(file)) : QString());
    }
    return *known;
}

bool PinRows::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const QModelIndex row = model_.index(sourceRow);
    if (removedOnly_ &&
        row.data(pin_list::PinListModel::StateRole).toInt() != int(pin_list::PinState::Removed)) {
        return false;
    }
    if (!board_.isEmpty() && row.data(pin_list::PinListModel::BoardRole).toString() != board_) {
        return false;
    }
    if (search_.isEmpty()) return true;
    const auto matches = [this](const QString& text) {
        return text.contains(search_, Qt::CaseInsensitive);
    };
    return matches(row.data(Qt::DisplayRole).toString()) ||
           matches(row.data(pin_list::PinListModel::FolderRole).toString()) ||
           matches(TextOf(row.data(pin_list::PinListModel::FileRole).toByteArray()));
}

QVariant PinRows::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole) return Thumbnail(index);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return QSortFilterProxyModel::data(index, role);
    }
    if (role == Qt::ToolTipRole) return index.data(pin_list::PinListModel::PathRole);
    const QRectF twips = index.data(pin_list::PinListModel::GeometryRole).toRectF();
    const auto state = pin_list::PinState(index.data(pin_list::PinListModel::StateRole).toInt());
    const QString size = QStringLiteral("%1 × %2")
                             .arg(platform::TwipsToPixels(float(twips.width())))
                             .arg(platform::TwipsToPixels(float(twips.height())));
    QString stateText = StateText(state);
    if (state == pin_list::PinState::Removed) {
        // When, as the user's locale writes a date and time.
        const QDateTime at = index.data(pin_list::PinListModel::RemovedAtRole).toDateTime();
        stateText += u' ' + QLocale().toString(at.toLocalTime(), QLocale::ShortFormat);
    }
    return QStringLiteral("%1\n%2\n%3  %4  %5")
        .arg(QSortFilterProxyModel::data(index, Qt::DisplayRole).toString(),
             index.data(pin_list::PinListModel::FolderRole).toString(), size, stateText,
             pin_list::BoardTitle(index.data(pin_list::PinListModel::BoardRole).toString()));
}

void PinRows::SetMarks(marks::MarksStore* marks) {
    if (marks_) marks_->disconnect(this);
    marks_ = marks;
    shownOf_.clear();
    if (!marks_) return;
    connect(marks_, &marks::MarksStore::changed, this, [this](const QString& key) {
        shownOf_.removeIf([&key](const auto& row) { return row.value().marks == key; });
        for (int row = 0; row < rowCount(); ++row) {
            const QModelIndex shown = index(row, 0);
            if (shown.data(pin_list::PinListModel::MarksRole).toString() == key) {
                emit dataChanged(shown, shown, {Qt::DecorationRole});
            }
        }
    });
}

QPixmap PinRows::Thumbnail(const QModelIndex& index) const {
    const QByteArray file = index.data(pin_list::PinListModel::FileRole).toByteArray();
    const QImage& thumbnail = FileThumbnail(file);
    const QString key = index.data(pin_list::PinListModel::MarksRole).toString();
    const auto transform =
        index.data(pin_list::PinListModel::TransformRole).value<platform::PictureTransform>();
    if ((key.isEmpty() && transform.IsIdentity()) || thumbnail.isNull()) {
        return QPixmap::fromImage(thumbnail);
    }
    const auto known = shownOf_.constFind(file);
    if (known != shownOf_.cend() && known->thumbnail == thumbnail.cacheKey() &&
        known->transform == transform && known->marks == key) {
        return known->pixmap;
    }
    QPixmap shown = Shown(thumbnail, transform, key);
    shownOf_.insert(file, {thumbnail.cacheKey(), transform, key, shown});
    return shown;
}

QPixmap PinRows::Shown(const QImage& thumbnail, const platform::PictureTransform& transform,
                       const QString& key) const {
    // Turned and cut as the pin shows it, in the row's square.
    const QSize upright = NaturalSizeOf(thumbnail).toSize();
    const QSizeF natural = platform::ShownSize(transform, upright);
    QImage pixels = platform::TransformedPixels(thumbnail, upright, transform)
                        .scaled(natural.toSize().scaled(kThumbnailPixels, kThumbnailPixels,
                                                        Qt::KeepAspectRatio),
                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const marks::MarkSet* set = marks_ && !key.isEmpty() ? marks_->Of(key) : nullptr;
    if (set && !set->IsEmpty()) {
        // Drawn as the pin draws them, in the picture's own pixels scaled to the row's.
        const QImage under = pixels;
        QPainter painter(&pixels);
        painter.scale(pixels.width() / natural.width(), pixels.height() / natural.height());
        marks::CoverCache covers;
        marks::PaintMarks(painter, set->Marks(), marks::Canvas{under, natural}, covers);
    }
    return QPixmap::fromImage(pixels);
}

const QImage& PinRows::FileThumbnail(const QByteArray& file) const {
    static const QImage none;
    const auto known = thumbnailOf_.constFind(file);
    if (known != thumbnailOf_.cend()) return *known;
    if (!thumbnails_) return none;
    const platform::PictureLoad load = platform::LoadCachedPicture(
        platform::FilePath(file), {kThumbnailPixels, kThumbnailPixels}, *thumbnails_);
    if (!load) {
        DecodeThumbnail(file);
        return none;
    }
    return *thumbnailOf_.insert(file, RowPicture(*load.picture));
}

void PinRows::DecodeThumbnail(const QByteArray& file) const {
    if (decoding_.contains(file)) return;
    decoding_.insert(file);
    auto* watcher = new QFutureWatcher<QImage>(const_cast<PinRows*>(this));
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, file] {
        watcher->deleteLater();
        const_cast<PinRows*>(this)->ThumbnailArrived(file, watcher->result());
    });
    // The decode writes the thumbnail for the next time, as the restore's do.
    watcher->setFuture(QtConcurrent::run([file, cache = thumbnails_] {
        const platform::PictureLoad load = platform::LoadPicture(
            platform::FilePath(file), {kThumbnailPixels, kThumbnailPixels}, cache);
        return load ? RowPicture(*load.picture) : QImage();
    }));
}

void PinRows::ThumbnailArrived(const QByteArray& file, const QImage& image) {
    decoding_.remove(file);
    // Kept even when empty: a file that is no picture is not decoded again and again.
    thumbnailOf_.insert(file, image);
    for (int row = 0; row < model_.rowCount(); ++row) {
        const QModelIndex index = model_.index(row);
        if (index.data(pin_list::PinListModel::FileRole).toByteArray() != file) continue;
        const QModelIndex shown = mapFromSource(index);
        if (shown.isValid()) emit dataChanged(shown, shown, {Qt::DecorationRole});
    }
}

}  // namespace pin_list_window
