#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <utility>

// Pictures and files that tests, benchmarks and fuzzing seeds write for themselves: the one
// place where JPEG, EXIF and GIF files are made.
namespace test_support {

// ---- Pictures as bytes

QImage Filled(QSize size, QColor color);
// A picture in which every small block has its own colour, so that a copy shifted by any
// number of pixels is told apart from the original.
QImage PatternImage(QSize size);
// The picture as a baseline JPEG file.
QByteArray JpegBytes(const QImage& image, int quality = 95);

// An EXIF block as cameras write it: the main picture's directory with the orientation, and a
// second directory with the JPEG thumbnail, which follows at the end of the block.
struct Exif {
    std::optional<int> orientation;  // the orientation tag, when set
    QByteArray thumbnail;            // a JPEG file; no second directory when empty
    bool bigEndian = true;           // the TIFF byte order
};
// Where fields of a built segment lie, counted from its first byte (the FF of its marker), so
// that tests can damage them. Values are stored in the block's byte order.
struct ExifLayout {
    qsizetype tiff = 0;                    // the TIFF header ("MM" or "II")
    qsizetype secondDirectoryPointer = 0;  // 4 bytes
    qsizetype thumbnailOffset = 0;         // 4 bytes, the thumbnail offset tag's value
    qsizetype thumbnailLength = 0;         // 4 bytes, the thumbnail length tag's value
    qsizetype thumbnail = 0;               // the thumbnail's first byte
};
// The "Exif" APP1 segment, marker and length included.
QByteArray ExifSegment(const Exif& exif, ExifLayout* layout = nullptr);
// Where InsertSegment puts a segment: right after the start-of-image marker, as cameras do.
inline constexpr qsizetype kSegmentAt = 2;
QByteArray InsertSegment(QByteArray jpeg, const QByteArray& segment);
// A JPEG of the picture with an EXIF block (the orientation and, when not null, the thumbnail).
QByteArray JpegWithExif(const QImage& picture, std::optional<int> orientation,
                        const QImage& thumbnail = {});

// A GIF of up to four colours; `indexAt` gives each pixel's palette index.
QByteArray GifBytes(QSize size, const QList<QRgb>& palette,
                    const std::function<int(int x, int y)>& indexAt);
// An animated GIF of `frames` frames that loops for ever, each frame shown for `delayCs`
// hundredths of a second and drawn whole; `indexAt` gives each pixel's palette index.
QByteArray AnimatedGifBytes(QSize size, const QList<QRgb>& palette, int frames, int delayCs,
                            const std::function<int(int frame, int x, int y)>& indexAt);
// A 2 x 1 GIF: one red, one blue pixel.
QByteArray TinyGif();
// A GIF whose screen and frame claim width x height but which holds almost no data.
QByteArray GifClaiming(int width, int height);

// ---- Files

bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// One record of the data file: the geometry texts in 14-column print zones, then the path as
// raw bytes, each line ended by CR LF.
QByteArray DataRecord(const QStringList& geometry, const QByteArray& rawPath);
// Renames a file to a name given as raw bytes, which need not be UTF-8 (QFile cannot make one).
void RenameToRawName(const QString& path, const QByteArray& rawPath);

bool WriteJpeg(const QString& path, const QImage& image, int quality = 95);
// A JPEG of the given size filled with `color`, with an EXIF orientation when it is above 0.
bool WriteJpeg(const QString& path, QSize size, QColor color = Qt::red, int exifOrientation = 0);
// A JPEG with an EXIF block holding this orientation and a JPEG thumbnail of its own size and
// colour, so that a test can tell which of the two was decoded.
bool WriteJpegWithThumbnail(const QString& path, QSize size, QColor color, QSize thumbnailSize,
                            QColor thumbnailColor, int exifOrientation = 1);
bool WriteJpegWithThumbnail(const QString& path, const QImage& picture, const QImage& thumbnail,
                            int exifOrientation);
// A PNG carrying these text chunks (key, value), as a thumbnail cache holds them.
bool WritePngWithText(const QString& path, const QImage& image,
                      const QList<std::pair<QString, QString>>& text);
bool WriteGif(const QString& path, QSize size, const QList<QRgb>& palette,
              const std::function<int(int x, int y)>& indexAt);

// Makes a temporary folder the current directory for the test's lifetime.
class InTemporaryFolder {
public:
    InTemporaryFolder();
    ~InTemporaryFolder();
    QString Path(const QString& name) const { return dir_.filePath(name); }
    const QTemporaryDir& Dir() const { return dir_; }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Counts the opens of one file, by this program or any other, as the kernel reports them
// (inotify's IN_OPEN): from when it is made until Count() is asked.
class OpenCounter {
public:
    explicit OpenCounter(const QString& path);
    ~OpenCounter();
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;
    int Count();

private:
    int fd_ = -1;
    int count_ = 0;
};

}  // namespace test_support
