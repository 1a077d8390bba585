// A wheel step on a pinned 24-megapixel photo shown at 400 x 300, with a warm thumbnail cache:
// from the wheel event to the pin repainted at its new size, against one plain repaint of the
// same pin measured in the same iteration. Steps go up and down in turn, so the pin stays near
// 400 x 300; a step up needs more detail than the pixels on hand, a step down does not.
//
// Counters (milliseconds unless named otherwise):
//   step_ms, up_ms, down_ms   median time of a step, of the steps up, of the steps down
//   repaint_ms                median time of a plain repaint of the pin at 400 x 300
//   step_ratio                step_ms / repaint_ms
//   sharp_at_once             the share of steps drawn sharp at once (1: none waited for a decode)
//
// BM_WheelStepColdCache is a step up that the cache cannot serve (its thumbnails are removed
// before each one): the step is drawn at once from the pixels on hand, and a decode made aside
// replaces it.
//   step_ms    median time of the step on screen (stretched)
//   sharp_ms   median time from the wheel event until the decode is on screen
//
// Full run:  wheel_bench
// Smoke run: wheel_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/number_text.h"
#include "platform/core/sequential_file.h"
#include "platform/gui/controls.h"
#include "platform/pictures/thumbnail_cache.h"
#include "store/data_file.h"

namespace {

bool smoke = false;

QSize PhotoSize() {
    return smoke ? QSize(600, 450) : QSize(5664, 4248);  // 24 megapixels, 4:3
}

// One pinned photo at `shown` pixels on a board with a thumbnail cache that its restore and a
// first zoom in and out have filled.
struct PinnedPhoto {
    QTemporaryDir folder;
    std::unique_ptr<platform::ThumbnailCache> cache;
    std::unique_ptr<pin_board::PinBoard> board;
    pinned_window::PinnedWindow* pin = nullptr;

    explicit PinnedPhoto(QSize shown) {
        const QStringList photos = bench::PhotoFiles(PhotoSize(), 1);
        if (photos.isEmpty() || !folder.isValid()) return;
        static QApplication* application =
            new QApplication(bench::ApplicationArgc(), bench::ApplicationArgv());
        (void)application;
        const QByteArray record =
            platform::PrintZoneLine({"0", "0",
                                     platform::NumberText(float(shown.width() * 15)).toLatin1(),
                                     platform::NumberText(float(shown.height() * 15)).toLatin1()}) +
            QFile::encodeName(photos[0]) + "\r\n";
        if (bench::EnterWithDataFile(folder.path(), record)) return;
        cache = std::make_unique<platform::ThumbnailCache>(folder.filePath("thumbnails"));
        board = std::make_unique<pin_board::PinBoard>(folder.filePath("zuzerid.dat"), cache.get());
        board->SetZoomSaveDelay(0);
        board->Restore();
        if (board->Windows().size() != 1) return;
        pin = board->Windows()[0];
        QApplication::processEvents();
        cache->Wait();
    }

    void Step(int delta) const {
        const QPointF centre(pin->width() / 2.0, pin->height() / 2.0);
        QWheelEvent wheel(centre, pin->mapToGlobal(centre), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        // Sent by hand, it is not handed on from the picture to the window as the X server's is.
        QApplication::sendEvent(pin, &wheel);
        pin->repaint();
    }
    bool Sharp() const { return pin->Picture()->Origin().has_value(); }
};

double Ms(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

void BM_WheelStep(benchmark::State& state) {
    PinnedPhoto photo(QSize(400, 300));
    if (!photo.pin) return state.SkipWithError("no pin");
    // Warms the cache for the larger size too, as a first zoom does.
    photo.Step(120);
    photo.Step(-120);
    QApplication::processEvents();
    photo.cache->Wait();
    std::vector<double> steps[2], repaints;
    int sharp = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        photo.pin->repaint();
        repaints.push_back(Ms(timer));
        for (const int i : {0, 1}) {
            timer.start();
            photo.Step(i == 0 ? 120 : -120);
            steps[i].push_back(Ms(timer));
            sharp += photo.Sharp() ? 1 : 0;
            // What came back from the window system meanwhile is handled before the next
            // step, as the event loop does between two wheel events.
            QApplication::processEvents();
        }
        QApplication::processEvents();  // the zoom's save
    }
    std::vector<double> all = steps[0];
    all.insert(all.end(), steps[1].begin(), steps[1].end());
    const double step = bench::Median(all), repaint = bench::Median(repaints);
    state.counters["step_ms"] = step;
    state.counters["up_ms"] = bench::Median(steps[0]);
    state.counters["down_ms"] = bench::Median(steps[1]);
    state.counters["repaint_ms"] = repaint;
    state.counters["step_ratio"] = repaint > 0 ? step / repaint : 0;
    state.counters["sharp_at_once"] = all.empty() ? 0 : double(sharp) / double(all.size());
}

void BM_WheelStepColdCache(benchmark::State& state) {
    PinnedPhoto photo(QSize(400, 300));
    if (!photo.pin) return state.SkipWithError("no pin");
    std::vector<double> steps, sharp;
    for (auto _ : state) {
        photo.cache->Wait();
        QDir(photo.cache->Root()).removeRecursively();
        QElapsedTimer timer;
        timer.start();
        photo.Step(120);
        steps.push_back(Ms(timer));
        while (!photo.Sharp() && timer.elapsed() < 10000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        photo.pin->repaint();
        sharp.push_back(Ms(timer));
        photo.Step(-120);
        QApplication::processEvents();
    }
    state.counters["step_ms"] = bench::Median(steps);
    state.counters["sharp_ms"] = bench::Median(sharp);
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless another platform is asked for: under xcb it measures the drawing on an X
    // server.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    for (const auto& [name, function] :
         {std::pair{"BM_WheelStep", &BM_WheelStep},
          std::pair{"BM_WheelStepColdCache", &BM_WheelStepColdCache}}) {
        auto* registered = benchmark::RegisterBenchmark(name, function)
                               ->UseRealTime()
                               ->Unit(benchmark::kMillisecond)
                               ->Iterations(smoke ? 2 : 40);
        (void)registered;
    }
    return bench::RunRegistered(&argc, argv);
}
