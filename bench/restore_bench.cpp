// Start-up restore of a data file of pinned 24-megapixel photos, against the plain full-size
// decode of the same files one after another.
//
// Each iteration runs both cases, each in a child process of its own, so that each case's peak
// resident memory can be read from wait4 on its own. Counters (times in seconds, memory in MiB):
//   restore_s, full_decode_s   the timed work of each case, measured inside the child
//   time_ratio                 restore_s / full_decode_s
//   restore_peak_MB, full_decode_peak_MB     the child's peak resident memory
//   restore_added_MB, full_decode_added_MB   that peak less what the child held when it began
//   restore_loaded_MB          what the restore holds when it returns (before any paint),
//                              above what the application held before it
//   restore_held_MB            the same after the windows' first paint (window buffers added)
//   first_paint_s              one round of events after the restore: the windows' first paint
//   memory_ratio               restore_added_MB / full_decode_added_MB
//
// Full run:  restore_bench                 (100 records of 6000x4000 photos)
// Smoke run: restore_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "app/program.h"
#include "bench_support.h"
#include "language/language.h"
#include "pin_board/pin_board.h"
#include "platform/pictures/thumbnail_cache.h"
#include "store/data_file.h"

namespace {

constexpr int kDistinctFiles = 10;

// Case A: what the program does at start, from the data file to the pinned windows, through a
// thumbnail cache in `thumbnails` when one is given. The cache's writes are waited for after the
// times are taken, as the restore does not wait for them. With `uiLanguage`, the program's
// language is decided under LANGUAGE=uiLanguage and its translator installed, in the timed work.
void StartupRestore(const QString& folder, const QByteArray& dataFile, int records,
                    bench::ChildTimes& times, const QString& thumbnails = {},
                    const char* uiLanguage = nullptr) {
    if (uiLanguage) setenv("LANGUAGE", uiLanguage, 1);
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    if (const auto error = bench::EnterWithDataFile(folder, dataFile)) return times.Fail(*error);

    const double heldBefore = bench::ResidentMb();
    const double start = bench::Now();
    if (uiLanguage) language::InstallTranslator();
    app::Program program(QStringLiteral("zuzerid.dat"), thumbnails);
    program.Start();
    times.seconds[0] = bench::Now() - start;

    const int restored = program.Board().Count();
    times.megabytes[1] = bench::ResidentMb() - heldBefore;
    // One round of events: the pinned windows get their first paint, as on a real desktop.
    const double paintStart = bench::Now();
    QApplication::processEvents();
    times.seconds[1] = bench::Now() - paintStart;
    // What the restored windows keep once start-up is over, pictures and backing stores.
    times.megabytes[0] = bench::ResidentMb() - heldBefore;
    if (restored != records) {
        return times.Fail("restored " + std::to_string(restored) + " of " +
                          std::to_string(records) + " records");
    }
    if (program.Thumbnails()) program.Thumbnails()->Wait();
    times.ok = true;
}

// Case B: the same files decoded at full size, one after another, each dropped at once.
void FullDecodes(const QStringList& photos, int records, QSize size, bench::ChildTimes& times) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    // 256 MB: a 24-megapixel picture is 92 MiB as 32-bit pixels; the limit only has to let
    // the plain decode happen.
    QImageReader::setAllocationLimit(256);
    const double start = bench::Now();
    for (int i = 0; i < records; ++i) {
        const QImage image = QImageReader(photos[i % photos.size()]).read();
        if (image.size() != size) return times.Fail("a full decode failed");
    }
    times.seconds[0] = bench::Now() - start;
    times.ok = true;
}

