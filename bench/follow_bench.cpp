// A pin that follows its file, rewritten in place and replaced by a rename: the time from the
// start of the write to the pin's new pixels painted, against decoding the same file at the
// pin's size (LoadPicture, as the follower itself ends), measured in the same run.
//
// Each iteration writes the other of two photos over the followed file, waits for the pin's
// first paint with the new picture, then loads the file it now holds at the pin's size. Counters:
//   follow_ms, follow_max_ms   write to painted pixels: the median and the slowest
//   load_ms                    the baseline: LoadPicture of that file at the pin's size (median)
//   ratio                      follow_ms / load_ms
//
// Full run:  follow_bench                 (6000 x 4000 photos, a 400 x 267 pin)
// Smoke run: follow_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/pictures/picture.h"
#include "support/test_files.h"

namespace {

bool WriteVersion(const QString& path, const QByteArray& bytes, bool rename) {
    if (!rename) {
        QFile file(path);  // the same inode, truncated and written again
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(bytes) == bytes.size();
    }
    const QString next = path + QStringLiteral(".new");
    return test_support::WriteBytes(next, bytes) &&
           std::rename(QFile::encodeName(next).constData(), QFile::encodeName(path).constData()) ==
               0;
}

// The time of the pin's first paint with a picture other than `before`.
class PaintClock : public QObject {
public:
    explicit PaintClock(pinned_window::PinnedWindow* pin) : pin_(pin) {
        pin->installEventFilter(this);
    }
    void Reset() { before_ = pin_->Picture(), paintedAt_ = 0; }
    double PaintedAt() const { return paintedAt_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && pin_->Picture() != before_ && paintedAt_ == 0) {
            paintedAt_ = bench::Now();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    pinned_window::PinnedWindow* pin_;
    platform::Picture before_;
    double paintedAt_ = 0;
};

void BM_FollowedFile(benchmark::State& state) {
    const bool rename = state.range(0) != 0;
    const QSize size(int(state.range(1)), int(state.range(2)));
    const QStringList photos = bench::PhotoFiles(size, 2);
    if (photos.size() != 2) return state.SkipWithError("cannot generate the photos");
    const QByteArray versions[] = {test_support::ReadBytes(photos[0]),
                                   test_support::ReadBytes(photos[1])};
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("pictures"));
    const QString path = folder.filePath(QStringLiteral("pictures/followed.jpg"));
    if (!test_support::WriteBytes(path, versions[0])) return state.SkipWithError("cannot write");
    const platform::FilePath file = platform::FilePath::FromText(path);

    pin_board::PinBoard board(folder.filePath(QStringLiteral("zuzerid.dat")), nullptr);
    const float height = float(bench::kPinnedWidthTwips) * float(size.height()) / size.width();
    board.Pin({file,
               platform::LoadPicture(file).picture,
               {0, 0, float(bench::kPinnedWidthTwips), height}});
    board.List().ChangeSettings(board.List().At(0).id,
                                [](store::PinSettings& settings) { settings.followFile = true; });
    pinned_window::PinnedWindow* pin = board.Windows().at(0);
    QApplication::processEvents();
    // Wakes the wait below now and then, should a version never arrive.
    QTimer wake;
    wake.start(50);

    std::vector<double> follows, loads;
    int next = 1;
    PaintClock clock(pin);
    for (auto _ : state) {
        clock.Reset();
        const double start = bench::Now();
        if (!WriteVersion(path, versions[next], rename)) return state.SkipWithError("write");
        while (clock.PaintedAt() == 0 && bench::Now() - start < 5) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (clock.PaintedAt() == 0) return state.SkipWithError("the pin did not follow");
        const double followed = clock.PaintedAt() - start;
        state.SetIterationTime(followed);
        follows.push_back(followed);
        const double loadStart = bench::Now();
        benchmark::DoNotOptimize(platform::LoadPicture(file, pin->DecodeTarget()));
        loads.push_back(bench::Now() - loadStart);
        next = 1 - next;
    }
    if (follows.empty()) return;
    state.counters["follow_ms"] = 1000 * bench::Median(follows);
    state.counters["follow_max_ms"] = 1000 * *std::max_element(follows.begin(), follows.end());
    state.counters["load_ms"] = 1000 * bench::Median(loads);
    state.counters["ratio"] = bench::Median(follows) / bench::Median(loads);
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    for (const int rename : {0, 1}) {
        auto* benchmark = benchmark::RegisterBenchmark(
            rename ? "BM_FollowedFile/rename" : "BM_FollowedFile/in_place", BM_FollowedFile);
        benchmark
            ->Args(smoke ? std::vector<int64_t>{rename, 600, 400}
                         : std::vector<int64_t>{rename, 6000, 4000})
            ->ArgNames({"rename", "width", "height"})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        if (!smoke) benchmark->Iterations(30);
    }
    return bench::RunRegistered(&argc, argv);
}
