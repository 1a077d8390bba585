// The thumbnail cache's PNG files, as the cache writes them (rows unfiltered, stored) and as
// Qt's writer would at each zlib level it can ask for: how large a thumbnail of a photo is on
// disk, and how long it takes to write and to read back, against the decode of a 400 x 300
// JPEG (what a restore without a cache does for a small pin) in the same run.
//
// Qt's PNG writer lets libpng filter every row, and takes its zlib level from the writer's
// quality as (100 - quality) * 9 / 91: quality 100 stores (level 0), 80..89 give level 1, and
// no quality leaves libpng's default (level 6). Counters:
//   file_KB      the thumbnail's size on disk
//   write_ms     writing it to a file, texts included
//   read_ms      QImageReader reading that file back, as the cache does
//   jpeg_ms      QImageReader decoding a 400 x 300 JPEG file, the baseline
//   read_ratio   read_ms / jpeg_ms
//
// Full run:  thumbnail_png_bench
// Smoke run: thumbnail_png_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include "bench_support.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/pictures/uncompressed_png.h"

namespace {

struct Level {
    const char* name;
    int quality;  // for Qt's writer; -1: its default; kUnfiltered: the cache's own writer
};
constexpr int kUnfiltered = 1000;
constexpr Level kLevels[] = {{"unfiltered_stored", kUnfiltered},
                             {"qt_stored", 100},
                             {"qt_zlib1", 85},
                             {"qt_zlib6_default", -1},
                             {"qt_zlib9", 0}};

bool WritePng(const QString& file, const QImage& image, int quality) {
    if (quality == kUnfiltered) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) &&
               platform::WriteUncompressedPng(
                   out, image,
                   {{"Thumb::URI", "file:///home/user/photo.jpg"}, {"Thumb::MTime", "1700000000"}});
    }
    QImageWriter writer(file, "png");
    if (quality >= 0) writer.setQuality(quality);
    return writer.write(image);
}

void BM_ThumbnailPng(benchmark::State& state) {
    const Level& level = kLevels[state.range(0)];
    const int classSize = int(state.range(1));
    // A photo larger than the largest class, scaled down as the cache scales it.
    const QStringList photos = bench::PhotoFiles({1600, 1067}, 1);
    const QStringList small = bench::PhotoFiles({400, 300}, 1);
    if (photos.isEmpty() || small.isEmpty()) return state.SkipWithError("cannot make the photos");
    const QImage photo = QImageReader(photos[0]).read();
    if (photo.isNull()) return state.SkipWithError("cannot decode the photo");
    QImage thumbnail = photo.scaled(platform::ThumbnailSizeFor(photo.size(), classSize),
                                    Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    thumbnail.setText(QStringLiteral("Thumb::URI"), QStringLiteral("file:///home/user/photo.jpg"));
    thumbnail.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1700000000"));
    QTemporaryDir folder;
    if (!folder.isValid()) return state.SkipWithError("no temporary folder");
    const QString file = folder.filePath(QStringLiteral("thumbnail.png"));

    double write = 0, read = 0, jpeg = 0;
    int rounds = 0;
    for (auto _ : state) {
        double start = bench::Now();
        if (!WritePng(file, thumbnail, level.quality)) return state.SkipWithError("write failed");
        write += bench::Now() - start;
        start = bench::Now();
        const QImage back = QImageReader(file, "png").read();
        read += bench::Now() - start;
        if (back.size() != thumbnail.size()) return state.SkipWithError("read failed");
        start = bench::Now();
        const QImage decoded = QImageReader(small[0]).read();
        jpeg += bench::Now() - start;
        if (decoded.isNull()) return state.SkipWithError("JPEG decode failed");
        ++rounds;
    }
    if (rounds == 0) return;
    state.counters["file_KB"] = double(QFileInfo(file).size()) / 1024;
    state.counters["write_ms"] = 1000 * write / rounds;
    state.counters["read_ms"] = 1000 * read / rounds;
    state.counters["jpeg_ms"] = 1000 * jpeg / rounds;
    state.counters["read_ratio"] = read / jpeg;
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    for (int level = 0; level < int(std::size(kLevels)); ++level) {
        for (const int classSize : {256, 512, 1024}) {
            if (smoke && classSize != 256) continue;
            benchmark::RegisterBenchmark(
                (std::string("BM_ThumbnailPng/") + kLevels[level].name).c_str(), BM_ThumbnailPng)
                ->Args({level, classSize})
                ->ArgNames({"level", "class"})
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    return bench::RunRegistered(&argc, argv);
}
