#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

// Pictures and files that tests write for themselves.
namespace test_support {

// Writes a JPEG of the given size, filled with `color`, with an optional EXIF orientation.
void WriteJpeg(const QString& path, QSize size, QColor color = Qt::red, int exifOrientation = 0);

// Writes a JPEG that carries an EXIF block with this orientation and an embedded JPEG thumbnail
// of its own size and colour, so that a test can tell which of the two was decoded.
void WriteJpegWithThumbnail(const QString& path, QSize size, QColor color, QSize thumbnailSize,
                            QColor thumbnailColor, int exifOrientation = 1);
void WriteJpegWithThumbnail(const QString& path, const QImage& picture, const QImage& thumbnail,
                            int exifOrientation);

// A 2 x 1 GIF (one red, one blue pixel) as bytes.
QByteArray TinyGif();
// A GIF whose screen and frame claim width x height but which holds almost no data.
QByteArray GifClaiming(int width, int height);

void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// Renames a file to a name given as raw bytes, which need not be UTF-8 (QFile cannot make one).
void RenameToRawName(const QString& path, const QByteArray& rawPath);

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

}  // namespace test_support
