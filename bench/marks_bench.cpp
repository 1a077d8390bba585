// Marks on pins, each against the same work without marks in the same run:
//   BM_Stroke             a pen stroke's motion event to its painted pixels on a 1920x1080 pin
//                         shown at full size, against a plain repaint of that pin
//                         (stroke_ms, plain_ms, stroke_ratio)
//   BM_ManyMarks          a full repaint of that pin with 500 marks of every kind, 10 mosaics
//                         among them, against the plain repaint (marked_ms, plain_ms,
//                         marked_ratio); and one whole-picture mosaic (mosaic_ms, mosaic_ratio)
//   BM_RestoreWithMarks   the start-up restore of 100 pins with 50 marks each, against the same
//                         restore without (marked_s, plain_s, time_ratio)
//   BM_MarksMemory        what 1,000 marks of every kind add to a child's resident memory
//                         (added_MB)
//
// Full run:  marks_bench
// Smoke run: marks_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <utility>

#include "app/program.h"
#include "bench_support.h"
#include "marks/mark_set.h"
#include "marks/marks_store.h"
#include "pin_board/pin_board.h"
#include "pinned_window/marking_mode.h"
#include "pinned_window/pinned_window.h"
#include "platform/pictures/picture.h"
#include "program_runs.h"

namespace {

bool smoke = false;

// One mark of each kind in turn, the n-th of them somewhere over a picture of `size`; every
// fiftieth a mosaic.
marks::Mark MixedMark(int n, QSize size) {
    using marks::Kind;
    static constexpr Kind kKinds[] = {Kind::Pen,       Kind::Highlighter, Kind::Line, Kind::Arrow,
                                      Kind::Rectangle, Kind::Ellipse,     Kind::Text, Kind::Number};
    const QPointF at((n * 97) % (size.width() - 200) + 20, (n * 61) % (size.height() - 200) + 20);
    marks::Mark mark{.kind = n % 50 == 49 ? Kind::Mosaic : kKinds[n % 8],
                     .points = {at, at + QPointF(120, 80)},
                     .color = QColor::fromHsv((n * 37) % 360, 220, 220),
                     .width = qreal(2 + n % 4),
                     .text = {}};
    if (mark.kind == Kind::Pen || mark.kind == Kind::Highlighter) {
        mark.points.clear();
        for (int i = 0; i < 40; ++i)
            mark.points.append(at + QPointF(3 * i, 20 * std::sin(i / 4.0)));
    }
    if (mark.kind == Kind::Text) mark.text = QStringLiteral("確認する field %1").arg(n);
    if (mark.kind == Kind::Text || mark.kind == Kind::Number) mark.points.resize(1);
    return mark;
}

// A pin of a 1920x1080 picture at its own size, shown, on the offscreen platform.
struct ShownPin {
    ShownPin() {
        QImage pixels(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < pixels.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < pixels.width(); ++x) row[x] = qRgb(x % 256, y % 256, (x ^ y) % 256);
        }
        window.SetPicture(
            std::make_shared<platform::PictureData>(platform::FilePath(), pixels.size(), pixels));
        window.Place(0, 0, 1920 * 15, 1080 * 15);
        window.ShowPinned();
        QApplication::processEvents();
    }
    // The median of `rounds` repaints made by `change`, in milliseconds.
    double Milliseconds(const std::function<void()>& change, int rounds) {
        std::vector<double> samples;
        for (int i = 0; i < rounds; ++i) {
            const double start = bench::Now();
            change();
            QApplication::processEvents();
            samples.push_back((bench::Now() - start) * 1000);
        }
        return bench::Median(samples);
    }
    double PlainRepaint(int rounds) {
        return Milliseconds([&] { window.update(); }, rounds);
    }

    pinned_window::PinnedWindow window;
    marks::MarkSet set;
};

void BM_Stroke(benchmark::State& state) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    const int rounds = smoke ? 3 : 200;
    for (auto _ : state) {
        ShownPin pin;
        const double plain = pin.PlainRepaint(rounds);
        pin.window.StartMarking(pin.set);
        QWidget* picture = pin.window.findChild<QWidget*>(QStringLiteral("picture"));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 500), QPointF(100, 500),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(picture, &press);
        int step = 0;
        const double stroke = pin.Milliseconds(
            [&] {
                ++step;
                const QPointF at(100 + 4 * step, 500 + 40 * std::sin(step / 10.0));
                QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::LeftButton,
                                 Qt::NoModifier);
                QApplication::sendEvent(picture, &move);
            },
            rounds);
        state.counters["plain_ms"] = plain;
        state.counters["stroke_ms"] = stroke;
        state.counters["stroke_ratio"] = stroke / plain;
    }
}

