// A pinned animated GIF of 400 x 300 pixels, 50 frames at 10 frames a second, playing, against
// the same pin showing its first frame. Each case runs in a child process of its own: it pins
// the GIF at its own size, lets it settle for a second, then runs the event loop for the
// measured time, reading its resident memory at every tenth of a second. Counters:
//   play_core, still_core     process CPU time over wall time, a fraction of one core
//   added_core                play_core - still_core
//   play_MB, still_MB         the highest resident memory seen while measured
//   added_frames              (play_MB - still_MB) over one frame's pixels (400 x 300 x 4 bytes)
//   frames_drawn              frames of the animation drawn while measured (0 for the still pin)
//   covered_core, covered_frames_drawn   the playing pin under another window that covers it
//                             entirely; on X without a compositing manager it stops (under the
//                             offscreen platform nothing tells it so, and it plays on)
//
// Full run:  animation_bench
// Smoke run: animation_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <ctime>

#include "bench_support.h"
#include "pinned_window/pinned_window.h"
#include "platform/pictures/picture.h"
#include "support/test_files.h"

namespace {

const QSize kGifSize(400, 300);
constexpr int kFrames = 50;
constexpr int kDelayCs = 10;
constexpr double kFrameMb = 400.0 * 300 * 4 / (1024 * 1024);

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop for `seconds`, reading the resident memory every 100 ms; the highest.
double RunFor(double seconds) {
    double highest = bench::ResidentMb();
    QEventLoop loop;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout,
                     [&] { highest = std::max(highest, bench::ResidentMb()); });
    sample.start(100);
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    return std::max(highest, bench::ResidentMb());
}

// slots: seconds[0] CPU seconds, seconds[1] wall seconds, seconds[2] frames drawn;
// megabytes[0] the highest resident memory while measured.
enum class Case { Still, Play, Covered };

void Pin(const QString& gif, Case which, double settle, double measured, bench::ChildTimes& times) {
    const bool play = which != Case::Still;
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    const platform::PictureLoad load =
        platform::LoadPicture(platform::FilePath::FromText(gif), kGifSize);
    if (!load) return times.Fail("the GIF could not be loaded");
    pinned_window::PinnedWindow pin;
    pin.SetPicture(load.picture);
    pin.Place(0, 0, float(bench::kPinnedWidthTwips), float(bench::kPinnedHeightTwips));
    store::PinSettings settings;
    settings.playAnimation = play;
    pin.SetSettings(settings);
    pin.ShowPinned();
    QWidget cover(nullptr, Qt::Window | Qt::FramelessWindowHint);
    if (which == Case::Covered) {
        cover.setGeometry(pin.geometry().adjusted(-20, -20, 20, 20));
        cover.show();
        cover.raise();
    }
    RunFor(settle);
    if (which != Case::Covered && play != pin.AnimationRunning()) {
        return times.Fail("the pin is not in the state asked");
    }
    const int drawnBefore = pin.AnimationFramesDrawn();
    const double cpuStart = CpuSeconds();
    const double wallStart = bench::Now();
    times.megabytes[0] = RunFor(measured);
    times.seconds[0] = CpuSeconds() - cpuStart;
    times.seconds[1] = bench::Now() - wallStart;
    times.seconds[2] = pin.AnimationFramesDrawn() - drawnBefore;
    times.ok = true;
}

void BM_PlayingGifVsStill(benchmark::State& state, bool smoke) {
    QTemporaryDir folder;
    const QString gif = folder.filePath(QStringLiteral("moving.gif"));
    // Bands that move 8 pixels a frame, in four colours.
    const QByteArray bytes = test_support::AnimatedGifBytes(
        kGifSize, {qRgb(230, 60, 40), qRgb(40, 160, 60), qRgb(30, 60, 200), qRgb(250, 250, 250)},
        kFrames, kDelayCs, [](int frame, int x, int y) { return ((x + 8 * frame) / 16 + y / 32); });
    if (!folder.isValid() || !test_support::WriteBytes(gif, bytes)) {
        return state.SkipWithError("cannot write the GIF");
    }
    const double settle = smoke ? 0.2 : 1.0;
    const double measured = smoke ? 0.5 : 5.0;
    double cpu[3] = {}, wall[3] = {}, highest[3] = {}, drawn[3] = {};
    int rounds = 0;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            const bench::ChildResult result = bench::RunInChild(
                [&](bench::ChildTimes& times) { Pin(gif, Case(i), settle, measured, times); });
            if (!result.times.ok) return state.SkipWithError(result.times.error);
            cpu[i] += result.times.seconds[0];
            wall[i] += result.times.seconds[1];
            highest[i] = std::max(highest[i], result.times.megabytes[0]);
            drawn[i] += result.times.seconds[2];
        }
        ++rounds;
    }
    if (rounds == 0) return;
    state.counters["play_core"] = cpu[1] / wall[1];
    state.counters["still_core"] = cpu[0] / wall[0];
    state.counters["added_core"] = cpu[1] / wall[1] - cpu[0] / wall[0];
    state.counters["play_MB"] = highest[1];
    state.counters["still_MB"] = highest[0];
    state.counters["added_frames"] = (highest[1] - highest[0]) / kFrameMb;
    state.counters["frames_drawn"] = drawn[1] / rounds;
    state.counters["covered_core"] = cpu[2] / wall[2];
    state.counters["covered_frames_drawn"] = drawn[2] / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    benchmark::RegisterBenchmark("BM_PlayingGifVsStill", BM_PlayingGifVsStill, smoke)
        ->Iterations(smoke ? 1 : 3)
        ->Unit(benchmark::kMillisecond);
    return bench::RunRegistered(&argc, argv);
}
