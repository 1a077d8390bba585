#include "platform/pictures/uncompressed_png.h"

#include <png.h>
#include <zlib.h>

#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QSysInfo>
#include <vector>

namespace platform {

namespace {

void WriteToDevice(png_structp png, png_bytep data, size_t length) {
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length)) {
        png_error(png, "write failed");
    }
}

void FlushNothing(png_structp) {}

// Failures come back as a false result, not as text on standard error.
[[noreturn]] void FailQuietly(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump back here: nothing between setjmp and the jump may own
// anything that needs destroying, so everything is made by the caller.
bool WriteRows(png_structp png, png_infop info, QIODevice* out, const QImage* rgb32,
               png_text* texts, int textCount, bool runLengths) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, WriteToDevice, FlushNothing);
    png_set_IHDR(png, info, png_uint_32(rgb32->width()), png_uint_32(rgb32->height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (textCount > 0) png_set_text(png, info, texts, textCount);
    if (runLengths) {
        png_set_compression_level(png, 1);
        png_set_compression_strategy(png, Z_RLE);
    } else {
        png_set_compression_level(png, 0);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    // Format_RGB32 holds each pixel as the 32-bit value 0xffRRGGBB in the machine's byte order.
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < rgb32->height(); ++y) png_write_row(png, rgb32->constScanLine(y));
    png_write_end(png, info);
    return true;
}

}  // namespace

namespace {

bool WritePng(QIODevice& out, const QImage& image,
              const QList<std::pair<QByteArray, QByteArray>>& texts, bool runLengths) {
    const QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
    if (rgb32.isNull()) return false;
    std::vector<png_text> chunks(size_t(texts.size()));
    for (size_t i = 0; i < chunks.size(); ++i) {
        const auto& [key, value] = texts[qsizetype(i)];
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(key.constData());
        chunks[i].text = const_cast<char*>(value.constData());
        chunks[i].text_length = size_t(value.size());
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailQuietly, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    const bool written =
        info && WriteRows(png, info, &out, &rgb32, chunks.data(), int(chunks.size()), runLengths);
    png_destroy_write_struct(&png, &info);
    return written;
}

}  // namespace

bool WriteUncompressedPng(QIODevice& out, const QImage& image,
                          const QList<std::pair<QByteArray, QByteArray>>& texts) {
    return WritePng(out, image, texts, false);
}

bool WriteFlatPng(QIODevice& out, const QImage& image) {
    return WritePng(out, image, {}, true);
}

std::optional<QByteArray> FlatPngOf(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!WriteFlatPng(buffer, image)) return std::nullopt;
    return png;
}

}  // namespace platform