// The photos of a benchmark's size (ranges 1 and 2) and the data file of its records (range 0)
// over them; nothing, after the error is set, when they or the folder to start in are missing.
struct RestoreFiles {
    QStringList photos;
    QByteArray dataFile;
};
std::optional<RestoreFiles> MakeRestoreFiles(benchmark::State& state, const QTemporaryDir& folder) {
    const int records = int(state.range(0));
    const QSize size(int(state.range(1)), int(state.range(2)));
    RestoreFiles files{bench::PhotoFiles(size, std::min(kDistinctFiles, records)), {}};
    if (files.photos.isEmpty()) {
        state.SkipWithError("cannot generate the photos");
        return std::nullopt;
    }
    if (!folder.isValid()) {
        state.SkipWithError("no temporary folder");
        return std::nullopt;
    }
    files.dataFile = bench::DataFile(files.photos, records);
    return files;
}

void BM_StartupRestoreVsFullDecode(benchmark::State& state) {
    const int records = int(state.range(0));
    const QSize size(int(state.range(1)), int(state.range(2)));
    QTemporaryDir folder;
    const std::optional<RestoreFiles> files = MakeRestoreFiles(state, folder);
    if (!files) return;
    const QStringList& photos = files->photos;
    const QByteArray& dataFile = files->dataFile;

    double restoreSeconds = 0, paintSeconds = 0, decodeSeconds = 0;
    double restorePeak = 0, restoreAdded = 0, restoreHeld = 0, restoreLoaded = 0;
    double decodePeak = 0, decodeAdded = 0;
    int rounds = 0;
    for (auto _ : state) {
        const bench::ChildResult restore = bench::RunInChild([&](bench::ChildTimes& times) {
            StartupRestore(folder.path(), dataFile, records, times);
        });
        if (!restore.times.ok) return state.SkipWithError(restore.times.error);
        const bench::ChildResult decode = bench::RunInChild(
            [&](bench::ChildTimes& times) { FullDecodes(photos, records, size, times); });
        if (!decode.times.ok) return state.SkipWithError(decode.times.error);
        ++rounds;
        restoreSeconds += restore.times.seconds[0];
        paintSeconds += restore.times.seconds[1];
        decodeSeconds += decode.times.seconds[0];
        restorePeak = std::max(restorePeak, restore.peakMb);
        restoreAdded = std::max(restoreAdded, restore.AddedMb());
        restoreHeld = std::max(restoreHeld, restore.times.megabytes[0]);
        restoreLoaded = std::max(restoreLoaded, restore.times.megabytes[1]);
        decodePeak = std::max(decodePeak, decode.peakMb);
        decodeAdded = std::max(decodeAdded, decode.AddedMb());
    }
    if (rounds == 0) return;
    state.counters["restore_s"] = restoreSeconds / rounds;
    state.counters["first_paint_s"] = paintSeconds / rounds;
    state.counters["full_decode_s"] = decodeSeconds / rounds;
    state.counters["time_ratio"] = restoreSeconds / decodeSeconds;
    state.counters["restore_peak_MB"] = restorePeak;
    state.counters["full_decode_peak_MB"] = decodePeak;
    state.counters["restore_added_MB"] = restoreAdded;
    state.counters["restore_held_MB"] = restoreHeld;
    state.counters["restore_loaded_MB"] = restoreLoaded;
    state.counters["full_decode_added_MB"] = decodeAdded;
    state.counters["memory_ratio"] = decodeAdded > 0 ? restoreAdded / decodeAdded : 0;
}

