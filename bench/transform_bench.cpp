// Turned, flipped and cropped pins, each against the same work untransformed in the same run:
//   BM_Turn                 a right turn of a 24-megapixel pin shown at 1200x800, from the
//                           command to its turned pixels painted, against a plain decode of the
//                           file at the pin's size (turn_ms, decode_ms, turn_ratio)
//   BM_RestoreTransformed   the start-up restore of 100 pins, half of them turned or cropped,
//                           against the same restore untransformed (transformed_s, plain_s,
//                           time_ratio)
//   BM_CropMemory           the pixels a 24-megapixel pin cropped to a quarter keeps at 1200x800
//                           (kept_MB), against what its window shows (window_MB) and what the
//                           whole picture at that scale would take (uncut_MB)
//
// Full run:  transform_bench
// Smoke run: transform_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <utility>

#include "app/program.h"
#include "bench_support.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/pictures/picture.h"
#include "program_runs.h"

namespace {

bool smoke = false;

using platform::PictureTransform;
using platform::TransformStep;

// The one pin of a program, or null.
pinned_window::PinnedWindow* OnlyPin(app::Program& program) {
    const auto windows = program.Board().Windows();
    return windows.size() == 1 ? windows.front() : nullptr;
}

// A folder whose data file pins one 24-megapixel photo at 1200 x 800.
struct OnePin {
    QTemporaryDir folder;
    QString photo;
    bool Ready() {
        const QStringList photos =
            bench::PhotoFiles(smoke ? QSize(1800, 1200) : QSize(6000, 4000), 1);
        if (photos.isEmpty() || !folder.isValid()) return false;
        photo = photos.front();
        return !bench::EnterWithDataFile(folder.path(), bench::DataFile(photos, 1));
    }
};

void BM_Turn(benchmark::State& state) {
    OnePin one;
    if (!one.Ready()) return state.SkipWithError("no photo or folder");
    for (auto _ : state) {
        const bench::ChildResult child = bench::WithProgramIn(
            one.folder.path(), [&](app::Program& program, bench::ChildTimes& times) {
                pinned_window::PinnedWindow* pin = OnlyPin(program);
                if (!pin) return times.Fail("the photo was not pinned");
                const QSize shown = pin->DecodeTarget();
                // In turns, a decode then a turn, and the medians.
                std::vector<double> turns, decodes;
                for (int n = 0; n < (smoke ? 2 : 9); ++n) {
                    double start = bench::Now();
                    const platform::PictureLoad load =
                        platform::LoadPicture(platform::FilePath::FromText(one.photo), shown);
                    decodes.push_back(bench::Now() - start);
                    if (!load) return times.Fail("the photo did not decode");
                    start = bench::Now();
                    emit pin->transformRequested(platform::Stepped(
                        pin->Settings().transform,
                        n % 2 ? TransformStep::TurnLeft : TransformStep::TurnRight));
                    turns.push_back(bench::Now() - start);
                }
                times.seconds[0] = bench::Median(turns);
                times.seconds[1] = bench::Median(decodes);
                times.ok = true;
            });
        if (!child.times.ok) return state.SkipWithError(child.times.error);
        state.counters["turn_ms"] = child.times.seconds[0] * 1000;
        state.counters["decode_ms"] = child.times.seconds[1] * 1000;
        state.counters["turn_ratio"] = child.times.seconds[0] / child.times.seconds[1];
    }
}

void BM_RestoreTransformed(benchmark::State& state) {
    const int records = smoke ? 4 : 100;
    bench::RestorePair folders;
    if (!folders.Make(bench::PhotoFiles({1200, 800}, 10), records))
        return state.SkipWithError("no photos or folders");
    // Both folders started once, so both have their settings file; every other pin of one is
    // turned or cropped by the program itself, kept as it keeps them.
    for (const QTemporaryDir* folder : {&folders.plain, &folders.other}) {
        const bool transform = folder == &folders.other;
        const bench::ChildResult setUp = bench::WithProgramIn(
            folder->path(), [&](app::Program& program, bench::ChildTimes& times) {
                const auto windows = program.Board().Windows();
                const PictureTransform turned =
                    platform::Stepped(PictureTransform{}, TransformStep::TurnRight);
                const PictureTransform cropped{
                    .turns = 0, .mirrored = false, .crop = QRect(300, 200, 600, 400)};
                for (qsizetype n = 0; transform && n < windows.size(); n += 2) {
                    emit windows[n]->transformRequested(n % 4 ? cropped : turned);
                }
                times.ok = true;
            });
        if (!setUp.times.ok) return state.SkipWithError(setUp.times.error);
    }
    const auto seconds = bench::TakeTurnsRestoring(state, folders, records);
    if (!seconds) return;
    state.counters["plain_s"] = seconds->first;
    state.counters["transformed_s"] = seconds->second;
    state.counters["time_ratio"] = seconds->second / seconds->first;
}

void BM_CropMemory(benchmark::State& state) {
    OnePin one;
    if (!one.Ready()) return state.SkipWithError("no photo or folder");
    for (auto _ : state) {
        const bench::ChildResult child = bench::WithProgramIn(
            one.folder.path(), [&](app::Program& program, bench::ChildTimes& times) {
                pinned_window::PinnedWindow* pin = OnlyPin(program);
                if (!pin || !pin->Picture()) return times.Fail("the photo was not pinned");
                // The middle quarter of the picture as shown, then the pin at 1200 x 800.
                const QSize natural = pin->Picture()->NaturalSize();
                emit pin->transformRequested(
                    platform::Cropped({}, natural,
                                      QRectF(natural.width() / 4.0, natural.height() / 4.0,
                                             natural.width() / 2.0, natural.height() / 2.0)));
                pin->Place(pin->Left(), pin->Top(), 18000, 12000);
                const QSize target = pin->DecodeTarget();
                pin->Picture()->FitTo(target);
                const auto megabytes = [](QSize size) {
                    return double(size.width()) * size.height() * 4 / (1 << 20);
                };
                times.megabytes[0] = double(pin->Picture()->Pixels().sizeInBytes()) / (1 << 20);
                times.megabytes[1] = megabytes(target);
                // The whole picture at the scale the crop is shown at.
                times.megabytes[2] = megabytes(target * 2);
                times.ok = pin->Picture()->NaturalSize() == natural / 2;
            });
        if (!child.times.ok) return state.SkipWithError("the crop was not made");
        state.counters["kept_MB"] = child.times.megabytes[0];
        state.counters["window_MB"] = child.times.megabytes[1];
        state.counters["uncut_MB"] = child.times.megabytes[2];
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    benchmark::RegisterBenchmark("BM_Turn", BM_Turn)->Iterations(1)->UseRealTime();
    benchmark::RegisterBenchmark("BM_RestoreTransformed", BM_RestoreTransformed)
        ->Iterations(smoke ? 1 : 7)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_CropMemory", BM_CropMemory)->Iterations(1);
    return bench::RunRegistered(&argc, argv);
}