void BM_ManyMarks(benchmark::State& state) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    const int rounds = smoke ? 3 : 50;
    for (auto _ : state) {
        ShownPin pin;
        const double plain = pin.PlainRepaint(rounds);
        for (int n = 0; n < 500; ++n) pin.set.Add(MixedMark(n, {1920, 1080}));
        pin.window.SetMarks(&pin.set);
        const double marked = pin.PlainRepaint(rounds);
        pin.set.Clear();
        pin.set.Add(marks::Mark{.kind = marks::Kind::Mosaic,
                                .points = {{0, 0}, {1920, 1080}},
                                .color = Qt::black,
                                .width = 4,
                                .text = {}});
        const double mosaic = pin.PlainRepaint(rounds);
        state.counters["plain_ms"] = plain;
        state.counters["marked_ms"] = marked;
        state.counters["marked_ratio"] = marked / plain;
        state.counters["mosaic_ms"] = mosaic;
        state.counters["mosaic_ratio"] = mosaic / plain;
    }
}

void BM_RestoreWithMarks(benchmark::State& state) {
    const int records = smoke ? 3 : 100;
    const int perPin = smoke ? 5 : 50;
    bench::RestorePair folders;
    if (!folders.Make(bench::PhotoFiles({1200, 800}, 10), records))
        return state.SkipWithError("no photos or folders");
    // Both folders started once, so both have their settings file; the pins of one are given
    // marks by the program itself, kept as it keeps them.
    for (const auto& setting :
         {std::pair{folders.plain.path(), 0}, std::pair{folders.other.path(), perPin}}) {
        // clang 16, and clang-tidy reads this file with clang 14.
        const int marksPerPin = setting.second;
        const bench::ChildResult setUp = bench::WithProgramIn(
            setting.first, [&](app::Program& program, bench::ChildTimes& times) {
                pin_list::PinList& list = program.Board().List();
                for (int row = 0; marksPerPin > 0 && row < list.Count(); ++row) {
                    marks::MarkSet* set = list.MarksToEdit(list.At(row).id);
                    for (int n = 0; n < marksPerPin; ++n) {
                        set->Add(MixedMark(n + row, {1200, 800}));
                    }
                }
                list.Marks().SaveNow();
                times.ok = true;
            });
        if (!setUp.times.ok) return state.SkipWithError(setUp.times.error);
    }
    const auto seconds = bench::TakeTurnsRestoring(state, folders, records);
    if (!seconds) return;
    state.counters["plain_s"] = seconds->first;
    state.counters["marked_s"] = seconds->second;
    state.counters["time_ratio"] = seconds->second / seconds->first;
}

void BM_MarksMemory(benchmark::State& state) {
    for (auto _ : state) {
        const bench::ChildResult child = bench::RunInChild([](bench::ChildTimes& times) {
            QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
            // Fonts and the first mark's allocations are not the marks' cost.
            marks::MarkSet warm;
            warm.Add(MixedMark(6, {1920, 1080}));
            (void)warm.Marks().first().Bounds();
            const double before = bench::ResidentMb();
            marks::MarkSet set;
            for (int n = 0; n < 1000; ++n) set.Add(MixedMark(n, {1920, 1080}));
            times.megabytes[0] = bench::ResidentMb() - before;
            times.ok = set.Marks().size() == 1000;
        });
        if (!child.times.ok) return state.SkipWithError("the marks were not made");
        state.counters["added_MB"] = child.times.megabytes[0];
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    benchmark::RegisterBenchmark("BM_Stroke", BM_Stroke)->Iterations(1)->UseRealTime();
    benchmark::RegisterBenchmark("BM_ManyMarks", BM_ManyMarks)->Iterations(1)->UseRealTime();
    benchmark::RegisterBenchmark("BM_RestoreWithMarks", BM_RestoreWithMarks)
        ->Iterations(smoke ? 1 : 7)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_MarksMemory", BM_MarksMemory)->Iterations(1);
    return bench::RunRegistered(&argc, argv);
}
