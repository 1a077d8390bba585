#include <gtest/gtest.h>

#include "support/text_pictures.h"
#include "text_recognition/prepared_picture.h"

namespace text_recognition {
namespace {

TEST(PreparedPicture, EnlargesSmallTextToReadableCapitalsOnly) {
    const QSize screen(1920, 1080);
    for (int height = 8; height <= 60; ++height) {
        const double factor = EnlargementFor(height, screen);
        if (height < 20) {
            EXPECT_GE(height * factor, 20) << height;
            EXPECT_LE(height * factor, 50) << height;
        } else {
            EXPECT_EQ(factor, 1) << height;  // large text is never shrunk
        }
    }
    // Past the memory limit the enlargement is smaller, and never below none.
    EXPECT_EQ(EnlargementFor(8, screen), 3);
    EXPECT_EQ(EnlargementFor(8, QSize(3840, 2160)), 2);
    EXPECT_EQ(EnlargementFor(10, QSize(20000, 20000)), 1);
    EXPECT_EQ(EnlargementFor(0, screen), 1);
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
        EXPECT_GE(*height, c.px * 0.6) << c.family;
        EXPECT_LE(*height, c.px * 1.05) << c.family;
        const PreparedPicture prepared(picture);
        EXPECT_EQ(prepared.Inverted(), c.dark) << c.family;
        EXPECT_EQ(prepared.Scale(), EnlargementFor(*height, picture.size())) << c.family;
        const int s = prepared.Scale();
        const int m = prepared.Margin();
        EXPECT_EQ(prepared.ToPicture(QRect(m + 10 * s, m + 4 * s, 20 * s, 6 * s)),
                  QRect(10, 4, 20, 6))
            << c.family;
        EXPECT_EQ(prepared.ToPicture(QRect(0, 0, 100'000, 100'000)), picture.rect()) << c.family;
    }
    QImage blank(64, 64, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_FALSE(TextHeightOf(blank));
}

}  // namespace
}  // namespace text_recognition
