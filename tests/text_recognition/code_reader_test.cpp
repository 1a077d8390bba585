#include <gtest/gtest.h>

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "text_recognition/code_reader.h"

namespace text_recognition {
namespace {

// A QR code of `text`, made by qrencode, `scale` pixels a module.
std::optional<QImage> QrCode(const QString& text, int scale = 6) {
    if (QStandardPaths::findExecutable(QStringLiteral("qrencode")).isEmpty()) return std::nullopt;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("code.png"));
    QProcess qrencode;
    qrencode.start(QStringLiteral("qrencode"), {QStringLiteral("-s"), QString::number(scale),
                                                QStringLiteral("-o"), file, text});
    if (!qrencode.waitForFinished() || qrencode.exitCode() != 0) return std::nullopt;
    return QImage(file);
}

// EAN-13 drawn from its published tables: the first digit picks the left half's parities.
QImage Ean13(const char* digits) {
    static const char* const kL[] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                     "0110001", "0101111", "0111011", "0110111", "0001011"};
    static const char* const kParity[] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                          "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
    QString bits = QStringLiteral("101");
    const int first = digits[0] - '0';
    for (int i = 1; i <= 6; ++i) {
        QString l = QString::fromLatin1(kL[digits[i] - '0']);
        if (kParity[first][i - 1] == 'G') {  // G: R reversed; R: L inverted
            for (QChar& c : l) c = c == u'0' ? u'1' : u'0';
            std::reverse(l.begin(), l.end());
        }
        bits += l;
    }
    bits += QStringLiteral("01010");
    for (int i = 7; i <= 12; ++i) {
        QString r = QString::fromLatin1(kL[digits[i] - '0']);
        for (QChar& c : r) c = c == u'0' ? u'1' : u'0';
        bits += r;
    }
    bits += QStringLiteral("101");
    constexpr int kModule = 3, kQuiet = 12 * kModule;
    QImage picture(int(bits.size()) * kModule + 2 * kQuiet, 120, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (qsizetype i = 0; i < bits.size(); ++i) {
        if (bits[i] == u'1')
            painter.fillRect(kQuiet + int(i) * kModule, 10, kModule, 100, Qt::black);
    }
    return picture;
}

QImage OnScreen(const QImage& code, QPoint at, QSize size = QSize(1280, 720)) {
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(QColor(240, 240, 240));
    QPainter painter(&screen);
    painter.drawImage(at, code);
    return screen;
}

TEST(CodeReaderTest, ReadsEachCodeExactly) {
    const struct {
        const char* text;
        Code code;
    } rows[] = {
        {"https://example.org/path?q=1", Code::QR},
        {"WIFI:T:WPA;S:Home Net;P:pa55 word;;", Code::QR},
        {"東京都千代田区", Code::QR},
        {"line one\nline two", Code::QR},
    };
    for (const auto& row : rows) {
        const std::optional<QImage> code = QrCode(QString::fromUtf8(row.text));
        if (!code) GTEST_SKIP() << "qrencode is not installed";
        const Words read = ReadCodes(OnScreen(*code, QPoint(300, 200)));
        ASSERT_EQ(read.size(), 1u) << row.text;
        EXPECT_EQ(read[0].text, QString::fromUtf8(row.text));
        EXPECT_EQ(read[0].code, row.code);
        // Its box is the code's, in the picture's pixels.
        EXPECT_TRUE(read[0].box.intersects(QRect(QPoint(300, 200), code->size())));
        EXPECT_LE(read[0].box.width(), code->width());
    }
    const Words barcode = ReadCodes(OnScreen(Ean13("4006381333931"), QPoint(100, 400)));
    ASSERT_EQ(barcode.size(), 1u);
    EXPECT_EQ(barcode[0].text, QStringLiteral("4006381333931"));
    EXPECT_EQ(barcode[0].code, Code::Barcode);
}

TEST(CodeReaderTest, CodesComeFirstEachOnALineThenTheText) {
    const std::optional<QImage> a = QrCode(QStringLiteral("first"));
    const std::optional<QImage> b = QrCode(QStringLiteral("second"));
    if (!a || !b) GTEST_SKIP() << "qrencode is not installed";
    QImage screen = OnScreen(*b, QPoint(600, 400));
    QPainter(&screen).drawImage(QPoint(100, 50), *a);
    const Words codes = ReadCodes(screen);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0].text, QStringLiteral("first"));
    const Words text = {{QStringLiteral("Hello"), QRect(0, 0, 10, 10), 0},
                        {QStringLiteral("there"), QRect(0, 20, 10, 10), 1}};
    const Words all = CodesThenText(codes, text);
    EXPECT_EQ(TextOf(all), QStringLiteral("first\nsecond\nHello\nthere"));
    // Painted over, the codes are gone for the engine.
    EXPECT_TRUE(ReadCodes(WithoutCodes(screen, codes)).empty());
    EXPECT_TRUE(ReadCodes(OnScreen(QImage(), QPoint())).empty());
}

}  // namespace
}  // namespace text_recognition
