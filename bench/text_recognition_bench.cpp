// Text recognition in pins, each figure beside a baseline measured in the same run.
//
// BM_RecogniseScreenshot: a 1920 x 1080 screenshot of Japanese and English text at 13 px, as an
// interface shows it, recognised by
// a fresh recognizer with an empty cache (engine load, file read and decode, recognition, cache
// write), against the tesseract command line on the same file with the same languages.
//   program_ms, cli_ms   median times;  ratio   program_ms / cli_ms (goal: at most 2)
//   warm_ms              median time of the same request with the engine already loaded
//   program_cpu_ms, cli_cpu_ms, cpu_ratio   the same in processor time, which another program
//                        busy on the machine leaves alone (the worker runs at a lower priority
//                        than the command line, and waits longer for a core beside a build)
//
// BM_ErrorRate: 40 pictures of three lines of known text: Japanese in Noto Sans CJK JP and
// IPAGothic, English in DejaVu Sans, Liberation Sans and Noto Sans, at 11, 12, 14 and 16 px,
// dark on light and light on dark; the character error rate (blanks left out, NFKC) of the
// program's text and of the command line's.
//   cer_program, cer_cli   mean over the pictures;  cer_*_<font><px><shade> for each picture
//   cer_ratio              cer_program / cer_cli (goal: at most 0.5)
//   worst_difference       the largest cer_program - cer_cli of a picture (goal: at most 0.01)
//   blanks_program, blanks_cli   blanks between two Japanese characters (goal: 0 for the program)
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
#include <sys/resource.h>

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
#include "text_recognition/code_reader.h"
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
    const int rows = smoke ? 4 : 44;
    for (int i = 0; i < rows; ++i) lines << (i % 2 ? kEnglish : kJapanese)[i / 2 % 3];
    test_support::TextPicture(lines, QStringLiteral("IPAGothic"), 13, QSize(1920, 1080)).save(path);
    return path;
}

QString Languages() {
    return text_recognition::LanguagesIn(text_recognition::DefaultDataPath()).value_or(QString());
}

// Processor time used so far by this process, or by its children that ended, in milliseconds.
double ProcessorMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
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
    std::vector<double> program, cli, warm, programCpu, cliCpu;
    for (auto _ : state) {
        double ms = 0;
        const double children = ProcessorMs(RUSAGE_CHILDREN);
        CommandLine(file, &ms);
        cliCpu.push_back(ProcessorMs(RUSAGE_CHILDREN) - children);
        cli.push_back(ms);
        TextRecognizer recognizer(FreshSettings());
        QElapsedTimer timer;
        const double self = ProcessorMs(RUSAGE_SELF);
        timer.start();
        Recognise(recognizer, file);
        program.push_back(double(timer.nsecsElapsed()) / 1e6);
        programCpu.push_back(ProcessorMs(RUSAGE_SELF) - self);
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
    state.counters["program_cpu_ms"] = bench::Median(programCpu);
    state.counters["cli_cpu_ms"] = bench::Median(cliCpu);
    state.counters["cpu_ratio"] = bench::Median(programCpu) / bench::Median(cliCpu);
}

// What reading the codes adds to a recognition: ZXing over the 1920 x 1080 screenshot, which
// holds none, against the engine over the same picture, loaded beforehand.
//   recognise_ms   the engine's words     codes_ms   the codes' search
//   codes_ratio    codes_ms / recognise_ms (the budget is 0.1)
void BM_CodesBesideRecognition(benchmark::State& state) {
    if (!Ready(state)) return;
    const QImage picture(Screenshot());
    text_recognition::TesseractEngine engine;
    if (engine.Load(text_recognition::DefaultDataPath(), Languages())) {
        return state.SkipWithError("the engine does not load");
    }
    std::vector<double> recognise, codes;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(engine.Recognise(picture));
        recognise.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.start();
        if (!text_recognition::ReadCodes(picture).empty()) {
            return state.SkipWithError("codes read where there are none");
        }
        codes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    state.counters["recognise_ms"] = bench::Median(recognise);
    state.counters["codes_ms"] = bench::Median(codes);
    state.counters["codes_ratio"] = bench::Median(codes) / bench::Median(recognise);
}

