// Text recognition in pins, each figure beside a baseline measured in the same run.
//
// BM_RecogniseScreenshot: a 1920 x 1080 screenshot of Japanese and English text, recognised by
// a fresh recognizer with an empty cache (engine load, file read and decode, recognition, cache
// write), against the tesseract command line on the same file with the same languages.
//   program_ms, cli_ms   median times;  ratio   program_ms / cli_ms (goal: at most 1.15)
//   warm_ms              median time of the same request with the engine already loaded
//
// BM_ErrorRate: pictures of known text in IPAGothic and Liberation Sans at 12, 16 and 24 px;
// the character error rate of the program's text and of the command line's.
//   cer_program, cer_cli   mean over the pictures;  cer_*_<font><px> for each picture
//
// BM_Responsiveness: a 10 ms timer on the event loop while the screenshot is recognised, and
// for as long again with nothing running, the baseline.
//   late_max_ms, late_p99_ms             the largest and the 99th percentile lateness of a tick
//                                        while recognising (goal: at most 50)
//   late_idle_max_ms, late_idle_p99_ms   the same with nothing running
//
// BM_EngineMemory: resident memory before the first request, with the engine loaded, and once
// it was unloaded after its idle time.
//   before_mb, loaded_mb, unloaded_mb;  unloaded_ratio   unloaded_mb / before_mb (goal: 1.10)
//
// BM_SelectionDrag: a drag over 500 words on a 1600 x 900 picture, a step at a time, each step
// drawn; against a plain redraw of the same picture.
//   step_ms, redraw_ms, step_ratio   (goal: step_ms at most 16)
//
// Full run:  text_recognition_bench
// Smoke run: text_recognition_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "bench_support.h"
#include "pinned_window/text_selection.h"
#include "support/text_pictures.h"
#include "text_recognition/tesseract_engine.h"
#include "text_recognition/text_recognizer.h"

