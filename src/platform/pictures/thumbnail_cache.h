#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/core/thumbnail_rules.h"

// The desktop's shared thumbnail cache, read and written as file managers do. It only ever saves
// a decode: what it holds is checked against the file before use, and a cache that cannot be
// read or written changes nothing but the time a picture takes.
namespace platform {

class ThumbnailCache {
public:
    // `root` is the cache's folder, $XDG_CACHE_HOME/thumbnails for the program.
    explicit ThumbnailCache(const QString& root);
    // Waits for the thumbnails still being written.
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // The program's cache folder: $XDG_CACHE_HOME/thumbnails, by default ~/.cache/thumbnails.
    static QString DesktopRoot();

    const QString& Root() const { return root_; }
    // Whether the file may have thumbnails here: an absolute path outside the cache itself.
    bool Serves(const FilePath& path) const;

    // A current thumbnail of the file (at `stamp`), of a picture of `natural` upright pixels,
    // that covers it shown at `shown` device pixels, scaled to exactly `shown`; null when there
    // is none. Safe from any thread.
    QImage Find(const FilePath& path, FileStamp stamp, QSize natural, QSize shown) const;

    struct Checked {
        QSize natural;  // the picture's upright size, as the thumbnail records it
        QImage pixels;  // scaled to what is shown
    };
    // A current thumbnail that this program wrote after it had checked the whole file at
    // `stamp` (a picture that reaches its end), and that records the picture's size: it stands
    // for the file itself, which then need not be read. The picture is shown at `decodeSize`
    // device pixels, as DecodeSizeFor bounds it. Safe from any thread.
    std::optional<Checked> FindChecked(const FilePath& path, FileStamp stamp,
                                       QSize decodeSize) const;

    // Writes `upright` as the file's thumbnail of class `classIndex`, on a thread of the cache's
    // own, unless the same one is already on its way: scaled down there to the class's size
    // when it is larger, and not written at all when it is smaller or not of the picture's
    // shape. `natural` is the picture's upright size. `checkedWhole` says that the caller
    // checked the whole file at `stamp` (it reaches its end): only then can a later load take
    // the thumbnail for the file without reading it. Never waits. Safe from any thread.
    void Store(const FilePath& path, FileStamp stamp, int classIndex, QImage upright, QSize natural,
               bool checkedWhole);

    // Waits until every thumbnail stored so far is written (or given up).
    void Wait();

private:
    struct Writes;
    QString root_;
    QByteArray rootBytes_;
    std::unique_ptr<Writes> writes_;
};

}  // namespace platform
