#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSet>
#include <QSize>

#include <cmath>

#include "icon/program_icon.h"

namespace {

const QList<QRgb> kClassicPalette = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};
constexpr QRgb kBlack = 0xff000000, kWhite = 0xffffffff, kRed = 0xffff0000, kNavy = 0xff000080;
constexpr QRgb kDarkRed = 0xff800000, kSilver = 0xffc0c0c0, kGrey = 0xff808080;

constexpr QRgb kClear = 0, kBlend = 1;

// What a pixel shows: the icon's colour close to it; kClear where it is mostly see-through, and
// kBlend for a smoothed edge halfway between two colours.
QRgb Seen(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    if (qAlpha(pixel) < 128) return kClear;
    QRgb nearest = kBlend;
    int best = 60 * 60;
    for (QRgb colour : {kBlack, kWhite, kRed, kNavy, kDarkRed, kSilver, kGrey}) {
        const int dr = qRed(pixel) - qRed(colour), dg = qGreen(pixel) - qGreen(colour),
                  db = qBlue(pixel) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best) best = distance, nearest = colour;
    }
    return nearest;
}

// The icon at one size, addressed in pixels of the 32-pixel design.
struct Sized {
    QImage image;
    double scale;

    QRgb At(double x, double y) const {
        return Seen(image, int((x + 0.5) * scale), int((y + 0.5) * scale));
    }
    // How many pixels in the design rectangle [left, right) x [top, bottom) show the colour.
    int Count(double left, double top, double right, double bottom, QRgb colour) const {
        const QRect area(
            QPoint(int(left * scale), int(top * scale)),
            QPoint(int(std::ceil(right * scale)) - 1, int(std::ceil(bottom * scale)) - 1));
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (Seen(image, x, y) == colour) ++count;
        return count;
    }
    // A pixel count of the design, as many pixels at this size.
    double Area(double designPixels) const { return designPixels * scale * scale; }
};

class ProgramIconAtSize : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        icon = {icon::ProgramIconImage(GetParam()), GetParam() / 32.0};
        ASSERT_EQ(icon.image.size(), QSize(GetParam(), GetParam()));
    }
    Sized icon;
};

TEST_P(ProgramIconAtSize, ShowsAWhiteSheetOnClearGround) {
    EXPECT_GT(icon.Count(0, 0, 32, 32, kWhite), icon.Area(300));
    // The middle of the sheet, between the two lines of the name, is plain paper.
    EXPECT_EQ(icon.At(15, 15), kWhite);
    EXPECT_EQ(icon.At(20, 26), kWhite);
    // Outside the sheet the icon is see-through.
    EXPECT_EQ(icon.At(0, 31), kClear);
    EXPECT_EQ(icon.At(31, 0), kClear);
}

TEST_P(ProgramIconAtSize, HasRedPinsAtBothTopCorners) {
    for (const double left : {0.0, 22.0}) {
        const int lit = icon.Count(left, 0, left + 10, 9, kRed);
        const int shaded = icon.Count(left, 0, left + 10, 9, kDarkRed);
        EXPECT_GE(lit, icon.Area(8)) << "pin at " << left;
        // The shade is a detail the smallest size has no room for.
        if (GetParam() >= 24) {
            EXPECT_GE(shaded, 1) << "pin at " << left;
        }
    }
    // Nothing red along the middle of the top edge.
    EXPECT_EQ(icon.Count(11, 0, 21, 7, kRed), 0);
}

TEST_P(ProgramIconAtSize, HasAFoldedLowerRightCorner) {
    const int flap = icon.Count(20, 22, 32, 32, kSilver) + icon.Count(20, 22, 32, 32, kGrey);
    EXPECT_GE(flap, icon.Area(8));
    EXPECT_EQ(icon.Count(0, 22, 13, 32, kSilver), 0);
    // The corner itself is folded away.
    EXPECT_NE(icon.At(27, 29), kWhite);
}

TEST_P(ProgramIconAtSize, CarriesTheNameInDarkBlueOverRed) {
    EXPECT_GT(icon.Count(4, 7, 28, 16, kNavy), icon.Area(6));
    EXPECT_GT(icon.Count(4, 16, 28, 25, kRed), icon.Area(6));
    EXPECT_EQ(icon.Count(0, 16, 32, 32, kNavy), 0);
}

TEST_P(ProgramIconAtSize, IsTheSameEveryTime) {
    EXPECT_EQ(icon::ProgramIconImage(GetParam()), icon.image);
}

// The sizes the icon is installed in.
INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconAtSize, ::testing::Values(16, 24, 32, 48, 64, 128, 256),
                         [](const auto& info) { return std::to_string(info.param) + "px"; });

TEST(ProgramIcon, IsDrawnAtThirtyTwoInSixteenColours) {
    const QImage image = icon::ProgramIconImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image, icon::ProgramIconImage(32));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_LE(image.colorCount(), 16);

    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) colours.insert(image.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    for (QRgb colour : colours) {
        if (qAlpha(colour) != 0) {
            EXPECT_TRUE(kClassicPalette.contains(colour)) << std::hex << colour;
        }
    }
}

TEST(ProgramIcon, NoImageForNoSize) {
    EXPECT_TRUE(icon::ProgramIconImage(0).isNull());
    EXPECT_TRUE(icon::ProgramIconImage(-16).isNull());
}

TEST(ProgramIcon, OffersSmallAndLargeSizesWithTheDesignAtThirtyTwo) {
    const QIcon icon = icon::ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(64, 64)));
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32),
              icon::ProgramIconImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(icon.pixmap(QSize(64, 64)).toImage().convertToFormat(QImage::Format_ARGB32),
              icon::ProgramIconImage(64).convertToFormat(QImage::Format_ARGB32));
}

}  // namespace
