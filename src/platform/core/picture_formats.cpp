#include "platform/core/picture_formats.h"

#include <zlib.h>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>

namespace platform {

namespace {

const std::array<PictureFormat, 5> kFormats{{
    {"jpeg", "JPEG", "jpg", "image/jpeg", true, JpegReachesEnd, Opacity::Opaque},
    {"gif", "GIF", "gif", "image/gif", true, GifReachesEnd, Opacity::Never},
    {"png", "PNG", "png", "image/png", false, PngReachesEnd, Opacity::FromHeader},
    {"webp", "WebP", "webp", "image/webp", false, WebpReachesEnd, Opacity::FromHeader},
    {"bmp", "BMP", "bmp", "image/bmp", false, BmpReachesEnd, Opacity::FromHeader},
}};

// "a, b or c": the items as a sentence lists them.
QString InWords(const QStringList& items, const QString& conjunction) {
    if (items.size() < 2) return items.join(QString());
    return items.first(items.size() - 1).join(QStringLiteral(", ")) + u' ' + conjunction + u' ' +
           items.last();
}

QStringList Extensions(bool browserLists, const QString& before) {
    QStringList extensions;
    for (const PictureFormat& format : kFormats) {
        if (format.browserLists != browserLists) continue;
        for (const QString& extension : QString::fromLatin1(format.extensions).split(u';')) {
            extensions.append(before + extension);
        }
    }
    return extensions;
}

QStringList Names(std::optional<bool> browserLists = std::nullopt) {
    QStringList names;
    for (const PictureFormat& format : kFormats) {
        if (browserLists.value_or(format.browserLists) != format.browserLists) continue;
        names.append(QString::fromLatin1(format.name));
    }
    return names;
}

quint32 BigEndian32(const QByteArray& data, qsizetype at) {
    return qFromBigEndian<quint32>(data.constData() + at);
}

quint32 LittleEndian32(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.constData() + at);
}

}  // namespace

std::span<const PictureFormat> PictureFormats() {
    return kFormats;
}

const PictureFormat* PictureFormatOfReader(const QByteArray& reader) {
    for (const PictureFormat& format : kFormats) {
        if (reader == format.reader) return &format;
    }
    return nullptr;
}

QString PicturePattern(bool browserLists) {
    return Extensions(browserLists, QStringLiteral("*.")).join(u';');
}

QString PictureFormatNames(const QString& conjunction, std::optional<bool> browserLists) {
    return InWords(Names(browserLists), conjunction);
}

QString PictureFormatNamesJapanese() {
    return Names().join(u'・');
}

QString PictureExtensionChoice(bool browserLists) {
    return InWords(Extensions(browserLists, QStringLiteral(".")), QStringLiteral("or"));
}

// The end checks below walk the file's structure by hand because Qt's readers do not report a
// picture cut short as an error (a cut JPEG decodes with its missing rows grey), and the scaled
// and thumbnail decodes never reach the end of the data at all. A walk only looks for block
// boundaries: half a millisecond for a 24-megapixel photo of 3.5 MB.

// The GIF structure check: blocks are walked to the trailer byte.
bool GifReachesEnd(const QByteArray& data) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    const qsizetype n = data.size();
    if (n < 13) return false;
    qsizetype i = 13;
    if (byte(10) & 0x80) i += 3 * (qsizetype(1) << ((byte(10) & 0x07) + 1));
    const auto skipSubBlocks = [&]() {
        while (i < n) {
            const int length = byte(i);
            ++i;
            if (length == 0) return true;
            i += length;
        }
        return false;
    };
    while (i < n) {
        const unsigned char introducer = byte(i++);
        if (introducer == 0x3B) return true;
        if (introducer == 0x21) {  // extension: label, then sub-blocks
            if (i >= n) return false;
            ++i;
            if (!skipSubBlocks()) return false;
        } else if (introducer == 0x2C) {  // image: descriptor, local table, LZW size, data
            if (i + 9 > n) return false;
            const unsigned char flags = byte(i + 8);
            i += 9;
            if (flags & 0x80) i += 3 * (qsizetype(1) << ((flags & 0x07) + 1));
            ++i;
            if (!skipSubBlocks()) return false;
        } else {
            return false;
        }
    }
    return false;
}

// A WebP file is a RIFF container whose header gives its length.
bool WebpReachesEnd(const QByteArray& data) {
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WEBP") return false;
    return data.size() - 8 >= qsizetype(LittleEndian32(data, 4));
}

// A BMP file header gives the file's length and where its pixels start.
bool BmpReachesEnd(const QByteArray& data) {
    if (data.size() < 14 || !data.startsWith("BM")) return false;
    const qsizetype length = LittleEndian32(data, 2);
    const qsizetype pixels = LittleEndian32(data, 10);
    return data.size() >= std::max(length, pixels + 1);
}

bool JpegReachesEnd(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    if (n < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    qsizetype i = 2;
    while (i < n) {
        if (bytes[i] != 0xFF) return false;
        while (i < n && bytes[i] == 0xFF) ++i;  // fill bytes
        if (i >= n) return false;
        const unsigned char marker = bytes[i++];
        if (marker == 0xD9) return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (i + 2 > n) return false;
        const qsizetype length = (qsizetype(bytes[i]) << 8) | bytes[i + 1];
        if (length < 2) return false;
        i += length;
        if (marker != 0xDA) continue;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a
        // restart marker.
        while (i < n) {
            const void* found = std::memchr(bytes + i, 0xFF, size_t(n - i));
            if (!found) return false;
            i = static_cast<const unsigned char*>(found) - bytes;
            if (i + 1 >= n) return false;
            const unsigned char next = bytes[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                i += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
    }
    return false;
}

bool PngReachesEnd(const QByteArray& data) {
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (!data.startsWith(QByteArray::fromRawData(kSignature, 8))) return false;
    // Chunks: length, type, data, then the CRC of type and data; IHDR first, IEND last.
    qsizetype i = 8;
    bool first = true;
    while (data.size() - i >= 12) {
        const qsizetype length = BigEndian32(data, i);
        if (length > data.size() - i - 12) return false;
        const QByteArray type = data.mid(i + 4, 4);
        if (first && type != "IHDR") return false;
        first = false;
        const auto* covered = reinterpret_cast<const Bytef*>(data.constData() + i + 4);
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), covered, uInt(length + 4));
        if (crc != BigEndian32(data, i + 8 + length)) return false;
        if (type == "IEND") return true;
        i += length + 12;
    }
    return false;
}

}  // namespace platform