// The restore through the thumbnail cache. Each iteration runs, each in a child of its own: the
// restore without a cache (as before), with an empty cache (cold: it writes the thumbnails),
// with the cache that left (warm), and the same records pinning small pictures of the size
// shown without a cache (the floor: what a restore costs when there is nothing to decode).
// Counters (seconds):
//   nocache_s, cold_s, warm_s, floor_s   the restores' timed work (up to the windows' creation)
//   *_paint_s                            their first round of events
//   cold_ratio    cold_s / nocache_s
//   warm_ratio    warm_s / floor_s
//   warm_vs_nocache   warm_s / nocache_s
void BM_StartupRestoreThumbnailCache(benchmark::State& state) {
    const int records = int(state.range(0));
    const QSize size(int(state.range(1)), int(state.range(2)));
    const QSize shown(int(bench::kPinnedWidthTwips / 15), int(bench::kPinnedHeightTwips / 15));
    const QStringList photos = bench::PhotoFiles(size, std::min(kDistinctFiles, records));
    const QStringList small = bench::PhotoFiles(shown, std::min(kDistinctFiles, records));
    if (photos.isEmpty() || small.isEmpty()) return state.SkipWithError("no photos");
    QTemporaryDir folder;
    if (!folder.isValid()) return state.SkipWithError("no temporary folder");
    const QByteArray dataFile = bench::DataFile(photos, records);
    const QByteArray smallDataFile = bench::DataFile(small, records);
    double seconds[4] = {}, paint[4] = {};
    int rounds = 0;
    for (auto _ : state) {
        QTemporaryDir cache;
        if (!cache.isValid()) return state.SkipWithError("no temporary folder");
        const QString root = cache.filePath(QStringLiteral("thumbnails"));
        const std::function<void(bench::ChildTimes&)> cases[] = {
            [&](bench::ChildTimes& t) { StartupRestore(folder.path(), dataFile, records, t); },
            [&](bench::ChildTimes& t) {
                StartupRestore(folder.path(), dataFile, records, t, root);
            },
            [&](bench::ChildTimes& t) {
                StartupRestore(folder.path(), dataFile, records, t, root);
            },
            [&](bench::ChildTimes& t) { StartupRestore(folder.path(), smallDataFile, records, t); },
        };
        for (int i = 0; i < 4; ++i) {
            const bench::ChildResult result = bench::RunInChild(cases[i]);
            if (!result.times.ok) return state.SkipWithError(result.times.error);
            seconds[i] += result.times.seconds[0];
            paint[i] += result.times.seconds[1];
        }
        ++rounds;
    }
    if (rounds == 0) return;
    const char* names[] = {"nocache", "cold", "warm", "floor"};
    for (int i = 0; i < 4; ++i) {
        state.counters[std::string(names[i]) + "_s"] = seconds[i] / rounds;
        state.counters[std::string(names[i]) + "_paint_s"] = paint[i] / rounds;
    }
    state.counters["cold_ratio"] = seconds[1] / seconds[0];
    state.counters["warm_ratio"] = seconds[2] / seconds[3];
    state.counters["warm_vs_nocache"] = seconds[2] / seconds[0];
}

// PNG pins against JPEG pins of the same pictures and size, both restored from a warm thumbnail
// cache (a cold restore fills it first, untimed). The PNG files are the JPEGs' pixels written
// as PNG, made once per run. Counters (seconds):
//   jpeg_warm_s, png_warm_s   the warm restores' timed work
//   png_vs_jpeg               png_warm_s / jpeg_warm_s
void BM_StartupRestorePngVsJpeg(benchmark::State& state) {
    const int records = int(state.range(0));
    const QSize size(int(state.range(1)), int(state.range(2)));
    const QStringList photos = bench::PhotoFiles(size, std::min(kDistinctFiles, records));
    if (photos.isEmpty()) return state.SkipWithError("no photos");
    QTemporaryDir folder;
    if (!folder.isValid()) return state.SkipWithError("no temporary folder");
    QStringList pngs;
    for (const QString& photo : photos) {
        pngs << folder.filePath(QFileInfo(photo).completeBaseName() + QStringLiteral(".png"));
        if (!QImage(photo).save(pngs.back(), "PNG")) return state.SkipWithError("no PNG");
    }
    const QByteArray dataFiles[] = {bench::DataFile(photos, records),
                                    bench::DataFile(pngs, records)};
    double seconds[2] = {};
    int rounds = 0;
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            QTemporaryDir cache;
            if (!cache.isValid()) return state.SkipWithError("no temporary folder");
            const QString root = cache.filePath(QStringLiteral("thumbnails"));
            for (int pass = 0; pass < 2; ++pass) {
                const bench::ChildResult result = bench::RunInChild([&](bench::ChildTimes& t) {
                    StartupRestore(folder.path(), dataFiles[i], records, t, root);
                });
                if (!result.times.ok) return state.SkipWithError(result.times.error);
                if (pass == 1) seconds[i] += result.times.seconds[0];
            }
        }
        ++rounds;
    }
    if (rounds == 0) return;
    state.counters["jpeg_warm_s"] = seconds[0] / rounds;
    state.counters["png_warm_s"] = seconds[1] / rounds;
    state.counters["png_vs_jpeg"] = seconds[1] / seconds[0];
}

