#pragma once

#include <QString>
#include <QWidget>

class QPainter;

#include "platform/core/file_path.h"
#include "platform/core/twips.h"
#include "platform/pictures/picture.h"

// Controls placed on a window's client area, with Left, Top, Width and Height in twips.
namespace platform {

// The geometry every control shares; values are kept in whole pixels, as the window platform
// rounds them, and read back in twips.
class TwipsGeometry : public TwipsSides<TwipsGeometry> {
public:
    explicit TwipsGeometry(QWidget* widget) : widget_(widget) {}

private:
    friend class TwipsSides<TwipsGeometry>;
    QRect TwipsPixels() const { return widget_->geometry(); }
    void SetTwipsPixels(const QRect& rect, bool) { widget_->setGeometry(rect); }
    static int SizePixels(float twips) { return ControlPixels(twips); }

    QWidget* widget_;
};

// An image control with Stretch on: its picture is drawn scaled to the control's own size.
class ImageBox : public QWidget, public TwipsGeometry {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent);

    void SetPicture(Picture picture);
    const Picture& GetPicture() const { return picture_; }
    bool Visible() const { return !isHidden(); }

    // Keeps the picture's detail up to this many device pixels even while it is shown smaller,
    // so that a window the user is widening stays sharp without reading the file again.
    void KeepDetailUpTo(QSize devicePixels) { detailBound_ = devicePixels; }
    // The size, in device pixels, at which a picture for this control is best decoded.
    QSize DecodeTarget() const;
    // The same for the control sized to `logical` pixels.
    QSize DecodeTargetAt(QSize logical) const;
    // Draws the picture stretched over `target`, in the painter's logical pixels. The control
    // paints itself this way, and a window drawn on screen draws it this way for it.
    void Draw(QPainter& painter, const QRect& target) const;

signals:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    // In a window drawn on screen Qt asks for a paint engine of its own, which it does not have.
    QPaintEngine* paintEngine() const override { return nullptr; }
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Picture picture_;
    QSize detailBound_;
};

// The device pixels at which a picture shown at `logical` pixels is best decoded, with detail
// kept up to `detailBound` device pixels (empty: as shown).
QSize DecodeTargetFor(QSize logical, qreal devicePixelRatio, QSize detailBound = {});

// Loads the file at the size the control will show it, through the thumbnail cache when given.
PictureLoad LoadPictureFor(const ImageBox& box, const FilePath& path,
                           ThumbnailCache* thumbnails = nullptr);

}  // namespace platform
