#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <gtest/gtest.h>

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

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

// A code of `text` made by ZXing's own writer, at least `size` with its quiet zone.
QImage Written(ZXing::BarcodeFormat format, const QString& text, QSize size) {
    const ZXing::Matrix<uint8_t> bits =
        ZXing::ToMatrix<uint8_t>(ZXing::MultiFormatWriter(format).setMargin(12).encode(
            text.toStdString(), size.width(), size.height()));
    return QImage(bits.data(), bits.width(), bits.height(), bits.width(), QImage::Format_Grayscale8)
        .copy();
}

QImage OnScreen(const QImage& code, QPoint at, QSize size = QSize(1280, 720)) {
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(QColor(240, 240, 240));
    QPainter painter(&screen);
    painter.drawImage(at, code);
    return screen;
}

TEST(CodeReaderTest, ReadsEachCodeExactly) {
    using Make = std::function<std::optional<QImage>(const QString&)>;
    const Make qr = [](const QString& text) { return QrCode(text); };
    const auto zxing = [](ZXing::BarcodeFormat format, QSize size) -> Make {
        return [=](const QString& text) { return Written(format, text, size); };
    };
    const char* const kQr = "QRコードの内容をコピーしました";
    const char* const kBarcode = "バーコードの内容をコピーしました";
    const struct {
        Make make;
        const char* text;
        Code kind;
        const char* note;
    } rows[] = {
        {zxing(ZXing::BarcodeFormat::DataMatrix, {160, 160}), "Vellora 0042 pin", Code::DataMatrix,
         "Data Matrixコードの内容をコピーしました"},
        {zxing(ZXing::BarcodeFormat::Code128, {420, 100}), "VEL-0042/pin", Code::Barcode, kBarcode},
        {zxing(ZXing::BarcodeFormat::EAN8, {300, 100}), "96385074", Code::Barcode, kBarcode},
        {zxing(ZXing::BarcodeFormat::UPCA, {400, 100}), "036000291452", Code::Barcode, kBarcode},
        {zxing(ZXing::BarcodeFormat::UPCE, {300, 100}), "01234565", Code::Barcode, kBarcode},
        {[](const QString& text) { return Ean13(text.toLatin1().constData()); }, "4006381333931",
         Code::Barcode, kBarcode},
        // Last: without qrencode they are left out.
        {qr, "https://example.org/path?q=1", Code::QR, kQr},
        {qr, "WIFI:T:WPA;S:Home Net;P:pa55 word;;", Code::QR, kQr},
        {qr, "東京都千代田区", Code::QR, kQr},
        {qr, "line one\nline two", Code::QR, kQr},
    };
    for (const auto& row : rows) {
        const QString text = QString::fromUtf8(row.text);
        const std::optional<QImage> code = row.make(text);
        if (!code) GTEST_SKIP() << "qrencode is not installed";
        const QPoint at(300, 40);
        const Words read = ReadCodes(OnScreen(*code, at));
        ASSERT_EQ(read.size(), 1u) << row.text;
        EXPECT_EQ(read[0].text, text);
        EXPECT_EQ(read[0].code, row.kind) << row.text;
        EXPECT_EQ(CopiedNote(read[0].code), QString::fromUtf8(row.note)) << row.text;
        // Its box is the code's, in the picture's pixels.
        EXPECT_TRUE(QRect(at, code->size()).contains(read[0].box.center())) << row.text;
    }
}

}  // namespace
}  // namespace text_recognition
