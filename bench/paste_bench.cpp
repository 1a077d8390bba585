// A paste of a 1920x1080 screenshot into the display window, against opening the same PNG as a
// file, in one running program. The paste comes as the clipboard hands it over: PNG bytes (what
// screenshot tools and browsers offer) or an image Qt has already decoded (any other type).
// Counters (milliseconds, medians of the rounds):
//   open_file_ms     Program::OpenPicture of the PNG, until the display window shows it
//   paste_png_ms     Program::TakePicture of image/png bytes: written into "pasted", then shown
//   paste_image_ms   the same from a decoded image, which is encoded as PNG first
//   png_ratio, image_ratio   the pastes against open_file_ms
//
// Full run:  paste_bench
// Smoke run: paste_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/program.h"
#include "bench_support.h"
#include "display_window/display_window.h"
#include "pin_board/pin_board.h"
#include "platform/core/file_path.h"
#include "support/test_files.h"
#include "text_recognition/text_recognizer.h"

namespace {

// A screenshot-like picture: flat panels, a gradient and lines of "text".
QImage Screenshot(QSize size) {
    QImage image = test_support::Filled(size, QColor(0xf0, 0xf0, 0xf0));
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            if (y < 40) line[x] = qRgb(40, 60, 90 + y);
            if (x > 300 && y > 80 && (y / 16) % 2 == 0 && ((x * 7 + y * 3) % 11) < 5) {
                line[x] = qRgb(20, 20, 20);
            }
        }
    }
    return image;
}

void BM_PasteVsOpenFile(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    QTemporaryDir folder;
    if (!folder.isValid()) return state.SkipWithError("no temporary folder");
    const QImage picture = Screenshot(size);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    const QString file = folder.filePath(QStringLiteral("shot.png"));
    if (!test_support::WriteBytes(file, png)) return state.SkipWithError("cannot write");

    app::Program program(folder.filePath(QStringLiteral("zuzerid.dat")));
    program.Start();
    display_window::DisplayWindow& display = program.DisplayWindow();
    // Shown once the display window is on screen and its first paint is done.
    const auto timed = [&](const std::function<bool()>& open) {
        const double start = bench::Now();
        const bool ok = open() && display.isVisible();
        QApplication::processEvents();
        const double ms = 1000 * (bench::Now() - start);
        display.Unload();
        return ok ? ms : -1.0;
    };
    std::vector<double> samples[3];
    for (auto _ : state) {
        const double ms[3] = {
            timed([&] { return !program.OpenPicture(platform::FilePath::FromText(file)); }),
            timed([&] {
                QMimeData data;
                data.setData(QStringLiteral("image/png"), png);
                return !program.TakePicture(&data);
            }),
            timed([&] {
                QMimeData data;
                data.setImageData(picture);
                return !program.TakePicture(&data);
            }),
        };
        for (int i = 0; i < 3; ++i) {
            if (ms[i] < 0) return state.SkipWithError("a picture did not open");
            samples[i].push_back(ms[i]);
        }
    }
    const double open = bench::Median(samples[0]);
    state.counters["open_file_ms"] = open;
    state.counters["paste_png_ms"] = bench::Median(samples[1]);
    state.counters["paste_image_ms"] = bench::Median(samples[2]);
    state.counters["png_ratio"] = bench::Median(samples[1]) / open;
    state.counters["image_ratio"] = bench::Median(samples[2]) / open;
}

