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
    return {dpr,
            1280,
            800,
            Qt::white,
            Qt::black,
            QFont(QStringLiteral("DejaVu Sans"), 12),
            QFont(QStringLiteral("DejaVu Sans Mono"), 12)};
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
    // Text as UTF-8, a page as HTML. The kept text is the bytes given unless named; what
    // recognition reads back, blanks aside, is checked where given (only Japanese and English
    // are recognised).
    const struct {
        const char* name;
        QByteArray bytes;
        std::optional<Kind> kind;
        const char *readAs, *kept = nullptr;
        double maxErrorRate = 0.15;
    } rows[] = {
        {"Japanese", "東京都千代田区丸の内", Kind::Text, "東京都千代田区丸の内"},
        {"English", "Pinned notes stay on top\nwhile you type.", Kind::Text,
         "Pinned notes stay on top while you type."},
        {"Arabic", "مرحبا بالعالم", Kind::Text, nullptr},
        {"tabs", "name\tsize\nfile\t42", Kind::Text, "name size file 42"},
        {"code", "int main() {\n    return 0;\n}", Kind::Text, "int main() { return 0; }"},
        {"page with a table", table.toUtf8(), Kind::Page, "Name Price Apples 120 Fresh fruit",
         "Name\nPrice\nApples\n120\n\nFresh fruit"},
        {"#RGB", "#f80", Kind::Colour, nullptr},
        {"#RRGGBB", " #FF8800\n", Kind::Colour, nullptr},
        {"rgb()", "rgb(255, 136, 0)", Kind::Colour, nullptr},
        {"hsl()", "hsl(32 100% 50%)", Kind::Colour, nullptr},
        {"empty text", "", std::nullopt, nullptr},
        {"blank text", " \n\t", std::nullopt, nullptr},
        {"not a colour", "#ff88001", Kind::Text, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ClipboardText> content = TextOfClipboard(
            Holding(row.kind == Kind::Page ? QStringLiteral("text/html")
                                           : QStringLiteral("text/plain;charset=utf-8"),
                    row.bytes)
                .get());
        ASSERT_EQ(content.has_value(), row.kind.has_value());
        if (!content) continue;
        EXPECT_EQ(content->kind, *row.kind);
        const TextPicture drawn = Draw(*content, TestLook());
        EXPECT_EQ(drawn.text, QString::fromUtf8(row.kept ? QByteArray(row.kept) : row.bytes));
        EXPECT_FALSE(drawn.words.empty());
        // A line of about 80 characters and a margin; never beyond one screen.
        EXPECT_LE(drawn.picture.width(), 1000);
        EXPECT_LE(drawn.picture.height(), 800);
        if (content->kind == Kind::Colour) {
            EXPECT_EQ(drawn.picture.pixelColor(40, 40), QColor(255, 136, 0));
        }
        if (!row.readAs) continue;
        const std::optional<QString> read = ReadBack(engine, drawn.picture);
        if (!read) continue;
        EXPECT_LE(test_support::CharacterErrorRate(QString::fromUtf8(row.readAs), *read),
                  row.maxErrorRate)
            << read->toStdString();
    }
}

TEST(PastedTextTest, ColourTextAloneIsAColour) {
    const struct {
        const char* text;
        std::optional<QColor> colour;
    } rows[] = {
        {"#0af", QColor(0, 0xaa, 0xff)},          {"rgb(0,170,255)", QColor(0, 170, 255)},
        {"rgb(0%, 100%, 0%)", QColor(0, 255, 0)}, {"hsl(120, 100%, 50%)", QColor(0, 255, 0)},
        {"rgb(256, 0, 0)", std::nullopt},         {"hsl(120, 100, 50)", std::nullopt},
        {"the colour #fff", std::nullopt},
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
    QString huge;
    while (huge.size() < 10 * 1024 * 1024) huge += QStringLiteral("0123456789 abcdefghij ");
    const ClipboardText text{Kind::Text, huge, {}, {}};
    const TextPicture drawn = Draw(text, TestLook());
    EXPECT_TRUE(drawn.cut);
    EXPECT_LE(drawn.picture.height(), 800);
    EXPECT_GT(drawn.picture.height(), 600);
    EXPECT_TRUE(drawn.text == huge);
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
    const TextPicture drawn = Draw({Kind::Page, {}, page, {}}, TestLook());
    QStringList refused;
    for (const QUrl& url : drawn.refused) refused.append(url.scheme());
    refused.removeDuplicates();
    refused.sort();
    EXPECT_EQ(refused, QStringList({"file", "http"}));
    // The carried picture is drawn, scaled to 20 pixels.
    const QImage rgb = drawn.picture.convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constBits());
    EXPECT_NE(std::find(pixels, pixels + rgb.sizeInBytes() / 4, qRgb(255, 0, 0)),
              pixels + rgb.sizeInBytes() / 4);
}

}  // namespace
}  // namespace pasted_text
