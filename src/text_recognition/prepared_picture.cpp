#include "text_recognition/prepared_picture.h"

#include <leptonica/allheaders.h>

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace text_recognition {
namespace {

// The engine reads capitals best at 20 to 50 px high, and a picture enlarged past that only
// costs time: small text is brought near this height, and never below the lowest.
constexpr int kTargetHeight = 24;
constexpr int kLowestHeight = 20;
// Whole factors only: at a fraction, the smoothing between pixels falls differently on each
// stroke, and the engine misreads some characters that it reads at the whole factors on either
// side (14 px Noto Sans CJK JP at 1.85x: "コピビー" for "コピー", right at 2x; 11 px IPAGothic
// at 3.1x: two lines of three lost, right at 3x).
// Past this the strokes of a few-pixel glyph are only blurred wider.
constexpr int kMaxEnlargement = 4;
// The engine keeps about four bytes a pixel of a picture while it reads it (its grey copy, its
// thresholded one and their halves): 32 megapixels hold a 4K screen of 13 px text at 1.7x and
// keep the engine below 150 MB.
constexpr double kMaxPreparedPixels = 32.0 * 1024 * 1024;
// Parts of ink that count for the height: fewer tell nothing, and parts taller than this share
// of the picture are frames and pictures, not letters.
constexpr size_t kMinParts = 8;
constexpr int kMinPartHeight = 3;
constexpr int kMaxPartShare = 3;
// The height is that of the tall letters: capitals, ascenders and kanji, while most Latin parts
// are lower-case letters and many kanji fall apart into lower radicals.
constexpr double kTallShare = 0.8;

struct Grey {
    QImage image;    // Grayscale8
    int background;  // the commonest value: the paper
    int edge;        // the commonest value of the outermost pixels
};

int Commonest(const std::array<int, 256>& counts) {
    return int(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

// The picture in grey over white paper where it is transparent, as the command line reads it.
Grey GreyOf(const QImage& picture) {
    QImage image;
    if (picture.hasAlphaChannel()) {
        QImage opaque(picture.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
        painter.end();
        image = opaque.convertToFormat(QImage::Format_Grayscale8);
    } else {
        image = picture.convertToFormat(QImage::Format_Grayscale8);
    }
    std::array<int, 256> all{};
    std::array<int, 256> border{};
    const int last = image.height() - 1;
    for (int y = 0; y <= last; ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) ++all[row[x]];
        if (y == 0 || y == last) {
            for (int x = 0; x < image.width(); ++x) ++border[row[x]];
        } else if (image.width() > 0) {
            ++border[row[0]];
            ++border[row[image.width() - 1]];
        }
    }
    return {image, Commonest(all), Commonest(border)};
}

using PixPointer = std::unique_ptr<Pix, void (*)(Pix*)>;

void Destroy(Pix* pix) {
    pixDestroy(&pix);
}

// An 8-bit Pix of the grey picture. Leptonica keeps pixels in 32-bit words, the leftmost in the
// highest byte, so rows copied byte by byte on a little-endian machine are swapped afterwards.
PixPointer PixOf(const QImage& grey) {
    PixPointer pix(pixCreate(grey.width(), grey.height(), 8), Destroy);
    if (!pix) return pix;
    auto* data = reinterpret_cast<uchar*>(pixGetData(pix.get()));
    const size_t stride = size_t(pixGetWpl(pix.get())) * 4;
    for (int y = 0; y < grey.height(); ++y) {
        std::memcpy(data + size_t(y) * stride, grey.constScanLine(y), size_t(grey.width()));
    }
    pixEndianByteSwap(pix.get());
    return pix;
}

// The text height of dark text on light paper of value `paper`.
std::optional<int> TextHeightOfDark(Pix* pix, int paper) {
    // Ink is what lies nearer black than the paper: half the way down, which keeps the cores of
    // small smoothed strokes and leaves their grey fringes.
    PixPointer ink(pixThresholdToBinary(pix, std::max(paper / 2, 1)), Destroy);
    if (!ink) return std::nullopt;
    BOXA* parts = pixConnCompBB(ink.get(), 8);
    if (!parts) return std::nullopt;
    std::vector<int> heights;
    const int tallest = pixGetHeight(pix) / kMaxPartShare;
    for (int i = 0; i < boxaGetCount(parts); ++i) {
        l_int32 x = 0, y = 0, w = 0, h = 0;
        if (boxaGetBoxGeometry(parts, i, &x, &y, &w, &h) == 0 && h >= kMinPartHeight &&
            h <= tallest) {
            heights.push_back(h);
        }
    }
    boxaDestroy(&parts);
    if (heights.size() < kMinParts) return std::nullopt;
    const auto tall = heights.begin() + qsizetype(double(heights.size() - 1) * kTallShare);
    std::nth_element(heights.begin(), tall, heights.end());
    return *tall;
}

}  // namespace

int EnlargementFor(int textHeight, QSize size) {
    if (textHeight <= 0 || textHeight >= kLowestHeight || size.isEmpty()) return 1;
    const int nearest = int(std::lround(double(kTargetHeight) / textHeight));
    const int lowest = (kLowestHeight + textHeight - 1) / textHeight;
    const int wanted = std::min(std::max(nearest, lowest), kMaxEnlargement);
    const double room = std::sqrt(kMaxPreparedPixels / (double(size.width()) * size.height()));
    return std::max(1, std::min(wanted, int(room)));
}

std::optional<int> TextHeightOf(const QImage& picture) {
    if (picture.isNull()) return std::nullopt;
    const Grey grey = GreyOf(picture);
    PixPointer pix = PixOf(grey.image);
    if (!pix) return std::nullopt;
    int paper = grey.background;
    if (paper < 128) {
        pixInvert(pix.get(), pix.get());
        paper = 255 - paper;
    }
    return TextHeightOfDark(pix.get(), paper);
}

void PreparedPicture::PixFree::operator()(Pix* pix) const {
    Destroy(pix);
}

PreparedPicture::PreparedPicture(const QImage& picture) : size_(picture.size()) {
    if (picture.isNull()) return;
    const Grey grey = GreyOf(picture);
    PixPointer pix = PixOf(grey.image);
    if (!pix) return;
    int paper = grey.background;
    int edge = grey.edge;
    // Light text on dark paper is turned into dark on light: the engine's own trial of inverted
    // lines only goes to lines it read badly, and reads dark paper as a blotch.
    if (paper < 128) {
        pixInvert(pix.get(), pix.get());
        paper = 255 - paper;
        edge = 255 - edge;
        inverted_ = true;
    }
    if (const std::optional<int> height = TextHeightOfDark(pix.get(), paper)) {
        scale_ = EnlargementFor(*height, size_);
    }
    if (scale_ > 1) {
        PixPointer enlarged(pixScaleGrayLI(pix.get(), float(scale_), float(scale_)), Destroy);
        if (enlarged) {
            pix = std::move(enlarged);
        } else {
            scale_ = 1;
        }
    }
    // The engine drops text that touches the picture's edge, as a crop tight around its text
    // does: a margin of the edge's own colour, one enlarged text height wide.
    margin_ = kTargetHeight;
    prepared_.reset(
        pixAddBorderGeneral(pix.get(), margin_, margin_, margin_, margin_, l_uint32(edge)));
    if (!prepared_) {
        margin_ = 0;
        prepared_.reset(pix.release());
    }
}

PreparedPicture::~PreparedPicture() = default;

QRect PreparedPicture::ToPicture(const QRect& box) const {
    const auto back = [&](int v, int limit) {
        return std::clamp(int(std::floor(double(v - margin_) / scale_)), 0, limit);
    };
    const auto backEnd = [&](int v, int limit) {
        return std::clamp(int(std::ceil(double(v - margin_) / scale_)), 0, limit);
    };
    const int left = back(box.left(), size_.width() - 1);
    const int top = back(box.top(), size_.height() - 1);
    const int right = std::max(left, backEnd(box.left() + box.width(), size_.width()) - 1);
    const int bottom = std::max(top, backEnd(box.top() + box.height(), size_.height()) - 1);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace text_recognition
