#include <gtest/gtest.h>

#include <QString>
#include <cmath>

#include "platform/core/number_text.h"
#include "platform/core/twips.h"

namespace {

struct DoubleCase {
    double value;
    const char* text;
};

// Run again under de_DE.UTF-8 (platform_core_test_de_DE): the locale's decimal comma must change
// nothing.
TEST(NumberText, DoublePrecisionWritesFifteenDigitsThenTheExponentForm) {
    const DoubleCase cases[] = {
        {1200, "1200"},
        {-300, "-300"},
        {1200.5, "1200.5"},
        {1200.50, "1200.5"},
        {1e15, "1E+15"},
        {1.5e-5, "1.5E-05"},
        {-0.0, "0"},
        {0, "0"},
        {0.1, "0.1"},
        {1e7, "10000000"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {-2250, "-2250"},
        {1e100, "1E+100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::NumberText(c.value), QString::fromLatin1(c.text)) << c.value;
    }
}

TEST(NumberText, SinglePrecisionKeepsSevenDigits) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {1200.0f, "1200"}, {-300.0f, "-300"}, {1e7f, "1E+07"},         {1333.3334f, "1333.333"},
        {-0.0f, "0"},      {2250.0f, "2250"}, {1234567.0f, "1234567"}, {0.1f, "0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::NumberText(c.value), QString::fromLatin1(c.text)) << c.value;
    }
}

TEST(Twips, SixteenBitConversionRoundsHalvesToEvenAndRefusesOverflow) {
    const struct {
        double value;
        std::optional<std::int16_t> expected;
    } cases[] = {
        {2.5, 2},
        {3.5, 4},
        {-2.5, -2},
        {4500.4, 4500},
        {4500.6, 4501},
        {32767, 32767},
        {32767.4, 32767},
        {32767.5, std::nullopt},
        {-32768, -32768},
        {-32768.5, -32768},
        {-32769, std::nullopt},
        {1e30, std::nullopt},
        {NAN, std::nullopt},
        {INFINITY, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ToInteger16(c.value), c.expected) << c.value;
    }
}

TEST(Twips, PixelsAreFifteenTwips) {
    EXPECT_EQ(platform::TwipsToPixels(4500), 300);
    EXPECT_EQ(platform::TwipsToPixels(-450), -30);
    EXPECT_EQ(platform::TwipsToPixels(7.5), 0);  // half a pixel: to even
    EXPECT_EQ(platform::TwipsToPixels(22.5), 2);
    EXPECT_EQ(platform::TwipsToPixels(1e30), INT_MAX);
    EXPECT_EQ(platform::TwipsToPixels(NAN), 0);
    EXPECT_EQ(platform::PixelsToTwips(-30), -450.0f);
}

}  // namespace
