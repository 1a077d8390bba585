#include "e2e_files.h"

#include <QFile>
#include <QImageWriter>
#include <algorithm>

namespace e2e {

QImage PatternImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            // 10-pixel blocks, each with a colour of its own, over a fine diagonal texture:
            // JPEG keeps the blocks apart, and any shift changes most pixels.
            const int bx = x / 10, by = y / 10;
            const int red = (bx * 37 + by * 11) % 200 + 40;
            const int green = (by * 53 + bx * 7) % 200 + 40;
            const int blue = ((bx + by) % 2) ? 220 : 30;
            const int texture = ((x + 2 * y) % 7) * 4;
            image.setPixel(x, y, qRgb(red, std::min(255, green + texture), blue));
        }
    }
    return image;
}

bool WriteJpeg(const QString& path, const QImage& image, int quality) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(quality);
    return writer.write(image);
}

bool WriteGif(const QString& path, QSize size, const QList<QRgb>& palette,
              const std::function<int(int x, int y)>& indexAt) {
    // LZW with a minimum code size of 2: 3-bit codes, 4 = clear, 5 = end. A clear code before
    // every pixel keeps the code table from growing, so each pixel is one literal code.
    QByteArray data("GIF89a");
    const auto put16 = [&data](int value) {
        data.append(char(value & 0xFF));
        data.append(char((value >> 8) & 0xFF));
    };
    put16(size.width());
    put16(size.height());
    data.append(char(0x91));  // global colour table of 4 entries, 2 bits of colour resolution
    data.append(char(0));
    data.append(char(0));
    for (int i = 0; i < 4; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        data.append(char(qRed(colour)));
        data.append(char(qGreen(colour)));
        data.append(char(qBlue(colour)));
    }
    data.append(char(0x2C));
    put16(0);
    put16(0);
    put16(size.width());
    put16(size.height());
    data.append(char(0));
    data.append(char(2));

    QByteArray codes;
    quint32 buffer = 0;
    int bits = 0;
    const auto putCode = [&](int code) {
        buffer |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            codes.append(char(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    };
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            putCode(4);
            putCode(indexAt(x, y) & 3);
        }
    }
    putCode(5);
    if (bits > 0) codes.append(char(buffer & 0xFF));
    for (int offset = 0; offset < codes.size(); offset += 255) {
        const QByteArray block = codes.mid(offset, 255);
        data.append(char(block.size()));
        data.append(block);
    }
    data.append(char(0));
    data.append(char(0x3B));
    return WriteBytes(path, data);
}

QByteArray DataRecord(const QStringList& geometry, const QString& path) {
    QByteArray line;
    for (int i = 0; i < geometry.size(); ++i) {
        const QByteArray text = geometry[i].toUtf8();
        line += text;
        // A print zone is 14 columns; the next item starts at the next zone boundary.
        if (i + 1 < geometry.size()) line += QByteArray(14 - text.size() % 14, ' ');
    }
    return line + "\r\n" + path.toUtf8() + "\r\n";
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString Printable(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1String("\r"), QLatin1String("\\r"));
    text.replace(QLatin1String("\n"), QLatin1String("\\n\n"));
    return QLatin1Char('\n') + text;
}

}  // namespace e2e
