// The start-up restore as a user sees it: on a real X server (a private Xvfb) under a window
// manager, timed until every pinned window is on the screen, and the memory the pinned windows
// hold once start-up is over.
//
// Offscreen, creating a window costs a fraction of what it costs against an X server and a
// window manager, so the offscreen benchmarks understate the part of the restore that is the
// same for every picture; the ratios here are the ones a user meets.
//
// Every case runs in a child process of its own, with the X session's environment
// (DISPLAY, QT_QPA_PLATFORM=xcb, a private XDG_RUNTIME_DIR). The window manager is icewm when
// it is installed, else openbox; VELLORA_E2E_WM=openbox|icewm chooses.
//
// BM_DesktopRestore, each iteration: the restore without a thumbnail cache (nocache), with an
// empty cache (cold: it writes the thumbnails), with the cache that left (warm), and the same
// records pinning small pictures of the size shown, without a cache (floor). Counters (s):
//   *_s           from before the program is made until every pinned window is on screen:
//                 shown, exposed, painted once, and the X server has the pixels; the median
//                 of the samples (warm and floor run five times a round, in alternation)
//   *_started_s   until Program::Start returned (windows made and shown, nothing painted)
//   *_exposed_s   until the last window was exposed
//   warm_ratio    warm_s / floor_s        cold_ratio   cold_s / nocache_s
//
// BM_DesktopMemory, each iteration: no pins (base), `records` pins without a cache (nocache),
// with a warm cache (warm; a cold restore unmeasured before it fills the cache), and warm with
// every other pin at 60 % and ten following their files (settings). Each is measured 0.5 s
// after it is on screen. Counters (MiB):
//   base_MB                  resident memory with no pins
//   nocache_added_MB, warm_added_MB    resident memory above base_MB
//   pixels_MB                the pinned pictures' pixels: records x 400 x 300 x 4 x dpr^2
//   *_memory_ratio           *_added_MB / pixels_MB
//   *_loaded_added_MB        the same when Program::Start returned, before any paint: the
//                            pictures, without the windows' buffers
//   *_shm_added_MB           the shared memory in *_added_MB: window buffers in MIT-SHM segments,
//                            which the X server maps too
//   x_<case>_MB              how much the X server's resident memory grew while the
//                            case ran (information only: it depends on what it freed before)
//
// Full run:  desktop_bench                 (100 records of 6000x4000 photos, 10 files)
// Smoke run: desktop_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "bench_support.h"
#include "pin_board/pin_board.h"
#include "platform/pictures/thumbnail_cache.h"
#include "store/data_file.h"
#include "store/pin_settings.h"
#include "window_watch.h"
#include "x_session.h"

namespace {

constexpr int kDistinctFiles = 10;
// Pinned at 1480 x 1130 pixels at most (bench::DataFile): every window lies wholly on a screen
// of this size, so the window manager has no reason to move one.
constexpr QSize kScreen(1600, 1200);
constexpr int kOnScreenTimeoutMs = 180000;

// The slots of bench::ChildTimes a restore child fills.
enum Seconds { kOnScreen, kStarted, kExposed };
enum Megabytes { kResident, kServerGrowth, kPixels, kLoaded, kShared };

// The X session every child draws on; made once by main, as starting a window manager takes
// seconds.
struct Desktop {
    std::unique_ptr<e2e::XSession> session;
    QString unusable;  // why there is no session, when there is none
};

// One restore in a child: the data file written into `folder`, restored through a thumbnail
// cache in `thumbnails` when one is given.
struct RestoreCase {
    QString folder;
    QByteArray dataFile;
    int records = 0;
    QString thumbnails;
    bool atRest = false;          // also measure memory, after letting the windows settle
    bool chosenSettings = false;  // half the pins faded, ten following their files
};

// The settings a user who uses the pin menu may have: every other pin at 60 %, the first ten
// following their files.
QByteArray ChosenSettings(const QByteArray& dataFile) {
    QList<std::pair<store::PictureEntry, store::PinSettings>> pins;
    for (const store::Record& record : store::ReadDataFile(dataFile).records) {
        store::PinSettings settings;
        if (pins.size() % 2 == 1) settings.opacity = 60;
        settings.followFile = pins.size() < 10;
        pins.append({store::EntryOf(record), settings});
    }
    return store::FormatPinSettings(pins);
}

// Gives this process the session's environment as a whole, removals included.
void UseEnvironment(const QProcessEnvironment& environment) {
    for (const QString& name : QProcessEnvironment::systemEnvironment().keys()) {
        if (!environment.contains(name)) unsetenv(qPrintable(name));
    }
    for (const QString& name : environment.keys()) {
        setenv(qPrintable(name), qPrintable(environment.value(name)), 1);
    }
}

// The part of this process's resident memory that is shared memory: the MIT-SHM segments the
// window buffers are drawn in, which the X server maps as well.
double SharedMemoryMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("RssShmem:"))
            return line.mid(9).trimmed().split(' ')[0].toDouble() / 1024;
    }
    return 0;
}

