#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <memory>
#include <optional>

struct Pix;

// The picture as the engine reads it best: small text enlarged, dark text on light, a plain
// margin around it. No windows, no engine: QtGui and Leptonica only.
namespace text_recognition {

// How high the text of a picture stands, in its pixels: the height of its capitals and kanji,
// measured on the ink's connected parts. None when the picture holds too little ink to tell.
std::optional<int> TextHeightOf(const QImage& picture);

// How much a picture of `size` whose text stands `textHeight` px high is enlarged for the
// engine, a whole factor: text lower than 20 px is brought to 20 px or more, near 24 px; taller
// text is left as it is, and the enlarged picture stays within the engine's memory limit
// (never below 1).
int EnlargementFor(int textHeight, QSize size);

class PreparedPicture {
public:
    explicit PreparedPicture(const QImage& picture);
    ~PreparedPicture();
    PreparedPicture(const PreparedPicture&) = delete;
    PreparedPicture& operator=(const PreparedPicture&) = delete;

    // The prepared picture, 8-bit grey, owned here: it is freed with this object.
    Pix* Prepared() const { return prepared_.get(); }
    int Scale() const { return scale_; }
    int Margin() const { return margin_; }
    bool Inverted() const { return inverted_; }
    // A box in the prepared picture's pixels as a box in the picture's own, within it.
    QRect ToPicture(const QRect& box) const;

private:
    struct PixFree {
        void operator()(Pix* pix) const;
    };
    std::unique_ptr<Pix, PixFree> prepared_;
    QSize size_;
    int scale_ = 1;
    int margin_ = 0;
    bool inverted_ = false;
};

}  // namespace text_recognition
