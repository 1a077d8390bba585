#include <gtest/gtest.h>

#include "text_recognition/recognised_text.h"

namespace text_recognition {
namespace {

// Two lines: "Hello world" above, "日本 語 ok" below.
const Words kWords = {
    {"Hello", QRect(10, 10, 50, 20), 0}, {"world", QRect(70, 10, 50, 20), 0},
    {"日本", QRect(10, 50, 40, 20), 1},  {"語", QRect(55, 50, 20, 20), 1},
    {"ok", QRect(80, 50, 20, 20), 1},
};

TEST(RecognisedText, JoinsWordsAsTheyAreRead) {
    struct Case {
        qsizetype first, last;
        const char* text;
    };
    const Case cases[] = {
        {0, 4, "Hello world\n日本語 ok"},  // no blank between Japanese words
        {1, 2, "world\n日本"},
        {3, 3, "語"},
        {2, 1, ""},
        {3, 99, "語 ok"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextOf(kWords, c.first, c.last), QString::fromUtf8(c.text)) << c.first;
    }
    EXPECT_EQ(CharacterCount(TextOf(kWords)), 15);
}

TEST(RecognisedText, DragSelectsWordsInReadingOrder) {
    struct Case {
        const char* what;
        QPointF from, to;
        WordRange range;
    };
    const Case cases[] = {
        {"within one word", {15, 15}, {20, 15}, {0, 0}},
        {"across a line", {15, 15}, {80, 15}, {0, 1}},
        {"down to the next line", {80, 15}, {60, 55}, {1, 3}},
        {"backwards up", {90, 55}, {15, 15}, {0, 4}},
        {"from a gap in a line", {65, 15}, {85, 55}, {0, 4}},
        {"right of a line's end", {200, 15}, {200, 55}, {1, 4}},
        {"far below everything", {15, 15}, {500, 500}, {0, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DraggedRange(kWords, c.from, c.to), c.range) << c.what;
    }
    EXPECT_TRUE(DraggedRange({}, {0, 0}, {10, 10}).Empty());
}

}  // namespace
}  // namespace text_recognition