struct Windows {
    int pinned = 0;
    bool exposed = true;
    bool painted = true;
};

// The program's visible top-level windows: the pinned ones, or the main window when nothing
// was pinned; each must be exposed and painted to count as on screen.
Windows VisibleWindows(const bench::PaintWatch& watch) {
    Windows windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        if (widget->objectName() == QLatin1String("PinnedWindow")) ++windows.pinned;
        const QWindow* handle = widget->windowHandle();
        windows.exposed = windows.exposed && handle && handle->isExposed();
        windows.painted = windows.painted && watch.Painted(widget);
    }
    return windows;
}

void Restore(const Desktop& desktop, const RestoreCase& restore, bench::ChildTimes& times) {
    UseEnvironment(desktop.session->Environment());
    // The session's harness made an application object in the parent for its QProcess calls;
    // this child makes its own QApplication, and there can be only one.
    delete QCoreApplication::instance();
    const pid_t server = desktop.session->ServerPid();
    const double serverBefore = bench::ResidentMb(server);

    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    if (const auto error = bench::EnterWithDataFile(restore.folder, restore.dataFile)) {
        return times.Fail(*error);
    }
    QFile settings(store::DataFolder(QStringLiteral("zuzerid.dat")).PinSettingsFile());
    if (restore.chosenSettings) {
        const QByteArray bytes = ChosenSettings(restore.dataFile);
        if (!settings.open(QIODevice::WriteOnly) || settings.write(bytes) != bytes.size()) {
            return times.Fail("cannot write the settings file");
        }
        settings.close();
    } else {
        settings.remove();
    }
    bench::PaintWatch watch;
    application.installEventFilter(&watch);

    const double start = bench::Now();
    app::Program program(QStringLiteral("zuzerid.dat"), restore.thumbnails);
    program.Start();
    times.seconds[kStarted] = bench::Now() - start;
    // Pictures loaded and windows made, nothing painted yet (reading it takes microseconds).
    if (restore.atRest) times.megabytes[kLoaded] = bench::ResidentMb();
    const bool onScreen = bench::ProcessEventsUntil(
        [&] {
            const Windows windows = VisibleWindows(watch);
            if (windows.exposed && times.seconds[kExposed] == 0) {
                times.seconds[kExposed] = bench::Now() - start;
            }
            return windows.exposed && windows.painted;
        },
        kOnScreenTimeoutMs);
    // The paints were sent as X requests; one round trip, and the server has drawn them.
    QGuiApplication::sync();
    times.seconds[kOnScreen] = bench::Now() - start;

    const Windows windows = VisibleWindows(watch);
    if (!onScreen) {
        return times.Fail(std::string("not on screen in time: ") +
                          (windows.exposed ? "painted" : "exposed") + " is missing");
    }
    if (windows.pinned != restore.records || program.Board().Count() != restore.records) {
        return times.Fail("pinned " + std::to_string(windows.pinned) + " of " +
                          std::to_string(restore.records) + " records");
    }
    if (restore.atRest) {
        // What a user's desktop holds once start-up is over: late events handled, caches of
        // the first paint settled.
        bench::ProcessEventsUntil([] { return false; }, 500);
        times.megabytes[kResident] = bench::ResidentMb();
        times.megabytes[kShared] = SharedMemoryMb();
        times.megabytes[kServerGrowth] = bench::ResidentMb(server) - serverBefore;
        const double ratio = application.devicePixelRatio();
        times.megabytes[kPixels] = restore.records * (bench::kPinnedWidthTwips / 15) *
                                   (bench::kPinnedHeightTwips / 15) * 4 * ratio * ratio /
                                   (1024.0 * 1024.0);
    }
    // Not timed: the restore does not wait for the cache's writes, but the next case needs them.
    if (program.Thumbnails()) program.Thumbnails()->Wait();
    times.ok = true;
}