namespace {

using text_recognition::Recognition;
using text_recognition::TextRecognizer;

bool smoke = false;

QApplication& Application() {
    static auto* application = new QApplication(bench::ApplicationArgc(), bench::ApplicationArgv());
    return *application;
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

const QStringList kJapanese = {
    QStringLiteral("張り付けた画像の文字を選択してコピーします。"),
    QStringLiteral("日本語と英語の文字を、このコンピュータの中で読み取ります。"),
    QStringLiteral("設定は画像ごとに保存され、次に起動したときも続きます。"),
};
const QStringList kEnglish = {
    QStringLiteral("The quick brown fox jumps over the lazy dog."),
    QStringLiteral("Error 404: the requested page could not be found."),
    QStringLiteral("Pinned pictures stay on the desktop until they are unpinned."),
};

// The screenshot: both languages, alternating, filling 1920 x 1080.
QString Screenshot() {
    QString path = Folder().filePath(QStringLiteral("screenshot.png"));
    if (QFile::exists(path)) return path;
    QStringList lines;
    const int rows = smoke ? 4 : 16;
    for (int i = 0; i < rows; ++i) lines << (i % 2 ? kEnglish : kJapanese)[i / 2 % 3];
    test_support::TextPicture(lines, QStringLiteral("IPAGothic"), 24, QSize(1920, 1080)).save(path);
    return path;
}

QString Languages() {
    return text_recognition::LanguagesIn(text_recognition::DefaultDataPath()).value_or(QString());
}

// The command line's text of the file; its run time in `ms`.
QString CommandLine(const QString& file, double* ms = nullptr) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("tesseract"),
                  {file, QStringLiteral("stdout"), QStringLiteral("-l"), Languages()});
    process.waitForFinished(-1);
    if (ms) *ms = double(timer.nsecsElapsed()) / 1e6;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The program's words of the file, through a recognizer with a fresh cache.
Recognition Recognise(TextRecognizer& recognizer, const QString& file) {
    std::optional<Recognition> result;
    recognizer.Recognise(platform::FilePath::FromText(file), &recognizer,
                         [&](const Recognition& r) { result = r; });
    while (!result) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return *result;
}

text_recognition::RecognizerSettings FreshSettings(
    std::chrono::milliseconds idle = std::chrono::minutes(5)) {
    static int cache = 0;
    return {Folder().filePath(QStringLiteral("cache%1").arg(++cache)),
            text_recognition::DefaultDataPath(), idle};
}

bool Ready(benchmark::State& state) {
    Application();
    if (Languages().isEmpty() || QStandardPaths::findExecutable("tesseract").isEmpty()) {
        state.SkipWithError("no jpn and eng language data, or no tesseract command line");
        return false;
    }
    return true;
}

void BM_RecogniseScreenshot(benchmark::State& state) {
    if (!Ready(state)) return;
    const QString file = Screenshot();
    std::vector<double> program, cli, warm;
    for (auto _ : state) {
        double ms = 0;
        CommandLine(file, &ms);
        cli.push_back(ms);
        TextRecognizer recognizer(FreshSettings());
        QElapsedTimer timer;
        timer.start();
        Recognise(recognizer, file);
        program.push_back(double(timer.nsecsElapsed()) / 1e6);
        // The same picture under another name, which the cache does not hold.
        QFile::copy(file, file + ".copy.png");
        timer.start();
        Recognise(recognizer, file + ".copy.png");
        warm.push_back(double(timer.nsecsElapsed()) / 1e6);
        QFile::remove(file + ".copy.png");
    }
    state.counters["program_ms"] = bench::Median(program);
    state.counters["cli_ms"] = bench::Median(cli);
    state.counters["warm_ms"] = bench::Median(warm);
    state.counters["ratio"] = bench::Median(program) / bench::Median(cli);
}

void BM_ErrorRate(benchmark::State& state) {
    if (!Ready(state)) return;
    struct Font {
        const char* name;
        QString family;
        QStringList lines;
    };
    const Font fonts[] = {{"ipa", QStringLiteral("IPAGothic"), kJapanese + kEnglish},
                          {"liberation", QStringLiteral("Liberation Sans"), kEnglish}};
    const std::vector<int> sizes = smoke ? std::vector<int>{16} : std::vector<int>{12, 16, 24};
    for (auto _ : state) {
        TextRecognizer recognizer(FreshSettings());
        double program = 0;
        double cli = 0;
        int pictures = 0;
        for (const Font& font : fonts) {
            for (const int px : sizes) {
                const QString file =
                    Folder().filePath(QStringLiteral("%1-%2.png").arg(font.name).arg(px));
                test_support::TextPicture(font.lines, font.family, px).save(file);
                const QString truth = font.lines.join(QLatin1Char('\n'));
                const double p = test_support::CharacterErrorRate(
                    truth, text_recognition::TextOf(Recognise(recognizer, file).words));
                const double c = test_support::CharacterErrorRate(truth, CommandLine(file));
                const std::string key = std::string(font.name) + std::to_string(px);
                state.counters["cer_program_" + key] = p;
                state.counters["cer_cli_" + key] = c;
                program += p;
                cli += c;
                ++pictures;
            }
        }
        state.counters["cer_program"] = program / pictures;
        state.counters["cer_cli"] = cli / pictures;
    }
}

// The lateness of each tick of a 10 ms timer while `busy` holds, in milliseconds, sorted.
std::vector<double> LatenessWhile(const std::function<bool()>& busy) {
    QElapsedTimer clock;
    clock.start();
    std::vector<double> late;
    qint64 last = clock.nsecsElapsed();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        late.push_back(std::max(0.0, double(now - last) / 1e6 - 10.0));
        last = now;
    });
    tick.start(10);
    while (busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::sort(late.begin(), late.end());
    return late;
}

double Percentile(const std::vector<double>& sorted, double share) {
    return sorted.empty() ? 0 : sorted[size_t(double(sorted.size() - 1) * share)];
}

