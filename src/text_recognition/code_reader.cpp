#include "text_recognition/code_reader.h"

#include <ZXing/ReadBarcode.h>

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>

namespace text_recognition {

namespace {

// Which of ZXing's formats are read, and what the program calls each.
struct Format {
    ZXing::BarcodeFormat format;
    Code code;
};
constexpr Format kFormats[] = {
    {ZXing::BarcodeFormat::QRCode, Code::QR},
    {ZXing::BarcodeFormat::MicroQRCode, Code::QR},
    {ZXing::BarcodeFormat::DataMatrix, Code::DataMatrix},
    {ZXing::BarcodeFormat::EAN8, Code::Barcode},
    {ZXing::BarcodeFormat::EAN13, Code::Barcode},
    {ZXing::BarcodeFormat::UPCA, Code::Barcode},
    {ZXing::BarcodeFormat::UPCE, Code::Barcode},
    {ZXing::BarcodeFormat::Code128, Code::Barcode},
};

Code CodeOf(ZXing::BarcodeFormat format) {
    for (const Format& row : kFormats) {
        if (row.format == format) return row.code;
    }
    return Code::None;
}

QRect BoxOf(const ZXing::Position& position) {
    int left = position[0].x, right = left, top = position[0].y, bottom = top;
    for (const auto& point : position) {
        left = std::min(left, point.x);
        right = std::max(right, point.x);
        top = std::min(top, point.y);
        bottom = std::max(bottom, point.y);
    }
    // A barcode's position is its scan line: give it the height of a line at least.
    return QRect(QPoint(left, top), QPoint(right, bottom)).adjusted(0, 0, 1, 1);
}

}  // namespace

Words ReadCodes(const QImage& picture) {
    if (picture.isNull()) return {};
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    ZXing::BarcodeFormats matrix, linear;
    for (const Format& row : kFormats) {
        (row.code == Code::Barcode ? linear : matrix) |= row.format;
    }
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    Words codes;
    // `part` lies `top` pixels down the picture. A code found again is the same code.
    const auto read = [&](const ZXing::ImageView& part, int top, const ZXing::DecodeHints& hints) {
        for (const ZXing::Result& result : ZXing::ReadBarcodes(part, hints)) {
            if (!result.isValid()) continue;
            const QRect box = BoxOf(result.position()).translated(0, top);
            const auto same = [&box](const Word& code) { return code.box.contains(box.center()); };
            if (std::any_of(codes.begin(), codes.end(), same)) continue;
            codes.push_back(
                {QString::fromStdString(result.text()), box, 0, CodeOf(result.format())});
        }
    };
    // Screenshots and photos are rarely upright enough for a barcode's single line; the harder
    // search costs tens of milliseconds beside the engine's seconds.
    const ZXing::DecodeHints matrixHints =
        ZXing::DecodeHints().setFormats(matrix).setTryHarder(true).setTryRotate(true);
    read(view, 0, matrixHints);
    // ZXing 1.4 looks for a Data Matrix code only across the middle row of what it is given:
    // strips of the picture, each around another row, find one anywhere. At each spacing of
    // those rows, strips up to four spacings high hold the codes one to two spacings high.
    const ZXing::DecodeHints stripHints =
        ZXing::DecodeHints(matrixHints).setFormats(ZXing::BarcodeFormat::DataMatrix);
    constexpr int kSmallestSpacing = 32;  // pixels: a code of 10 x 10 modules of 3 pixels
    const int height = grey.height();
    for (int spacing = kSmallestSpacing; spacing < height; spacing *= 2) {
        for (int middle = spacing; middle < height; middle += spacing) {
            const int half = std::min({2 * spacing, middle, height - middle});
            read(view.cropped(0, middle - half, grey.width(), 2 * half), middle - half, stripHints);
        }
    }
    // Debian's ZXing 1.4 aborts (a failed assertion in Result::operator==) when it sets one
    // barcode found on several scan lines beside another to weed out doubles: barcodes are
    // searched for one at a time.
    read(view, 0,
         ZXing::DecodeHints()
             .setFormats(linear)
             .setTryHarder(true)
             .setTryRotate(true)
             .setMaxNumberOfSymbols(1));
    std::stable_sort(codes.begin(), codes.end(), [](const Word& a, const Word& b) {
        return a.box.top() != b.box.top() ? a.box.top() < b.box.top() : a.box.left() < b.box.left();
    });
    for (size_t i = 0; i < codes.size(); ++i) codes[i].line = static_cast<int>(i);
    return codes;
}

Words CodesThenText(Words codes, const Words& text) {
    const int after = codes.empty() ? 0 : codes.back().line + 1;
    for (Word word : text) {
        word.line += after;
        codes.push_back(std::move(word));
    }
    return codes;
}

QImage WithoutCodes(const QImage& picture, const Words& codes) {
    if (codes.empty()) return picture;
    QImage cleared = picture.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&cleared);
    // A margin of a few modules: the quiet zone's edge reads as a letter as readily.
    for (const Word& code : codes) painter.fillRect(code.box.adjusted(-4, -4, 4, 4), Qt::white);
    return cleared;
}

QString CopiedNote(Code code) {
    switch (code) {
        case Code::QR:
            return QCoreApplication::translate("text_recognition",
                                               "QRコードの内容をコピーしました");
        case Code::DataMatrix:
            return QCoreApplication::translate("text_recognition",
                                               "Data Matrixコードの内容をコピーしました");
        case Code::Barcode:
        case Code::None:
            break;
    }
    return QCoreApplication::translate("text_recognition", "バーコードの内容をコピーしました");
}

}  // namespace text_recognition
