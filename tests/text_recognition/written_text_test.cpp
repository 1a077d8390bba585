#include <gtest/gtest.h>

#include "text_recognition/written_text.h"

namespace text_recognition {
namespace {

// Words of one line 20 px high, each starting where the one before ends plus `gap` px.
Words Line(std::initializer_list<std::pair<const char*, int>> words) {
    Words line;
    int x = 0;
    for (const auto& [text, gap] : words) {
        const int width = int(QString::fromUtf8(text).size()) * 10;
        line.push_back({QString::fromUtf8(text), QRect(x + gap, 0, width, 20), 0});
        x += gap + width;
    }
    return line;
}

TEST(WrittenText, WritesBlanksAsAPersonDoes) {
    const struct {
        Words words;
        const char* text;
        size_t runs;
    } cases[] = {
        {Line({{"日", 0}, {"本", 2}, {"語", 2}}), "日本語", 1},
        {Line({{"設定", 0}, {"。", 9}, {"「次", 2}, {"」", 2}}), "設定。「次」", 1},
        {Line({{"Hello", 0}, {"world", 6}}), "Hello world", 2},
        {Line({{"Vellora", 0}, {"で", 6}, {"選択", 1}}), "Vellora で選択", 2},
        {Line({{"Vellora", 0}, {"で", 1}, {"選択", 1}}), "Velloraで選択", 1},
        {Line({{"画面", 0}, {"OCR", 2}, {"テスト", 7}}), "画面OCR テスト", 2},
        {Line({{"https:", 0}, {"//example.com", 6}}), "https://example.com", 1},
    };
    for (const auto& c : cases) {
        const Words written = Written(c.words);
        EXPECT_EQ(TextOf(written), QString::fromUtf8(c.text)) << c.text;
        EXPECT_EQ(written.size(), c.runs) << c.text;
        EXPECT_EQ(written.back().box.right(), c.words.back().box.right()) << c.text;
    }
    // Lines stay lines, however close their words stand.
    EXPECT_EQ(TextOf(Written({{"上", QRect(0, 0, 10, 10), 0}, {"下", QRect(0, 12, 10, 10), 1}})),
              QString::fromUtf8("上\n下"));
}

TEST(WrittenText, MendsAddressesOnlyWhereThatIsCertain) {
    const struct {
        const char* read;
        const char* mended;
    } cases[] = {
        {"http: //example.com", "http://example.com"},
        {"https:/ /www.example.org/a,b", "https://www.example.org/a,b"},
        {"https://www,example,co.jp/path", "https://www.example.co.jp/path"},
        {"mail: user.name@mail,example,com", "mail: user.name@mail.example.com"},
        {"見て http://example,com。", "見て http://example.com。"},
        // Left as read: a comma that may end the address, a scheme without its colon.
        {"http://example.com,then", "http://example.com,then"},
        {"http //example.com", "http //example.com"},
        {"http://example.com, http://a.org", "http://example.com, http://a.org"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MendedAddresses(QString::fromUtf8(c.read)), QString::fromUtf8(c.mended))
            << c.read;
    }
}

}  // namespace
}  // namespace text_recognition