// A paste of a 200-line text against a paste of a screenshot PNG of the same pixel size, and
// of a 100 KB page, in one running program. Counters (milliseconds, medians):
//   paste_png_ms    Program::TakePicture of image/png bytes the size of the text's picture:
//                   written, read back, shown
//   paste_text_ms   Program::TakePicture of the text: drawn and shown, while its PNG file is
//                   encoded and written on a worker thread
//   text_ratio      paste_text_ms / paste_png_ms (the budget is 1.5)
//   text_written_ms from the paste of the text until its file is written, which each round
//                   waits for after the clock stops, so that no write runs into the next paste
//   paste_page_ms   the same for a 100 KB page with tables and lists (the budget is 200 ms)
void BM_PasteTextVsPng(benchmark::State& state) {
    const int lines = int(state.range(0));
    QTemporaryDir folder;
    if (!folder.isValid()) return state.SkipWithError("no temporary folder");
    QString text;
    for (int i = 0; i < lines; ++i) {
        text +=
            QStringLiteral("%1  The quick brown fox jumps over the lazy dog, line %1.\n").arg(i);
    }
    QString page = QStringLiteral("<html><body>");
    for (int i = 0; page.size() < 100 * 1024; ++i) {
        page += QStringLiteral(
                    "<h2>Section %1</h2><p>Some <b>bold</b> and <i>slanted</i> text of "
                    "paragraph %1.</p><ul><li>one</li><li>two</li></ul><table>"
                    "<tr><td>cell %1</td><td>%1</td></tr></table>")
                    .arg(i);
    }
    page += QStringLiteral("</body></html>");

    app::Program program(folder.filePath(QStringLiteral("zuzerid.dat")));
    program.Start();
    display_window::DisplayWindow& display = program.DisplayWindow();
    // A text is kept once its file is written, on the recognizer's thread, which tells when
    // it is done; that too ends before the next round.
    int kept = 0;
    QObject::connect(&program.TextRecognizer(), &text_recognition::TextRecognizer::recognised,
                     [&kept] { ++kept; });
    double writtenMs = 0;
    const auto timed = [&](const QMimeData& data) {
        const int keeping = kept + (data.hasImage() || data.hasFormat("image/png") ? 0 : 1);
        const double start = bench::Now();
        const bool ok = !program.TakePicture(&data) && display.isVisible();
        QApplication::processEvents();
        const double ms = 1000 * (bench::Now() - start);
        program.Board().WaitForWrites();
        writtenMs = 1000 * (bench::Now() - start);
        while (kept < keeping) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        display.Unload();
        return ok ? ms : -1.0;
    };
    QMimeData textData;
    textData.setText(text);
    QMimeData pageData;
    pageData.setHtml(page);
    // The baseline: a screenshot-like PNG as large as the text's picture.
    if (timed(textData) < 0) return state.SkipWithError("the text did not open");
    const QDir pasted(folder.filePath(QStringLiteral("pasted")));
    const QImage drawn(pasted.filePath(pasted.entryList({QStringLiteral("*.png")}).constFirst()));
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        Screenshot(drawn.size()).save(&buffer, "PNG");
    }
    QMimeData pngData;
    pngData.setData(QStringLiteral("image/png"), png);
    std::vector<double> samples[3], written;
    for (auto _ : state) {
        const double png = timed(pngData), text = timed(textData);
        written.push_back(writtenMs);
        const double ms[3] = {png, text, timed(pageData)};
        for (int i = 0; i < 3; ++i) {
            if (ms[i] < 0) return state.SkipWithError("a paste did not open");
            samples[i].push_back(ms[i]);
        }
    }
    state.counters["text_written_ms"] = bench::Median(written);
    state.counters["paste_png_ms"] = bench::Median(samples[0]);
    state.counters["paste_text_ms"] = bench::Median(samples[1]);
    state.counters["text_ratio"] = bench::Median(samples[1]) / bench::Median(samples[0]);
    state.counters["paste_page_ms"] = bench::Median(samples[2]);
    state.counters["width"] = drawn.width();
    state.counters["height"] = drawn.height();
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    benchmark::RegisterBenchmark("BM_PasteVsOpenFile", BM_PasteVsOpenFile)
        ->Args(smoke ? std::vector<int64_t>{320, 200} : std::vector<int64_t>{1920, 1080})
        ->ArgNames({"width", "height"})
        ->Iterations(smoke ? 1 : 15)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PasteTextVsPng", BM_PasteTextVsPng)
        ->Arg(smoke ? 5 : 200)
        ->ArgName("lines")
        ->Iterations(smoke ? 1 : 15)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    return bench::RunRegistered(&argc, argv);
}