// Whether `c` is written in Japanese: kana, kanji, Japanese punctuation, full-width forms.
bool IsJapanese(uint c) {
    const QChar::Script script = QChar::script(char32_t(c));
    return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
           script == QChar::Script_Katakana || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// The blanks of the text that stand between two Japanese characters of one line.
int BlanksInJapanese(const QString& text) {
    int blanks = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QList<uint> ucs = line.toUcs4();
        uint before = 0;  // the last character other than a blank
        for (qsizetype i = 0; i < ucs.size(); ++i) {
            if (!QChar::isSpace(char32_t(ucs[i]))) {
                before = ucs[i];
                continue;
            }
            qsizetype next = i;
            while (next < ucs.size() && QChar::isSpace(char32_t(ucs[next]))) ++next;
            if (next < ucs.size() && IsJapanese(before) && IsJapanese(ucs[next])) ++blanks;
            i = next - 1;
        }
    }
    return blanks;
}

double ErrorRate(const QString& truth, const QString& read) {
    return test_support::CharacterErrorRate(truth.normalized(QString::NormalizationForm_KC),
                                            read.normalized(QString::NormalizationForm_KC));
}

void BM_ErrorRate(benchmark::State& state) {
    if (!Ready(state)) return;
    struct Font {
        const char* name;
        QString family;
        QStringList lines;
    };
    const std::vector<Font> fonts = {
        {"notocjk", QStringLiteral("Noto Sans CJK JP"), kJapanese},
        {"ipa", QStringLiteral("IPAGothic"), kJapanese},
        {"dejavu", QStringLiteral("DejaVu Sans"), kEnglish},
        {"liberation", QStringLiteral("Liberation Sans"), kEnglish},
        {"noto", QStringLiteral("Noto Sans"), kEnglish},
    };
    const std::vector<int> sizes = smoke ? std::vector<int>{12} : std::vector<int>{11, 12, 14, 16};
    const std::vector<bool> shades =
        smoke ? std::vector<bool>{false} : std::vector<bool>{false, true};
    for (auto _ : state) {
        TextRecognizer recognizer(FreshSettings());
        double program = 0;
        double cli = 0;
        double worst = -1;
        int blanksProgram = 0;
        int blanksCli = 0;
        int pictures = 0;
        for (const Font& font : fonts) {
            for (const int px : sizes) {
                for (const bool dark : shades) {
                    const std::string key =
                        std::string(font.name) + std::to_string(px) + (dark ? "dark" : "light");
                    const QString file = Folder().filePath(QString::fromStdString(key) + ".png");
                    QImage picture = test_support::TextPicture(font.lines, font.family, px);
                    if (dark) picture.invertPixels();
                    picture.save(file);
                    const QString truth = font.lines.join(QLatin1Char('\n'));
                    const QString read =
                        text_recognition::TextOf(Recognise(recognizer, file).words);
                    const QString readCli = CommandLine(file);
                    const double p = ErrorRate(truth, read);
                    const double c = ErrorRate(truth, readCli);
                    state.counters["cer_program_" + key] = p;
                    state.counters["cer_cli_" + key] = c;
                    program += p;
                    cli += c;
                    worst = std::max(worst, p - c);
                    blanksProgram += BlanksInJapanese(read);
                    blanksCli += BlanksInJapanese(readCli);
                    ++pictures;
                }
            }
        }
        state.counters["pictures"] = pictures;
        state.counters["cer_program"] = program / pictures;
        state.counters["cer_cli"] = cli / pictures;
        state.counters["cer_ratio"] = cli > 0 ? program / cli : 0;
        state.counters["worst_difference"] = worst;
        state.counters["blanks_program"] = blanksProgram;
        state.counters["blanks_cli"] = blanksCli;
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
          std::pair{"BM_CodesBesideRecognition", &BM_CodesBesideRecognition},
          std::pair{"BM_ErrorRate", &BM_ErrorRate},
          std::pair{"BM_Responsiveness", &BM_Responsiveness},
          std::pair{"BM_SelectionDrag", &BM_SelectionDrag}}) {
        benchmark::RegisterBenchmark(name, function)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond)
            // The error rates are the same every time: one pass.
            ->Iterations(name == std::string("BM_SelectionDrag") ? 10
                         : name == std::string("BM_ErrorRate")   ? 1
                                                                 : iterations);
    }
    return bench::RunRegistered(&argc, argv);
}
