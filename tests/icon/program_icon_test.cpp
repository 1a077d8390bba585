#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QList>
#include <QSet>
#include <QSize>

#include "forms/program_icon.h"

namespace {

const QList<QRgb> kClassicPalette = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};
constexpr QRgb kWhite = 0xffffffff, kRed = 0xffff0000, kNavy = 0xff000080;
constexpr QRgb kSilver = 0xffc0c0c0, kGrey = 0xff808080;

// How many pixels in the rectangle [left, right] x [top, bottom] have the colour.
int Count(const QImage& image, int left, int top, int right, int bottom, QRgb colour) {
    int count = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (image.pixel(x, y) == colour) ++count;
    return count;
}

TEST(ProgramIcon, IsThirtyTwoSquareInSixteenColours) {
    const QImage image = forms::ProgramIconImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
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

TEST(ProgramIcon, ShowsAWhiteSheet) {
    const QImage image = forms::ProgramIconImage();
    EXPECT_GT(Count(image, 0, 0, 31, 31, kWhite), 300);
    // The middle of the sheet, between the two lines of the name, is plain paper.
    EXPECT_EQ(image.pixel(5, 16), kWhite);
    EXPECT_EQ(image.pixel(20, 26), kWhite);
    // Outside the sheet the icon is see-through.
    EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0);
    EXPECT_EQ(qAlpha(image.pixel(31, 0)), 0);
}

TEST(ProgramIcon, HasRedPinsAtBothTopCorners) {
    const QImage image = forms::ProgramIconImage();
    EXPECT_GE(Count(image, 0, 0, 9, 8, kRed), 12);
    EXPECT_GE(Count(image, 22, 0, 31, 8, kRed), 12);
    EXPECT_GE(Count(image, 0, 0, 9, 8, 0xff800000), 1);
    EXPECT_GE(Count(image, 22, 0, 31, 8, 0xff800000), 1);
    // Nothing red along the middle of the top edge.
    EXPECT_EQ(Count(image, 11, 0, 20, 6, kRed), 0);
}

TEST(ProgramIcon, HasAFoldedLowerRightCorner) {
    const QImage image = forms::ProgramIconImage();
    const int flap = Count(image, 20, 22, 31, 31, kSilver) + Count(image, 20, 22, 31, 31, kGrey);
    EXPECT_GE(flap, 12);
    EXPECT_EQ(Count(image, 0, 22, 12, 31, kSilver), 0);
    // The corner itself is folded away.
    EXPECT_NE(image.pixel(27, 29), kWhite);
}

TEST(ProgramIcon, CarriesTheNameInDarkBlueOverRed) {
    const QImage image = forms::ProgramIconImage();
    const int navyTop = Count(image, 4, 7, 27, 15, kNavy);
    const int redBottom = Count(image, 4, 16, 27, 24, kRed);
    EXPECT_GT(navyTop, 15);
    EXPECT_GT(redBottom, 15);
    EXPECT_EQ(Count(image, 0, 16, 31, 31, kNavy), 0);
}

TEST(ProgramIcon, OffersSmallAndLargeSizes) {
    const QIcon icon = forms::ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(64, 64)));
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32),
              forms::ProgramIconImage().convertToFormat(QImage::Format_ARGB32));
}

}  // namespace