void BM_Responsiveness(benchmark::State& state) {
    if (!Ready(state)) return;
    const QString file = Screenshot();
    for (auto _ : state) {
        TextRecognizer recognizer(FreshSettings());
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        recognizer.Recognise(platform::FilePath::FromText(file), &recognizer,
                             [&](const Recognition&) { done = true; });
        const std::vector<double> busy = LatenessWhile([&] { return !done; });
        // The baseline: the same timer for as long again with nothing running.
        const qint64 took = timer.elapsed();
        timer.start();
        const std::vector<double> idle = LatenessWhile([&] { return timer.elapsed() < took; });
        state.counters["late_max_ms"] = busy.empty() ? 0 : busy.back();
        state.counters["late_p99_ms"] = Percentile(busy, 0.99);
        state.counters["late_idle_max_ms"] = idle.empty() ? 0 : idle.back();
        state.counters["late_idle_p99_ms"] = Percentile(idle, 0.99);
    }
}

// The process's anonymous resident memory (its heap and stacks, not the pages of the libraries
// it mapped), in MiB.
double AnonymousMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ')[0].toDouble() / 1024;
    }
    return 0;
}

void BM_EngineMemory(benchmark::State& state) {
    if (!Ready(state)) return;
    const QString file = Screenshot();
    for (auto _ : state) {
        TextRecognizer recognizer(FreshSettings(std::chrono::milliseconds(100)));
        const double before = bench::ResidentMb();
        const double beforeAnon = AnonymousMb();
        Recognise(recognizer, file);
        const double loaded = bench::ResidentMb();
        while (recognizer.EngineLoaded()) QApplication::processEvents(QEventLoop::AllEvents, 20);
        const double unloaded = bench::ResidentMb();
        state.counters["anon_before_mb"] = beforeAnon;
        state.counters["anon_unloaded_mb"] = AnonymousMb();
        state.counters["before_mb"] = before;
        state.counters["loaded_mb"] = loaded;
        state.counters["unloaded_mb"] = unloaded;
        state.counters["unloaded_ratio"] = unloaded / before;
    }
}

// A picture of 25 lines of 20 words, drawn stretched as a pin draws its picture.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(QImage picture) : picture_(std::move(picture)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), picture_);
    }

private:
    QImage picture_;
};

void BM_SelectionDrag(benchmark::State& state) {
    Application();
    const QSize size(1600, 900);
    text_recognition::Words words;
    for (int line = 0; line < 25; ++line) {
        for (int i = 0; i < 20; ++i) {
            words.push_back(
                {QStringLiteral("word"), QRect(20 + i * 78, 20 + line * 34, 70, 24), line});
        }
    }
    PictureWidget picture(test_support::PhotoWithoutText(size));
    picture.resize(size);
    picture.show();
    auto* layer = new pinned_window::TextSelection(&picture, words, size);
    layer->show();
    QApplication::processEvents();
    std::vector<double> steps, redraws;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        picture.repaint();
        redraws.push_back(double(timer.nsecsElapsed()) / 1e6);
        const QPointF from(30, 30);
        QMouseEvent press(QEvent::MouseButtonPress, from, layer->mapToGlobal(from), Qt::LeftButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(layer, &press);
        for (int step = 1; step <= 50; ++step) {
            const QPointF to(30 + step * 30, 30 + step * 17);
            QMouseEvent move(QEvent::MouseMove, to, layer->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, {});
            timer.start();
            QApplication::sendEvent(layer, &move);
            picture.repaint();
            steps.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    state.counters["step_ms"] = bench::Median(steps);
    state.counters["redraw_ms"] = bench::Median(redraws);
    state.counters["step_ratio"] = bench::Median(steps) / bench::Median(redraws);
    state.counters["selected_words"] =
        double(layer->Selection().last - layer->Selection().first + 1);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    const int iterations = smoke ? 1 : 3;
    for (const auto& [name, function] :
         {std::pair{"BM_EngineMemory", &BM_EngineMemory},
          std::pair{"BM_RecogniseScreenshot", &BM_RecogniseScreenshot},
          std::pair{"BM_ErrorRate", &BM_ErrorRate},
          std::pair{"BM_Responsiveness", &BM_Responsiveness},
          std::pair{"BM_SelectionDrag", &BM_SelectionDrag}}) {
        benchmark::RegisterBenchmark(name, function)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(name == std::string("BM_SelectionDrag") ? 10 : iterations);
    }
    return bench::RunRegistered(&argc, argv);
}
