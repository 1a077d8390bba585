#include <gtest/gtest.h>

#include "support/text_pictures.h"
#include "text_recognition/prepared_picture.h"

namespace text_recognition {
namespace {

TEST(PreparedPicture, EnlargesSmallTextToReadableCapitalsOnly) {
    const QSize screen(1920, 1080);
    for (int height = 8; height <= 60; ++height) {
        const int enlarged = height * EnlargementFor(height, screen);
        // Large text is never shrunk.
        EXPECT_TRUE(height < 20 ? enlarged >= 20 && enlarged <= 50 : enlarged == height) << height;
    }
    // Past the memory limit the enlargement is smaller, and never below none.
    EXPECT_EQ(EnlargementFor(8, QSize(3840, 2160)), 2);
    EXPECT_EQ(EnlargementFor(10, QSize(20000, 20000)), 1);
}

TEST(PreparedPicture, MeasuresTextAndMapsBoxesBack) {
    const struct {
        const char* family;
        const char* text;
        int px;
        bool dark;
    } cases[] = {
        {"DejaVu Sans", "Pinned pictures stay on the desktop.", 11, false},
        {"Liberation Sans", "Error 404: the page could not be found.", 16, true},
        {"IPAGothic", "日本語の文字を読み取ります。", 12, true},
        {"Noto Sans CJK JP", "張り付けた画像の文字を選択", 32, false},
    };
    for (const auto& c : cases) {
        QImage picture = test_support::TextPicture({QString::fromUtf8(c.text)}, c.family, c.px);
        if (c.dark) picture.invertPixels();
        const std::optional<int> height = TextHeightOf(picture);
        ASSERT_TRUE(height) << c.family;
        EXPECT_TRUE(*height >= c.px * 0.6 && *height <= c.px * 1.05) << c.family << *height;
        const PreparedPicture prepared(picture);
        EXPECT_EQ(prepared.Inverted(), c.dark) << c.family;
        EXPECT_EQ(prepared.Scale(), EnlargementFor(*height, picture.size())) << c.family;
        const int s = prepared.Scale();
        const int m = prepared.Margin();
        const QRect box(m + 10 * s, m + 4 * s, 20 * s, 6 * s);
        EXPECT_EQ(prepared.ToPicture(box), QRect(10, 4, 20, 6)) << c.family;
        EXPECT_EQ(prepared.ToPicture(QRect(0, 0, 100'000, 100'000)), picture.rect()) << c.family;
    }
    EXPECT_FALSE(TextHeightOf(test_support::TextPicture({}, "IPAGothic", 24, QSize(64, 64))));
}

}  // namespace
}  // namespace text_recognition
