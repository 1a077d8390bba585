// Selecting a 24-megapixel photo in the browser: the preview measures the file and decodes it
// at the preview's size (100 x 67 pixels for a 3:2 photo), against the plain full-size decode.
// Run for a photo without EXIF and for one whose EXIF block carries a 160 x 107 thumbnail.
//
// Each iteration runs the preview and the full decode, each in a child process of its own, so
// that each case's peak resident memory can be read from wait4 on its own. Counters (times in
// milliseconds, memory in MiB):
//   preview_ms, full_decode_ms   the timed work of each case, measured inside the child
//   time_ratio                   preview_ms / full_decode_ms
//   preview_peak_MB, full_decode_peak_MB     the child's peak resident memory
//   preview_added_MB, full_decode_added_MB   that peak less what the child held when it began
//   memory_ratio                 preview_added_MB / full_decode_added_MB
//
// Full run:  preview_bench
// Smoke run: preview_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>

#include <QTemporaryDir>

#include "bench_support.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/thumbnail_cache.h"

namespace {

const QSize kPreviewPixels(100, 67);  // 1500 twips wide, a 3:2 photo's height
const QSize kThumbnailSize(160, 107);

// What the browser does with a selected file: measure it, then decode it for the preview,
// through a thumbnail cache in `cacheRoot` when one is given. The cache's writes are waited for
// after the time is taken, as the browser does not wait for them.
void Preview(const QString& text, bench::ChildTimes& times, const QString& cacheRoot = {}) {
    const platform::FilePath path = platform::FilePath::FromText(text);
    std::optional<platform::ThumbnailCache> cache;
    if (!cacheRoot.isEmpty()) cache.emplace(cacheRoot);
    const double start = bench::Now();
    const platform::PictureLoad measured = platform::MeasurePicture(path);
    const platform::PictureLoad shown =
        platform::LoadPicture(path, kPreviewPixels, cache ? &*cache : nullptr);
    times.seconds[0] = bench::Now() - start;
    if (cache) cache->Wait();
    if (!measured || !shown) return times.Fail("the preview could not load the photo");
    if (shown.picture->Pixels().size() != kPreviewPixels) return times.Fail("wrong preview size");
    times.ok = true;
}

void FullDecode(const QString& path, QSize size, bench::ChildTimes& times) {
    QImageReader::setAllocationLimit(256);  // 24 megapixels are 92 MiB as 32-bit pixels
    const double start = bench::Now();
    const QImage image = QImageReader(path).read();
    times.seconds[0] = bench::Now() - start;
    if (image.size() != size) return times.Fail("the full decode failed");
    times.ok = true;
}

void BM_PreviewVsFullDecode(benchmark::State& state) {
    const bool withThumbnail = state.range(0) != 0;
    const QSize size(int(state.range(1)), int(state.range(2)));
    const QStringList photos = bench::PhotoFiles(size, 1);
    if (photos.isEmpty()) return state.SkipWithError("cannot generate the photo");
    const QString path =
        withThumbnail ? bench::PhotoWithExifThumbnail(size, kThumbnailSize) : photos[0];
    if (path.isEmpty()) return state.SkipWithError("cannot write the photo with a thumbnail");

    double previewSeconds = 0, decodeSeconds = 0;
    double previewPeak = 0, previewAdded = 0, decodePeak = 0, decodeAdded = 0;
    int rounds = 0;
    for (auto _ : state) {
        const bench::ChildResult preview =
            bench::RunInChild([&](bench::ChildTimes& times) { Preview(path, times); });
        if (!preview.times.ok) return state.SkipWithError(preview.times.error);
        const bench::ChildResult decode =
            bench::RunInChild([&](bench::ChildTimes& times) { FullDecode(path, size, times); });
        if (!decode.times.ok) return state.SkipWithError(decode.times.error);
        ++rounds;
        previewSeconds += preview.times.seconds[0];
        decodeSeconds += decode.times.seconds[0];
        previewPeak = std::max(previewPeak, preview.peakMb);
        previewAdded = std::max(previewAdded, preview.AddedMb());
        decodePeak = std::max(decodePeak, decode.peakMb);
        decodeAdded = std::max(decodeAdded, decode.AddedMb());
    }
    if (rounds == 0) return;
    state.counters["preview_ms"] = 1000 * previewSeconds / rounds;
    state.counters["full_decode_ms"] = 1000 * decodeSeconds / rounds;
    state.counters["time_ratio"] = previewSeconds / decodeSeconds;
    state.counters["preview_peak_MB"] = previewPeak;
    state.counters["full_decode_peak_MB"] = decodePeak;
    state.counters["preview_added_MB"] = previewAdded;
    state.counters["full_decode_added_MB"] = decodeAdded;
    state.counters["memory_ratio"] = decodeAdded > 0 ? previewAdded / decodeAdded : 0;
}

// The preview through the thumbnail cache. Each iteration runs, each in a child of its own: the
// preview without a cache (as before), the preview with an empty cache (which writes the
// thumbnail), the preview with the cache that left (warm), and the full decode. Counters (ms):
//   nocache_ms, cold_ms, warm_ms, full_decode_ms
//   cold_ratio   cold_ms / nocache_ms       (the cost of writing, on the caller's side)
//   warm_ratio   warm_ms / full_decode_ms
//   warm_vs_nocache   warm_ms / nocache_ms
void BM_PreviewThumbnailCache(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    const QStringList photos = bench::PhotoFiles(size, 1);
    if (photos.isEmpty()) return state.SkipWithError("cannot generate the photo");
    const QString& path = photos[0];
    double seconds[4] = {};
    int rounds = 0;
    for (auto _ : state) {
        QTemporaryDir cache;
        if (!cache.isValid()) return state.SkipWithError("no temporary folder");
        const QString root = cache.filePath(QStringLiteral("thumbnails"));
        const std::function<void(bench::ChildTimes&)> cases[] = {
            [&](bench::ChildTimes& times) { Preview(path, times); },
            [&](bench::ChildTimes& times) { Preview(path, times, root); },
            [&](bench::ChildTimes& times) { Preview(path, times, root); },
            [&](bench::ChildTimes& times) { FullDecode(path, size, times); },
        };
        for (int i = 0; i < 4; ++i) {
            const bench::ChildResult result = bench::RunInChild(cases[i]);
            if (!result.times.ok) return state.SkipWithError(result.times.error);
            seconds[i] += result.times.seconds[0];
        }
        ++rounds;
    }
    if (rounds == 0) return;
    state.counters["nocache_ms"] = 1000 * seconds[0] / rounds;
    state.counters["cold_ms"] = 1000 * seconds[1] / rounds;
    state.counters["warm_ms"] = 1000 * seconds[2] / rounds;
    state.counters["full_decode_ms"] = 1000 * seconds[3] / rounds;
    state.counters["cold_ratio"] = seconds[1] / seconds[0];
    state.counters["warm_ratio"] = seconds[2] / seconds[3];
    state.counters["warm_vs_nocache"] = seconds[2] / seconds[0];
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    for (int withThumbnail : {0, 1}) {
        auto* benchmark =
            benchmark::RegisterBenchmark(withThumbnail ? "BM_PreviewVsFullDecode/exif_thumbnail"
                                                       : "BM_PreviewVsFullDecode/plain",
                                         BM_PreviewVsFullDecode);
        benchmark
            ->Args(smoke ? std::vector<int64_t>{withThumbnail, 600, 400}
                         : std::vector<int64_t>{withThumbnail, 6000, 4000})
            ->ArgNames({"thumbnail", "width", "height"})
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        // A single round is a few hundred milliseconds; a handful of them evens out the noise.
        if (!smoke) benchmark->MinTime(3.0);
    }
    auto* cached =
        benchmark::RegisterBenchmark("BM_PreviewThumbnailCache", BM_PreviewThumbnailCache)
            ->Args(smoke ? std::vector<int64_t>{600, 400} : std::vector<int64_t>{6000, 4000})
            ->ArgNames({"width", "height"})
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    if (!smoke) cached->MinTime(3.0);
    return bench::RunRegistered(&argc, argv);
}
