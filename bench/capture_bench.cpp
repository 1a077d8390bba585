// A capture of a part of the screen on a real X server (a private 1600x1200 Xvfb), in one
// running program, against what the X server and the encoder alone take in the same run.
// Counters (milliseconds, medians of the rounds; MiB):
//   grab_ms            baseline: a bare xcb_get_image of the whole root window, on its own
//                      connection
//   overlay_ms         Program::Capture until the frozen overlay is exposed, painted and the X
//                      server has its pixels
//   overlay_ratio      overlay_ms / grab_ms                          (held to at most 2)
//   write_and_pin_ms   baseline: the 800x600 region encoded as PNG with the same encoder,
//                      written through QSaveFile and shown as one pin, until it is on screen
//   release_ms         the left button's release over the overlay until the pin of that region
//                      is on screen, its file written
//   release_ratio      release_ms / write_and_pin_ms                 (held to at most 1.3)
//   added_MB           resident memory after a capture, its overlay gone, above before it
//   budget_MB          the pin's own pixels plus 10 % of the frozen frame
//   memory_ratio       added_MB / budget_MB                          (held to at most 1)
// With 100 top-level windows of another client mapped (BM_Outline):
//   overlay_ms         as above, the windows read at the freeze
//   windows_ms         reading those windows alone, as the freeze does
//   windows_share      windows_ms / (overlay_ms - windows_ms)        (held to at most 0.1)
//   marks_ms           baseline: a motion that moves nothing, until the overlay's marks are
//                      repainted and the X server has them
//   outline_ms         a motion onto another window, until its outline is drawn
//   outline_ratio      outline_ms / marks_ms                         (held to at most 2)
//
// Full run:  capture_bench
// Smoke run: capture_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/program.h"
#include "bench_support.h"
#include "capture_window/screen_source.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/twips.h"
#include "platform/pictures/pasted_picture.h"
#include "platform/x11/top_windows.h"
#include "window_watch.h"
#include "x_bench_session.h"
#include "x_session.h"

namespace {

const QSize kScreen(1600, 1200);
const QRect kRegion(100, 100, 800, 600);

// Once the X server has handled everything sent so far, the pixels drawn included.
void Sync() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

QWidget* Shown(const bench::PaintWatch& watch, const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String(name) || !widget->isVisible()) continue;
        const QWindow* handle = widget->windowHandle();
        if (handle && handle->isExposed() && watch.Painted(widget)) return widget;
    }
    return nullptr;
}

double GrabMs(const QString& display) {
    xcb_connection_t* connection = xcb_connect(qPrintable(display), nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const double start = bench::Now();
    std::free(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                                          screen->width_in_pixels, screen->height_in_pixels, ~0U),
                            nullptr));
    const double ms = 1000 * (bench::Now() - start);
    xcb_disconnect(connection);
    return ms;
}

void Mouse(QWidget* overlay, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, overlay->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(overlay, &event);
}