bool Usable(const Desktop& desktop, benchmark::State& state) {
    if (desktop.session) return true;
    state.SkipWithError(desktop.unusable.toStdString().c_str());
    return false;
}

struct Pictures {
    QStringList photos, small;
};

std::optional<Pictures> PicturesFor(const benchmark::State& state, int records) {
    const QSize size(int(state.range(1)), int(state.range(2)));
    const QSize shown(int(bench::kPinnedWidthTwips / 15), int(bench::kPinnedHeightTwips / 15));
    Pictures pictures{bench::PhotoFiles(size, std::min(kDistinctFiles, records)),
                      bench::PhotoFiles(shown, std::min(kDistinctFiles, records))};
    if (pictures.photos.isEmpty() || pictures.small.isEmpty()) return std::nullopt;
    return pictures;
}

void BM_DesktopRestore(benchmark::State& state, const Desktop& desktop, int pairs) {
    if (!Usable(desktop, state)) return;
    const int records = int(state.range(0));
    const std::optional<Pictures> pictures = PicturesFor(state, records);
    QTemporaryDir folder;
    if (!pictures || !folder.isValid()) return state.SkipWithError("no pictures or no folder");
    const RestoreCase photos{
        folder.path(), bench::DataFile(pictures->photos, records), records, {}};
    const RestoreCase floor{folder.path(), bench::DataFile(pictures->small, records), records, {}};

    const char* names[] = {"nocache", "cold", "warm", "floor"};
    // Every sample of each case. The warm and floor restores take about half a second and vary
    // with whatever else the machine runs by more than the difference between them: they run in
    // alternation, several times a round, and are compared by their medians.
    std::vector<double> onScreen[4], started[4], exposed[4];
    for (auto _ : state) {
        QTemporaryDir cache;
        if (!cache.isValid()) return state.SkipWithError("no temporary folder");
        RestoreCase cached = photos;
        cached.thumbnails = cache.filePath(QStringLiteral("thumbnails"));
        // Cold before warm: the warm restore reads what the cold one wrote.
        std::vector<int> order = {0, 1};
        for (int pair = 0; pair < pairs; ++pair) order.insert(order.end(), {2, 3});
        const RestoreCase* cases[] = {&photos, &cached, &cached, &floor};
        for (const int i : order) {
            const bench::ChildResult result = bench::RunInChild(
                [&](bench::ChildTimes& times) { Restore(desktop, *cases[i], times); });
            if (!result.times.ok) {
                const std::string error = std::string(names[i]) + ": " + result.times.error;
                return state.SkipWithError(error.c_str());
            }
            onScreen[i].push_back(result.times.seconds[kOnScreen]);
            started[i].push_back(result.times.seconds[kStarted]);
            exposed[i].push_back(result.times.seconds[kExposed]);
        }
    }
    if (onScreen[0].empty()) return;
    double median[4];
    for (int i = 0; i < 4; ++i) {
        const std::string name = names[i];
        median[i] = bench::Median(onScreen[i]);
        state.counters[name + "_s"] = median[i];
        state.counters[name + "_started_s"] = bench::Median(started[i]);
        state.counters[name + "_exposed_s"] = bench::Median(exposed[i]);
    }
    state.counters["warm_ratio"] = median[2] / median[3];
    state.counters["cold_ratio"] = median[1] / median[0];
}

