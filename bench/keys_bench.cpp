// The program's own keys on a real X server (a private Xvfb), against the roads they replace,
// measured in the same run in one running program (app::Desktop, as main makes it).
// Counters (milliseconds, medians of the rounds):
//   handover_ms    baseline: `vellora --capture` started for the same data folder, handed over
//                  to the running program, until the frozen overlay is exposed and painted
//   key_ms         the capture key pressed (`xdotool key`, a process started as the handover's
//                  is) until the overlay is exposed and painted
//   key_ratio      key_ms / handover_ms                              (held to at most 1.1)
//   start_ms       baseline: the program started (app::Desktop made, the restore done) with no
//                  key of its own
//   grabbed_ms     the same with every command's key grabbed
//   start_ratio    grabbed_ms / start_ms                             (held to at most 1.03)
//
// Full run:  keys_bench
// Smoke run: keys_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/desktop.h"
#include "app/launch.h"
#include "app/program.h"
#include "bench_support.h"
#include "preferences/preferences.h"
#include "window_watch.h"
#include "x_bench_session.h"
#include "x_session.h"

namespace {

const QSize kScreen(1600, 1200);
const QString kKeyNames[] = {QStringLiteral("capture"), QStringLiteral("capture-last"),
                             QStringLiteral("paste"), QStringLiteral("hide-all"),
                             QStringLiteral("pin-list")};
const char* const kKeys[] = {"Ctrl+Alt+K", "Ctrl+Alt+L", "Ctrl+Alt+V", "Ctrl+Alt+H", "Ctrl+Alt+P"};

bool OverlayShown(const bench::PaintWatch& watch) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String("CaptureOverlay") || !widget->isVisible()) {
            continue;
        }
        const QWindow* handle = widget->windowHandle();
        if (handle && handle->isExposed() && watch.Painted(widget)) return true;
    }
    return false;
}

void Cancel(app::Program& program) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String("CaptureOverlay")) continue;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(widget, &escape);
        break;
    }
    bench::ProcessEventsUntil([&] { return !program.Capturing(); }, 10000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

preferences::Preferences Keys(bool grabbed) {
    preferences::Preferences chosen;
    for (size_t i = 0; i < std::size(kKeyNames); ++i) {
        chosen.SetKey(kKeyNames[i],
                      grabbed ? QKeySequence::fromString(QLatin1String(kKeys[i])) : QKeySequence());
    }
    return chosen;
}

// The running program, for `folder`, as main makes it.
struct Running {
    Running(const QString& folder, bool grabbed)
        : arguments{QByteArray("vellora"), QByteArray("--data-dir"), folder.toLocal8Bit()},
          argv{arguments[0].data(), arguments[1].data(), arguments[2].data(), nullptr},
          launch(3, argv),
          program(launch.DataFile()),
          desktop(program, launch, Keys(grabbed)) {}
    QByteArray arguments[3];
    char* argv[4];
    app::Launch launch;
    app::Program program;
    app::Desktop desktop;
};

void BM_Keys(benchmark::State& state) {
    QTemporaryDir folder;
    bench::PaintWatch watch;
    qApp->installEventFilter(&watch);
    std::vector<double> handover, key, start, grabbed;
    const auto overlayAfter = [&](app::Program& program, const QString& command,
                                  const QStringList& arguments) {
        watch.Forget();
        const double begin = bench::Now();
        QProcess process;
        process.start(command, arguments);
        if (!bench::ProcessEventsUntil([&] { return OverlayShown(watch); }, 10000)) return -1.0;
        const double ms = 1000 * (bench::Now() - begin);
        process.waitForFinished();
        Cancel(program);
        return ms;
    };
    bool keysFirst = false;
    for (auto _ : state) {
        // In turn first and second: neither start pays alone for what the other left behind.
        keysFirst = !keysFirst;
        for (const bool withKeys : {keysFirst, !keysFirst}) {
            const double begin = bench::Now();
            auto running = std::make_unique<Running>(folder.path(), withKeys);
            (withKeys ? grabbed : start).push_back(1000 * (bench::Now() - begin));
            if (!withKeys) continue;
            const double viaHandover =
                overlayAfter(running->program, QStringLiteral(VELLORA_PROGRAM),
                             {QStringLiteral("--data-dir"), folder.path(), "--capture"});
            const double viaKey =
                overlayAfter(running->program, QStringLiteral("xdotool"), {"key", "ctrl+alt+k"});
            if (viaHandover < 0 || viaKey < 0) return state.SkipWithError("no overlay");
            handover.push_back(viaHandover);
            key.push_back(viaKey);
        }
    }
    state.counters["handover_ms"] = bench::Median(handover);
    state.counters["key_ms"] = bench::Median(key);
    state.counters["key_ratio"] = bench::Median(key) / bench::Median(handover);
    state.counters["start_ms"] = bench::Median(start);
    state.counters["grabbed_ms"] = bench::Median(grabbed);
    state.counters["start_ratio"] = bench::Median(grabbed) / bench::Median(start);
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::XBenchSession x = bench::StartXBenchSession(kScreen);
    if (!x.session) return x.exitCode;
    delete QCoreApplication::instance();
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::RegisterBenchmark("BM_Keys", [](benchmark::State& state) { BM_Keys(state); })
        ->Iterations(smoke ? 1 : 15)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    return bench::RunRegistered(&argc, argv);
}
