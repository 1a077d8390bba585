// Writes the fuzzers' starting inputs into <folder>/data_file and <folder>/picture: small
// files made by the same code that makes the tests' files, so that fuzzing starts from inputs
// that already reach deep into each reader.
//
// Usage: fuzz_seeds <folder>

#include <QDir>
#include <QImage>
#include <QSize>
#include <cstdio>

#include "platform/core/number_text.h"
#include "store/data_file.h"
#include "support/test_files.h"

namespace {

using test_support::Exif;
using test_support::ExifSegment;
using test_support::InsertSegment;
using test_support::JpegBytes;
using test_support::PatternImage;

QByteArray DataFileSeed() {
    QList<store::PictureEntry> list;
    const auto add = [&](const QByteArray& path, double left, double top, double width,
                         double height) {
        list.append({platform::FilePath(path),
                     {platform::NumberText(left), platform::NumberText(top),
                      platform::NumberText(width), platform::NumberText(height)}});
    };
    add("/home/user/photo.jpg", 1500, 1200, 6000, 4500);
    add("/pictures/a, b.gif", -900, 0.5, 15, 1E+15);
    add(" \"quoted\".jpg", 1.5E-05, 32767, 1, 2);
    add("/写真/猫.jpg", 0, 0, 150, 100);
    add("/pictures/\x8e\xca\x90^.jpg", 15, 15, 150, 100);
    return store::FormatRecords(list);
}

bool Write(const QString& folder, const QString& name, const QByteArray& bytes) {
    if (!QDir().mkpath(folder)) return false;
    return test_support::WriteBytes(folder + QLatin1Char('/') + name, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString data = root + QStringLiteral("/data_file");
    const QString pictures = root + QStringLiteral("/picture");

    const QByteArray records = DataFileSeed();
    QByteArray messy = records;
    messy.replace("\r\n", "\n");
    messy.insert(0, "  \r\n\r\n");
    messy += "12 x 4 5\r\nbroken.jpg\r\n1,2,3,4\r\n\"cut";

    const QImage pattern = PatternImage({32, 24});
    const QByteArray jpeg = JpegBytes(pattern, 50);
    Exif withThumbnail;
    withThumbnail.orientation = 6;
    withThumbnail.thumbnail = JpegBytes(PatternImage({16, 12}), 50);
    Exif littleEndian = withThumbnail;
    littleEndian.bigEndian = false;
    littleEndian.orientation = 3;

    const bool ok =
        Write(data, QStringLiteral("records.dat"), records) &&
        Write(data, QStringLiteral("messy.dat"), messy) &&
        Write(pictures, QStringLiteral("plain.jpg"), jpeg) &&
        Write(pictures, QStringLiteral("cut.jpg"), jpeg.chopped(40)) &&
        Write(pictures, QStringLiteral("orientation.jpg"),
              test_support::JpegWithExif(pattern, 8)) &&
        Write(pictures, QStringLiteral("thumbnail.jpg"),
              InsertSegment(JpegBytes(PatternImage({64, 48}), 50), ExifSegment(withThumbnail))) &&
        Write(pictures, QStringLiteral("thumbnail-le.jpg"),
              InsertSegment(JpegBytes(PatternImage({64, 48}), 50), ExifSegment(littleEndian))) &&
        Write(pictures, QStringLiteral("tiny.gif"), test_support::TinyGif()) &&
        Write(pictures, QStringLiteral("pattern.gif"),
              test_support::GifBytes({12, 8}, {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
                                     [](int x, int y) { return (x + y) % 3; })) &&
        Write(pictures, QStringLiteral("claims-large.gif"), test_support::GifClaiming(9000, 9000));
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
