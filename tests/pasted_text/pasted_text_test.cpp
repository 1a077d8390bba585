#include <gtest/gtest.h>

#include <QMimeData>
#include <QTextDocument>

#include "pasted_text/clipboard_text.h"
#include "pasted_text/text_picture.h"
#include "support/text_pictures.h"
#include "text_recognition/tesseract_engine.h"

namespace pasted_text {
namespace {

std::unique_ptr<QMimeData> Holding(const QString& format, const QByteArray& bytes) {
    auto data = std::make_unique<QMimeData>();
    data->setData(format, bytes);
    return data;
}

Look TestLook(qreal dpr = 1) {
    Look look;
    look.devicePixelRatio = dpr;
    look.screenWidth = 1280;
    look.screenHeight = 800;
    look.proportional = QFont(QStringLiteral("DejaVu Sans"), 12);
    look.fixed = QFont(QStringLiteral("DejaVu Sans Mono"), 12);
    return look;
}

// What the engine reads in a picture, or nothing when the language data is missing.
std::optional<QString> ReadBack(text_recognition::TesseractEngine& engine, const QImage& picture) {
    const std::optional<QString> languages =
        text_recognition::LanguagesIn(text_recognition::DefaultDataPath());
    if (!languages) return std::nullopt;
    if (!engine.Loaded() && engine.Load(text_recognition::DefaultDataPath(), *languages)) {
        return std::nullopt;
    }
    return text_recognition::TextOf(engine.Recognise(picture));
}

TEST(PastedTextTest, DrawsWhatTheClipboardHoldsAndKeepsItsText) {
    text_recognition::TesseractEngine engine;
    const QString table = QStringLiteral(
        "<table cellspacing=8><tr><th>Name</th><th>Price</th></tr>"
        "<tr><td>Apples</td><td>120</td></tr></table><ul><li>Fresh fruit</li></ul>");
    const struct {
        const char* name;
        std::unique_ptr<QMimeData> data;
        std::optional<Kind> kind;
        QString kept;
        QString readAs;  // what recognition reads back, blanks aside; empty: not read
        double maxErrorRate;
    } rows[] = {
        {"Japanese", Holding("text/plain;charset=utf-8", "東京都千代田区丸の内"), Kind::Text,
         QStringLiteral("東京都千代田区丸の内"), QStringLiteral("東京都千代田区丸の内"), 0.2},
        {"English", Holding("text/plain", "Pinned notes stay on top\nwhile you type."), Kind::Text,
         QStringLiteral("Pinned notes stay on top\nwhile you type."),
         QStringLiteral("Pinned notes stay on top while you type."), 0.05},
        // Only Japanese and English are recognised: right to left is checked by its kept text.
        {"Arabic",
         Holding("text/plain;charset=utf-8", "مرحبا بالعالم"),
         Kind::Text,
         QStringLiteral("مرحبا بالعالم"),
         {},
         0},
        {"tabs", Holding("text/plain", "name\tsize\nfile\t42"), Kind::Text,
         QStringLiteral("name\tsize\nfile\t42"), QStringLiteral("name size file 42"), 0.1},
        {"code", Holding("text/plain", "int main() {\n    return 0;\n}"), Kind::Text,
         QStringLiteral("int main() {\n    return 0;\n}"),
         QStringLiteral("int main() { return 0; }"), 0.15},
        {"page with a table", Holding("text/html", table.toUtf8()), Kind::Page,
         QStringLiteral("Name\nPrice\nApples\n120\n\nFresh fruit"),
         QStringLiteral("Name Price Apples 120 Fresh fruit"), 0.15},
        {"#RGB", Holding("text/plain", "#f80"), Kind::Colour, QStringLiteral("#f80"), {}, 0},
        {"#RRGGBB",
         Holding("text/plain", " #FF8800\n"),
         Kind::Colour,
         QStringLiteral(" #FF8800\n"),
         {},
         0},
        {"rgb()",
         Holding("text/plain", "rgb(255, 136, 0)"),
         Kind::Colour,
         QStringLiteral("rgb(255, 136, 0)"),
         {},
         0},
        {"hsl()",
         Holding("text/plain", "hsl(32 100% 50%)"),
         Kind::Colour,
         QStringLiteral("hsl(32 100% 50%)"),
         {},
         0},
        {"empty text", Holding("text/plain", ""), std::nullopt, {}, {}, 0},
        {"blank text", Holding("text/plain", " \n\t"), std::nullopt, {}, {}, 0},
        {"not a colour",
         Holding("text/plain", "#ff88001"),
         Kind::Text,
         QStringLiteral("#ff88001"),
         {},
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ClipboardText> content = TextOfClipboard(row.data.get());
        ASSERT_EQ(content.has_value(), row.kind.has_value());
        if (!content) continue;
        EXPECT_EQ(content->kind, *row.kind);
        const TextPicture drawn = Draw(*content, TestLook());
        EXPECT_EQ(drawn.text, row.kept);
        EXPECT_FALSE(drawn.words.empty());
        // A line of about 80 characters and a margin; never beyond one screen.
        EXPECT_GT(drawn.picture.width(), 20);
        EXPECT_LE(drawn.picture.width(), 1000);
        EXPECT_LE(drawn.picture.height(), 800);
        if (content->kind == Kind::Colour) {
            EXPECT_EQ(drawn.picture.pixelColor(40, 40), QColor(255, 136, 0));
        }
        if (row.readAs.isEmpty()) continue;
        const std::optional<QString> read = ReadBack(engine, drawn.picture);
        if (!read) continue;
        EXPECT_LE(test_support::CharacterErrorRate(row.readAs, *read), row.maxErrorRate)
            << read->toStdString();
    }
}

TEST(PastedTextTest, ColourTextAloneIsAColour) {
    const struct {
        const char* text;
        std::optional<QColor> colour;
    } rows[] = {
        {"#0af", QColor(0, 0xaa, 0xff)},
        {"#00AAFF", QColor(0, 0xaa, 0xff)},
        {"rgb(0,170,255)", QColor(0, 170, 255)},
        {"rgb(0%, 100%, 0%)", QColor(0, 255, 0)},
        {"hsl(120, 100%, 50%)", QColor(0, 255, 0)},
        {"rgb(256, 0, 0)", std::nullopt},
        {"hsl(120, 100, 50)", std::nullopt},
        {"#12", std::nullopt},
        {"the colour #fff", std::nullopt},
        {"rgb(1, 2)", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ColourOfText(QString::fromUtf8(row.text)), row.colour) << row.text;
    }
    QMimeData data;
    data.setColorData(QColor(10, 20, 30));
    const std::optional<ClipboardText> content = TextOfClipboard(&data);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind, Kind::Colour);
    EXPECT_EQ(content->colour, QColor(10, 20, 30));
}

TEST(PastedTextTest, CodeIsDrawnInTheFixedFontTextInTheProportionalOne) {
    EXPECT_TRUE(LooksLikeCode(QStringLiteral("a\tb")));
    EXPECT_TRUE(LooksLikeCode(QStringLiteral("x\n    indented")));
    EXPECT_TRUE(LooksLikeCode(QStringLiteral("if (a) { b(); }")));
    EXPECT_FALSE(LooksLikeCode(QStringLiteral("A sentence, and another.\nSecond line.")));
}

TEST(PastedTextTest, DrawsAtTheScreensDevicePixels) {
    const ClipboardText text{Kind::Text, QStringLiteral("Sharp on a fine screen"), {}, {}};
    const TextPicture one = Draw(text, TestLook(1));
    const TextPicture two = Draw(text, TestLook(2));
    EXPECT_NEAR(two.picture.width(), 2 * one.picture.width(), 2);
    EXPECT_NEAR(two.picture.height(), 2 * one.picture.height(), 2);
    ASSERT_EQ(one.words.size(), two.words.size());
    EXPECT_NEAR(two.words[0].box.left(), 2 * one.words[0].box.left(), 2);
}

TEST(PastedTextTest, TenMegabytesStopAtOneScreenAndAreKeptWhole) {
    QString line = QStringLiteral("0123456789 abcdefghij ");
    QString huge;
    huge.reserve(10 * 1024 * 1024);
    while (huge.size() < 10 * 1024 * 1024) huge += line;
    const ClipboardText text{Kind::Text, huge, {}, {}};
    const TextPicture drawn = Draw(text, TestLook());
    EXPECT_TRUE(drawn.cut);
    EXPECT_LE(drawn.picture.height(), 800);
    EXPECT_GT(drawn.picture.height(), 600);
    EXPECT_EQ(drawn.text.size(), huge.size());
    EXPECT_TRUE(drawn.text == huge);
    // Words only where they are drawn.
    for (const auto& word : drawn.words) EXPECT_LT(word.box.bottom(), drawn.picture.height());
}

TEST(PastedTextTest, APageFetchesNothingItDoesNotCarry) {
    // A red pixel carried in the page, and pictures and a style sheet it only names.
    const QString page = QStringLiteral(
        "<html><head><link rel=stylesheet href='http://127.0.0.1:9/style.css'></head>"
        "<body><p>Carried <img src='data:image/png;base64,"
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP4z8AAAAMBAQDJ/"
        "pLvAAAAAElFTkSuQmCC'"
        " width=20 height=20></p><p>Named <img src='http://127.0.0.1:9/x.png'>"
        "<img src='file:///etc/hostname'></p></body></html>");
    const auto data = Holding("text/html", page.toUtf8());
    const std::optional<ClipboardText> content = TextOfClipboard(data.get());
    ASSERT_TRUE(content);
    const TextPicture drawn = Draw(*content, TestLook());
    QStringList refused;
    for (const QUrl& url : drawn.refused) refused.append(url.scheme());
    refused.removeDuplicates();
    refused.sort();
    EXPECT_EQ(refused, QStringList({"file", "http"}));
    // The carried picture is drawn, scaled to 20 pixels.
    bool red = false;
    for (int y = 0; y < drawn.picture.height() && !red; ++y) {
        for (int x = 0; x < drawn.picture.width() && !red; ++x) {
            red = drawn.picture.pixelColor(x, y) == QColor(255, 0, 0);
        }
    }
    EXPECT_TRUE(red);
}

TEST(PastedTextTest, SaysWhatTheClipboardHeld) {
    EXPECT_TRUE(HeldFormats(nullptr).isEmpty());
    const auto data = Holding("application/x-other", "x");
    EXPECT_EQ(HeldFormats(data.get()), QStringList({"application/x-other"}));
    EXPECT_FALSE(TextOfClipboard(data.get()));
}

}  // namespace
}  // namespace pasted_text
