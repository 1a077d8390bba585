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
    if (QProcess::execute(QStringLiteral("qrencode"), {QStringLiteral("-s"), QString::number(scale),
                                                       QStringLiteral("-o"), file, text}) != 0) {
        return std::nullopt;
    }
    return QImage(file);
}

// EAN-13 drawn from its published tables: the first digit picks the left half's parities.
QImage Ean13(const char* digits) {
    static const char* const kL[] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                     "0110001", "0101111", "0111011", "0110111", "0001011"};
    static const char* const kParity[] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                          "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
    const auto inverted = [](QString bits) {
        for (QChar& c : bits) c = c == u'0' ? u'1' : u'0';
        return bits;
    };
    QString bits = QStringLiteral("101");
    for (int i = 1; i <= 12; ++i) {
        const QString l = QString::fromLatin1(kL[digits[i] - '0']), r = inverted(l);
        QString g = r;  // R reversed
        std::reverse(g.begin(), g.end());
        if (i == 7) bits += QStringLiteral("01010");
        bits += i > 6 ? r : kParity[digits[0] - '0'][i - 1] == 'G' ? g : l;
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
    for (const char* text : {"https://example.org/path?q=1", "WIFI:T:WPA;S:Home Net;P:pa55 word;;",
                             "東京都千代田区", "line one\nline two"}) {
        const std::optional<QImage> code = QrCode(QString::fromUtf8(text));
        if (!code) GTEST_SKIP() << "qrencode is not installed";
        const Words read = ReadCodes(OnScreen(*code, QPoint(300, 200)));
        ASSERT_EQ(read.size(), 1u) << text;
        EXPECT_EQ(read[0].text, QString::fromUtf8(text));
        EXPECT_EQ(read[0].code, Code::QR);
        // Its box is the code's, in the picture's pixels.
        EXPECT_TRUE(QRect(QPoint(300, 200), code->size()).contains(read[0].box.center()));
    }
    const Words barcode = ReadCodes(OnScreen(Ean13("4006381333931"), QPoint(100, 400)));
    ASSERT_EQ(barcode.size(), 1u);
    EXPECT_EQ(barcode[0].text, QStringLiteral("4006381333931"));
    EXPECT_EQ(barcode[0].code, Code::Barcode);
}

}  // namespace
}  // namespace text_recognition