void BM_Capture(benchmark::State& state, const e2e::XSession& session) {
    QTemporaryDir folder;
    app::Program program(folder.filePath(QStringLiteral("zuzerid.dat")));
    program.Start();
    bench::PaintWatch watch;
    qApp->installEventFilter(&watch);
    const auto noFailure = [&](const QString& reason) { state.SkipWithError(qPrintable(reason)); };
    const auto overlayUp = [&] {
        watch.Forget();
        const double start = bench::Now();
        program.Capture(false, noFailure, [](const QString&) {});
        if (!bench::ProcessEventsUntil([&] { return Shown(watch, "CaptureOverlay"); }, 10000))
            return -1.0;
        Sync();
        return 1000 * (bench::Now() - start);
    };
    // The newest pin: exposed and painted.
    const auto pinUp = [&](int pins) {
        return bench::ProcessEventsUntil(
            [&] {
                const QList<pinned_window::PinnedWindow*> windows = program.Board().Windows();
                if (windows.size() != pins) return false;
                const QWindow* handle = windows.last()->windowHandle();
                return handle && handle->isExposed() && watch.Painted(windows.last());
            },
            10000);
    };
    std::vector<double> grab, overlay, baseline, release, added;
    for (auto _ : state) {
        grab.push_back(GrabMs(session.Display()));
        // The overlay, cancelled.
        const double up = overlayUp();
        if (up < 0) return state.SkipWithError("no overlay");
        overlay.push_back(up);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(Shown(watch, "CaptureOverlay"), &escape);
        bench::ProcessEventsUntil([&] { return !program.Capturing(); }, 10000);

        // The same region written and pinned without a capture.
        const int pins = int(program.Board().Windows().size());
        capture_window::FrozenDesktop frozen;
        {
            auto source = capture_window::MakeX11ScreenSource();
            QObject::connect(source.get(), &capture_window::ScreenSource::frozen,
                             [&](const capture_window::FrozenDesktop& d) { frozen = d; });
            source->Freeze();
        }
        const QImage pixels = frozen.Copy(kRegion);
        frozen = {};
        watch.Forget();
        double start = bench::Now();
        const platform::Pasted written = platform::WriteNewPng(
            platform::EncodePng(pixels).value_or(QByteArray()), folder.filePath("base"));
        program.Board().Pin(
            {written.file,
             std::make_shared<platform::PictureData>(written.file, pixels.size(), pixels),
             platform::TwipsRectOf(kRegion)});
        if (!pinUp(pins + 1)) return state.SkipWithError("no pin");
        Sync();
        baseline.push_back(1000 * (bench::Now() - start));

        // A capture of it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const double before = bench::ResidentMb();
        if (overlayUp() < 0) return state.SkipWithError("no overlay");
        QWidget* shown = Shown(watch, "CaptureOverlay");
        Mouse(shown, QEvent::MouseButtonPress, kRegion.topLeft());
        Mouse(shown, QEvent::MouseMove, kRegion.bottomRight() + QPoint(1, 1));
        watch.Forget();
        start = bench::Now();
        Mouse(shown, QEvent::MouseButtonRelease, kRegion.bottomRight() + QPoint(1, 1));
        if (!pinUp(pins + 2)) return state.SkipWithError("no captured pin");
        Sync();
        release.push_back(1000 * (bench::Now() - start));
        bench::ProcessEventsUntil([&] { return !program.Capturing(); }, 10000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        added.push_back(bench::ResidentMb() - before);
    }
    const double budget =
        (kRegion.width() * kRegion.height() * 4 + 0.1 * kScreen.width() * kScreen.height() * 4) /
        (1024.0 * 1024.0);
    state.counters["grab_ms"] = bench::Median(grab);
    state.counters["overlay_ms"] = bench::Median(overlay);
    state.counters["overlay_ratio"] = bench::Median(overlay) / bench::Median(grab);
    state.counters["write_and_pin_ms"] = bench::Median(baseline);
    state.counters["release_ms"] = bench::Median(release);
    state.counters["release_ratio"] = bench::Median(release) / bench::Median(baseline);
    state.counters["added_MB"] = bench::Median(added);
    state.counters["budget_MB"] = budget;
    state.counters["memory_ratio"] = bench::Median(added) / budget;
}

// Windows of another client, in a grid of `columns` over the screen, mapped; they go with the
// connection.
xcb_connection_t* MapWindows(const QString& display, int count, int columns) {
    xcb_connection_t* connection = xcb_connect(qPrintable(display), nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const int width = kScreen.width() / columns, height = kScreen.height() / (count / columns);
    for (int i = 0; i < count; ++i) {
        const xcb_window_t window = xcb_generate_id(connection);
        const uint32_t white = screen->white_pixel;
        xcb_create_window(
            connection, XCB_COPY_FROM_PARENT, window, screen->root, int16_t(i % columns * width),
            int16_t(i / columns * height), uint16_t(width - 20), uint16_t(height - 30), 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &white);
        xcb_map_window(connection, window);
    }
    xcb_flush(connection);
    return connection;
}

void BM_Outline(benchmark::State& state, const e2e::XSession& session) {
    constexpr int kWindows = 100, kColumns = 10;
    xcb_connection_t* others = MapWindows(session.Display(), kWindows, kColumns);
    const auto listed = [] {
        return platform::ReadTopWindows().value_or(std::vector<platform::TopWindow>());
    };
    if (!bench::ProcessEventsUntil([&] { return listed().size() >= size_t(kWindows); }, 20000)) {
        xcb_disconnect(others);
        return state.SkipWithError("the window manager lists fewer windows");
    }
    const std::vector<platform::TopWindow> windows = listed();
    QTemporaryDir folder;
    app::Program program(folder.filePath(QStringLiteral("zuzerid.dat")));
    program.Start();
    bench::PaintWatch watch;
    qApp->installEventFilter(&watch);
    std::vector<double> overlay, reading, marks, outline;
    const auto move = [&](QWidget* shown, QPoint at) {
        watch.Forget();
        const double start = bench::Now();
        QMouseEvent event(QEvent::MouseMove, at, shown->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(shown, &event);
        if (!bench::ProcessEventsUntil([&] { return watch.Painted(shown); }, 5000)) return -1.0;
        Sync();
        return 1000 * (bench::Now() - start);
    };
    int round = 0;
    for (auto _ : state) {
        double start = bench::Now();
        listed();
        reading.push_back(1000 * (bench::Now() - start));
        watch.Forget();
        start = bench::Now();
        program.Capture(
            false, [&](const QString& reason) { state.SkipWithError(qPrintable(reason)); },
            [](const QString&) {});
        if (!bench::ProcessEventsUntil([&] { return Shown(watch, "CaptureOverlay"); }, 10000)) {
            return state.SkipWithError("no overlay");
        }
        Sync();
        overlay.push_back(1000 * (bench::Now() - start));
        QWidget* shown = Shown(watch, "CaptureOverlay");
        for (int i = 0; i < 10; ++i, ++round) {
            const QPoint at = windows[size_t(round * 7 % kWindows)].client.center();
            if (move(shown, at) < 0) return state.SkipWithError("no outline");
            // Nothing moves: the marks alone are drawn again.
            const double plain = move(shown, at);
            const double onto =
                move(shown, windows[size_t((round * 7 + 3) % kWindows)].client.center());
            if (plain < 0 || onto < 0) return state.SkipWithError("no outline");
            marks.push_back(plain);
            outline.push_back(onto);
        }
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(shown, &escape);
        bench::ProcessEventsUntil([&] { return !program.Capturing(); }, 10000);
    }
    xcb_disconnect(others);
    const double read = bench::Median(reading);
    state.counters["overlay_ms"] = bench::Median(overlay);
    state.counters["windows_ms"] = read;
    state.counters["windows_share"] = read / (bench::Median(overlay) - read);
    state.counters["marks_ms"] = bench::Median(marks);
    state.counters["outline_ms"] = bench::Median(outline);
    state.counters["outline_ratio"] = bench::Median(outline) / bench::Median(marks);
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::XBenchSession x = bench::StartXBenchSession(kScreen);
    if (!x.session) return x.exitCode;
    e2e::XSession* session = x.session.get();
    // The harness made an application object for its QProcess calls; this one has windows.
    delete QCoreApplication::instance();
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    benchmark::RegisterBenchmark("BM_Capture",
                                 [&](benchmark::State& state) { BM_Capture(state, *session); })
        ->Iterations(smoke ? 1 : 15)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Outline",
                                 [&](benchmark::State& state) { BM_Outline(state, *session); })
        ->Iterations(smoke ? 1 : 15)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    return bench::RunRegistered(&argc, argv);
}