void BM_DesktopMemory(benchmark::State& state, const Desktop& desktop) {
    if (!Usable(desktop, state)) return;
    const int records = int(state.range(0));
    const std::optional<Pictures> pictures = PicturesFor(state, records);
    QTemporaryDir folder, cache;
    if (!pictures || !folder.isValid() || !cache.isValid()) {
        return state.SkipWithError("no pictures or no folder");
    }
    const QString thumbnails = cache.filePath(QStringLiteral("thumbnails"));
    const QByteArray dataFile = bench::DataFile(pictures->photos, records);
    const RestoreCase fill{folder.path(), dataFile, records, thumbnails};
    const RestoreCase base{folder.path(), {}, 0, {}, true};
    const RestoreCase nocache{folder.path(), dataFile, records, {}, true};
    const RestoreCase warm{folder.path(), dataFile, records, thumbnails, true};
    const RestoreCase chosen{folder.path(), dataFile, records, thumbnails, true, true};
    const bench::ChildResult filled =
        bench::RunInChild([&](bench::ChildTimes& times) { Restore(desktop, fill, times); });
    if (!filled.times.ok) return state.SkipWithError(filled.times.error);

    const char* names[] = {"base", "nocache", "warm", "settings"};
    double resident[4] = {}, loaded[4] = {}, shared[4] = {}, server[4] = {}, pixels = 0;
    int rounds = 0;
    for (auto _ : state) {
        const RestoreCase* cases[] = {&base, &nocache, &warm, &chosen};
        for (int i = 0; i < 4; ++i) {
            const bench::ChildResult result = bench::RunInChild(
                [&](bench::ChildTimes& times) { Restore(desktop, *cases[i], times); });
            if (!result.times.ok) {
                const std::string error = std::string(names[i]) + ": " + result.times.error;
                return state.SkipWithError(error.c_str());
            }
            resident[i] += result.times.megabytes[kResident];
            loaded[i] += result.times.megabytes[kLoaded];
            shared[i] += result.times.megabytes[kShared];
            server[i] += result.times.megabytes[kServerGrowth];
            pixels = std::max(pixels, result.times.megabytes[kPixels]);
        }
        ++rounds;
    }
    if (rounds == 0) return;
    state.counters["base_MB"] = resident[0] / rounds;
    state.counters["pixels_MB"] = pixels;
    for (int i = 0; i < 4; ++i) {
        const std::string name = names[i];
        state.counters["x_" + name + "_MB"] = server[i] / rounds;
        if (i == 0) continue;
        const double added = (resident[i] - resident[0]) / rounds;
        state.counters[name + "_added_MB"] = added;
        state.counters[name + "_loaded_added_MB"] = (loaded[i] - loaded[0]) / rounds;
        state.counters[name + "_shm_added_MB"] = (shared[i] - shared[0]) / rounds;
        state.counters[name + "_memory_ratio"] = pixels > 0 ? added / pixels : 0;
    }
}

// The session for every case. icewm by default: the figures the restore is held to were taken
// under it.
Desktop StartDesktop() {
    if (qEnvironmentVariableIsEmpty("VELLORA_E2E_WM") &&
        !QStandardPaths::findExecutable(QStringLiteral("icewm")).isEmpty()) {
        setenv("VELLORA_E2E_WM", "icewm", 1);
    }
    Desktop desktop;
    const QStringList missing = e2e::XSession::MissingTools();
    if (!missing.isEmpty()) {
        desktop.unusable = QStringLiteral("not installed: ") + missing.join(QLatin1Char(' '));
        return desktop;
    }
    auto session = std::make_unique<e2e::XSession>(kScreen);
    if (!session->Ok()) {
        desktop.unusable = session->Error();
        return desktop;
    }
    std::fprintf(stderr, "X session on %s under %s\n", qPrintable(session->Display()),
                 session->Manager() == e2e::WindowManager::IceWM ? "icewm" : "openbox");
    desktop.session = std::move(session);
    return desktop;
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    const Desktop desktop = StartDesktop();
    const std::vector<int64_t> photos =
        smoke ? std::vector<int64_t>{600, 400} : std::vector<int64_t>{6000, 4000};
    const auto withPhotos = [&](int64_t records) {
        return std::vector<int64_t>{records, photos[0], photos[1]};
    };
    benchmark::RegisterBenchmark(
        "BM_DesktopRestore",
        [&](benchmark::State& state) { BM_DesktopRestore(state, desktop, smoke ? 1 : 5); })
        ->Args(withPhotos(smoke ? 3 : 100))
        ->ArgNames({"records", "width", "height"})
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("BM_DesktopMemory",
                                 [&](benchmark::State& state) { BM_DesktopMemory(state, desktop); })
        ->Args(withPhotos(smoke ? 2 : 10))
        ->Args(withPhotos(smoke ? 3 : 100))
        ->ArgNames({"records", "width", "height"})
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    return bench::RunRegistered(&argc, argv);
}