// The restore in English, with its texts loaded, against the same restore in Japanese, which
// loads none. Each iteration runs both, each in a child of its own, in turn first. Counters:
//   japanese_s, english_s   the timed work: deciding the language, the translator, the restore
//   english_ratio           english_s / japanese_s
void BM_StartupRestoreInEnglish(benchmark::State& state) {
    const int records = int(state.range(0));
    QTemporaryDir folder;
    const std::optional<RestoreFiles> files = MakeRestoreFiles(state, folder);
    if (!files) return;
    const char* const languages[] = {"ja", "en"};
    double seconds[2] = {};
    int rounds = 0;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            const int i = (k + rounds) % 2;
            const bench::ChildResult result = bench::RunInChild([&](bench::ChildTimes& t) {
                StartupRestore(folder.path(), files->dataFile, records, t, {}, languages[i]);
            });
            if (!result.times.ok) return state.SkipWithError(result.times.error);
            seconds[i] += result.times.seconds[0];
        }
        ++rounds;
    }
    if (rounds == 0) return;
    state.counters["japanese_s"] = seconds[0] / rounds;
    state.counters["english_s"] = seconds[1] / rounds;
    state.counters["english_ratio"] = seconds[1] / seconds[0];
}

}  // namespace

int main(int argc, char** argv) {
    // The restore opens windows; offscreen keeps them off any real desktop.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    benchmark::RegisterBenchmark("BM_StartupRestoreVsFullDecode", BM_StartupRestoreVsFullDecode)
        ->Args(smoke ? std::vector<int64_t>{3, 600, 400} : std::vector<int64_t>{100, 6000, 4000})
        ->ArgNames({"records", "width", "height"})
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    // With 100 records of 10 files, the cold restore finds the thumbnails its first decodes wrote
    // for the later records; 10 records of 10 files is the restore that finds none.
    benchmark::RegisterBenchmark("BM_StartupRestoreThumbnailCache", BM_StartupRestoreThumbnailCache)
        ->Args(smoke ? std::vector<int64_t>{3, 600, 400} : std::vector<int64_t>{100, 6000, 4000})
        ->Args(smoke ? std::vector<int64_t>{2, 600, 400} : std::vector<int64_t>{10, 6000, 4000})
        ->ArgNames({"records", "width", "height"})
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    // Screenshots: the size most PNG pins have.
    benchmark::RegisterBenchmark("BM_StartupRestorePngVsJpeg", BM_StartupRestorePngVsJpeg)
        ->Args(smoke ? std::vector<int64_t>{3, 600, 400} : std::vector<int64_t>{100, 1920, 1080})
        ->ArgNames({"records", "width", "height"})
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    // Pictures of a screen's size, so that the restore is short and the translator's share shows.
    benchmark::RegisterBenchmark("BM_StartupRestoreInEnglish", BM_StartupRestoreInEnglish)
        ->Args(smoke ? std::vector<int64_t>{3, 600, 400} : std::vector<int64_t>{20, 1920, 1080})
        ->ArgNames({"records", "width", "height"})
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    return bench::RunRegistered(&argc, argv);
}
