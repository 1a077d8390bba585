// The pin list window, boards and the restore with boards, each against a baseline measured in
// the same run, each case in a child process of its own. Counters:
//   BM_ListWindow (1,000 pins of 1,000 files, their thumbnails already in the cache)
//     cached_ms, bare_ms   the window from its making to its list painted, with the thumbnail
//                          cache and without one (median); ratio = cached_ms / bare_ms
//     loads_at_show        thumbnails read for the first paint (only the rows in view)
//     loads_scrolled       thumbnails read by then scrolling to the end and back
//     most_of_one_file     the most reads of any one thumbnail (1: none read twice)
//     keystroke_ms, keystroke_max_ms   a search key typed, to the list painted (median, slowest)
//     first_added_MB, first_left_MB    resident memory with the first window scrolled through,
//                          and after it closed; again_added_MB, again_left_MB for a second one
//   BM_BoardShowHide (50 pins; the platform is the label)
//     board_ms, pins_ms    the 50 pins hidden and shown again with their board, and one by one
//                          (median); ratio = board_ms / pins_ms
//   BM_RestoreWithBoards (100 pins)
//     boards_s, one_board_s   the restore with five boards, two hidden, and with every pin in
//                             the first board (median); ratio = boards_s / one_board_s
//   BM_StartWithManyBoards (boards is the argument)
//     listed_s, listed_baseline_s   the start of 100 photos with that many boards in
//                    boards.json, and with the first board alone (median); listed_ratio
//     named_s, one_board_s   the start of a tenth as many pins of a small picture, each in a
//                    board of its own named by the pin alone, and all in the first board
//                    (median); named_ratio
//
// Full run:  pin_list_bench      (QT_QPA_PLATFORM=xcb on an X server for a real board figure)
// Smoke run: pin_list_bench --vellora_smoke --benchmark_min_time=0

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "bench_support.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "pin_list/pin_list.h"
#include "pin_list_window/pin_list_window.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/thumbnail_cache.h"
#include "store/boards.h"
#include "store/data_folder.h"
#include "support/test_files.h"
#include "window_watch.h"

namespace {

constexpr int kRounds = 5;

// Counts the opens of each thumbnail file, as the kernel sees them.
class ThumbnailReads {
public:
    explicit ThumbnailReads(const QString& root) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        for (const platform::ThumbnailClass& size : platform::kThumbnailClasses) {
            const QByteArray folder = QFile::encodeName(root + u'/' + QLatin1String(size.folder));
            inotify_add_watch(fd_, folder.constData(), IN_OPEN);
        }
    }
    ~ThumbnailReads() { close(fd_); }
    // Reads taken since the last call, and the most of any one file so far.
    int Take() {
        alignas(inotify_event) char buffer[64 * 1024];
        int taken = 0;
        for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0) {  // not the folder itself
                    most_ = std::max(most_, ++readsOf_[QByteArray(event->name)]);
                    ++taken;
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
        return taken;
    }
    int MostOfOne() const { return most_; }

private:
    int fd_;
    QHash<QByteArray, int> readsOf_;
    int most_ = 0;
};

// Whether a widget was painted since the last Forget.
class PaintFlag : public QObject {
public:
    explicit PaintFlag(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// `count` small photos named IMG_0000.jpg and on, ten folders of them, pinned in that order in
// "zuzerid.dat", and with `thumbnails` a cache root that holds each one's checked thumbnail.
std::optional<std::string> MakePins(const QString& folder, int count, const QString& thumbnails) {
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString album = QStringLiteral("%1/album_%2").arg(folder).arg(i % 10);
        QDir().mkpath(album);
        files << QStringLiteral("%1/IMG_%2.jpg").arg(album).arg(i, 4, 10, QChar(u'0'));
        QImage pixels(320, 240, QImage::Format_RGB32);
        pixels.fill(QColor::fromHsv(i * 37 % 360, 160, 200));
        if (!test_support::WriteBytes(files.back(), test_support::JpegBytes(pixels, 85))) {
            return "cannot write the photos";
        }
    }
    if (!test_support::WriteBytes(folder + QStringLiteral("/zuzerid.dat"),
                                  bench::DataFile(files, count))) {
        return "cannot write the data file";
    }
    if (thumbnails.isEmpty()) return std::nullopt;
    platform::ThumbnailCache cache(thumbnails);
    const QSize shown(pin_list_window::PinRows::kThumbnailPixels,
                      pin_list_window::PinRows::kThumbnailPixels);
    for (const QString& file : files)
        platform::LoadPicture(platform::FilePath::FromText(file), shown, &cache);
    cache.Wait();
    for (const QString& file : files) {
        if (!platform::LoadCachedPicture(platform::FilePath::FromText(file), shown, cache)) {
            return "a thumbnail was not cached";
        }
    }
    return std::nullopt;
}

// The window made and shown as the program does; false when its list was not painted within ten
// seconds.
bool ShowListed(app::Program& program) {
    auto* view = program.PinListWindow().findChild<QListView*>(QStringLiteral("pins"));
    PaintFlag paint(view->viewport());
    program.ShowPinList();
    return bench::ProcessEventsUntil([&] { return paint.painted; }, 10000);
}

void WindowTimes(const QString& data, const QString& thumbnails, bench::ChildTimes& times) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    std::vector<double> seconds[2];
    for (int round = 0; round <= kRounds; ++round) {  // the first round warms up
        for (int k = 0; k < 2; ++k) {
            const int cached = (round + k) % 2;
            app::Program program(data, cached ? thumbnails : QString());
            program.Board().List().Load();
            const double start = bench::Now();
            if (!ShowListed(program)) return times.Fail("the list was not painted");
            if (round > 0) seconds[cached].push_back(bench::Now() - start);
        }
    }
    times.seconds[0] = bench::Median(seconds[1]);
    times.seconds[1] = bench::Median(seconds[0]);
    times.ok = true;
}

// Keys typed into the search box, then taken back, each to the list painted.
void Keystrokes(const QString& data, const QString& thumbnails, bench::ChildTimes& times) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    app::Program program(data, thumbnails);
    program.Board().List().Load();
    if (!ShowListed(program)) return times.Fail("the list was not painted");
    auto* search = program.PinListWindow().findChild<QLineEdit*>(QStringLiteral("search"));
    PaintFlag paint(
        program.PinListWindow().findChild<QListView*>(QStringLiteral("pins"))->viewport());
    const QString typed = QStringLiteral("img_0420");
    std::vector<double> seconds;
    for (int n = 1; n <= 2 * int(typed.size()); ++n) {
        paint.painted = false;
        const double start = bench::Now();
        search->setText(typed.left(n <= typed.size() ? n : 2 * typed.size() - n));
        // A key that changes no row paints nothing: a few rounds of events end it then.
        for (int pass = 0; pass < 4 && !paint.painted; ++pass) QCoreApplication::processEvents();
        seconds.push_back(bench::Now() - start);
    }
    times.seconds[0] = bench::Median(seconds);
    times.seconds[1] = *std::max_element(seconds.begin(), seconds.end());
    times.ok = true;
}

// Twice: the window shown, scrolled to the end and back a page at a time, then closed. The
// counts of thumbnail reads travel in the seconds slots of the first window.
void WindowLife(const QString& data, const QString& thumbnails, bench::ChildTimes& times) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    app::Program program(data, thumbnails);
    program.Board().List().Load();
    ThumbnailReads reads(thumbnails);
    // The browser is on screen before the list is opened, as at every start: what its first
    // paint loads (fonts, the style) is not the list window's.
    PaintFlag browser(&program.MainWindow());
    program.ShowMainWindow();
    if (!bench::ProcessEventsUntil([&] { return browser.painted; }, 10000)) {
        return times.Fail("the browser was not painted");
    }
    for (int life = 0; life < 2; ++life) {
        malloc_trim(0);
        const double before = bench::ResidentMb();
        if (!ShowListed(program)) return times.Fail("the list was not painted");
        const int atShow = reads.Take();
        auto* view = program.PinListWindow().findChild<QListView*>(QStringLiteral("pins"));
        QScrollBar* bar = view->verticalScrollBar();
        PaintFlag paint(view->viewport());
        for (int step : {bar->pageStep(), -bar->pageStep()}) {
            for (bool moved = true; moved;) {
                const int was = bar->value();
                bar->setValue(was + step);
                moved = bar->value() != was;
                paint.painted = false;
                if (moved && !bench::ProcessEventsUntil([&] { return paint.painted; }, 5000)) {
                    return times.Fail("a scrolled page was not painted");
                }
            }
        }
        const double added = bench::ResidentMb() - before;
        if (life == 0) {
            times.seconds[0] = atShow;
            times.seconds[1] = reads.Take();
            times.seconds[2] = reads.MostOfOne();
        }
        // Deleted on close, once the event loop comes to it.
        const QPointer<QWidget> window(&program.PinListWindow());
        window->close();
        if (!bench::ProcessEventsUntil([&] { return window.isNull(); }, 10000)) {
            return times.Fail("the window was not deleted");
        }
        malloc_trim(0);
        times.megabytes[2 * life] = added;
        times.megabytes[2 * life + 1] = bench::ResidentMb() - before;
    }
    times.ok = true;
}

void BM_ListWindow(benchmark::State& state) {
    QTemporaryDir folder;
    const QString thumbnails = folder.filePath(QStringLiteral("thumbnails"));
    const QString data = folder.filePath(QStringLiteral("zuzerid.dat"));
    const bench::ChildResult made = bench::RunInChild([&](bench::ChildTimes& times) {
        QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
        const auto error = MakePins(folder.path(), int(state.range(0)), thumbnails);
        if (error) return times.Fail(*error);
        times.ok = true;
    });
    if (!made.times.ok) return state.SkipWithError(made.times.error);
    bench::ChildResult shown, typed, life;
    for (auto _ : state) {
        shown = bench::RunInChild([&](auto& t) { WindowTimes(data, thumbnails, t); });
        typed = bench::RunInChild([&](auto& t) { Keystrokes(data, thumbnails, t); });
        life = bench::RunInChild([&](auto& t) { WindowLife(data, thumbnails, t); });
        for (const bench::ChildResult* r : {&shown, &typed, &life}) {
            if (!r->times.ok) return state.SkipWithError(r->times.error);
        }
    }
    state.counters["cached_ms"] = shown.times.seconds[0] * 1e3;
    state.counters["bare_ms"] = shown.times.seconds[1] * 1e3;
    state.counters["ratio"] = shown.times.seconds[0] / shown.times.seconds[1];
    state.counters["loads_at_show"] = life.times.seconds[0];
    state.counters["loads_scrolled"] = life.times.seconds[1];
    state.counters["most_of_one_file"] = life.times.seconds[2];
    state.counters["keystroke_ms"] = typed.times.seconds[0] * 1e3;
    state.counters["keystroke_max_ms"] = typed.times.seconds[1] * 1e3;
    const char* memory[] = {"first_added_MB", "first_left_MB", "again_added_MB", "again_left_MB"};
    for (int i = 0; i < 4; ++i) state.counters[memory[i]] = life.times.megabytes[i];
}

// The pins of one board hidden and shown again, by the board and one pin at a time in turn.
void BoardTimes(const QString& data, bench::ChildTimes& times) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    bench::PaintWatch paints;  // before the restore, which lets events in as it goes
    application.installEventFilter(&paints);
    pin_board::PinBoard board(data, nullptr);
    board.Restore();
    pin_list::PinList& list = board.List();
    // A pin off the screen gets no paint.
    const auto allPainted = [&] {
        const QList<pinned_window::PinnedWindow*> windows = board.Windows();
        return std::all_of(windows.begin(), windows.end(), [&](const QWidget* window) {
            return paints.Painted(window) ||
                   !window->screen()->geometry().intersects(window->frameGeometry());
        });
    };
    if (!bench::ProcessEventsUntil(allPainted, 10000)) return times.Fail("pins not painted");
    const auto byPin = [&](bool shown) {
        for (int row = 0; row < list.Count(); ++row) list.SetShown(list.At(row).id, shown);
    };
    const auto byBoard = [&](bool shown) { list.SetBoardHidden(store::kFirstBoard, !shown); };
    std::vector<double> seconds[2];
    for (int round = 0; round <= kRounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            const int which = (round + k) % 2;
            const double start = bench::Now();
            which ? byBoard(false) : byPin(false);
            QCoreApplication::processEvents();
            paints.Forget();
            which ? byBoard(true) : byPin(true);
            if (!bench::ProcessEventsUntil(allPainted, 10000)) return times.Fail("not shown");
            if (round > 0) seconds[which].push_back(bench::Now() - start);
        }
    }
    times.seconds[0] = bench::Median(seconds[1]);
    times.seconds[1] = bench::Median(seconds[0]);
    times.ok = true;
}

void BM_BoardShowHide(benchmark::State& state) {
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("zuzerid.dat"));
    const QStringList photos = bench::PhotoFiles({400, 300}, 10);
    const QByteArray dataFile = bench::DataFile(photos, int(state.range(0)));
    if (photos.isEmpty() || !test_support::WriteBytes(data, dataFile)) {
        return state.SkipWithError("cannot write the pins");
    }
    bench::ChildResult result;
    for (auto _ : state) {
        result = bench::RunInChild([&](auto& t) { BoardTimes(data, t); });
        if (!result.times.ok) return state.SkipWithError(result.times.error);
    }
    state.SetLabel(qEnvironmentVariable("QT_QPA_PLATFORM").toStdString());
    state.counters["board_ms"] = result.times.seconds[0] * 1e3;
    state.counters["pins_ms"] = result.times.seconds[1] * 1e3;
    state.counters["ratio"] = result.times.seconds[0] / result.times.seconds[1];
}

// Five boards of a fifth of the pins each, the second and the fourth hidden.
void SpreadOverBoards(const QString& data, bench::ChildTimes& times) {
    QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
    pin_list::PinList list(data);
    if (!list.Load()) return times.Fail("cannot read the data file");
    const int share = list.Count() / 5;
    for (int b = 1; b < 5; ++b) {
        const QString name = QStringLiteral("ボード%1").arg(b + 1);
        if (const auto error = list.MakeBoard(name)) return times.Fail(error->toStdString());
        QList<pin_list::PinId> ids;
        for (int row = b * share; row < (b + 1) * share; ++row) ids << list.At(row).id;
        list.MoveToBoard(ids, name);
        if (b % 2 == 1) list.SetBoardHidden(name, true);
    }
    times.ok = true;
}

// The program's start in a child of its own, until every pin is back; none when fewer than
// `pins` came.
std::optional<double> StartSeconds(const QString& data, int pins) {
    const bench::ChildResult result = bench::RunInChild([&](bench::ChildTimes& t) {
        QApplication application(bench::ApplicationArgc(), bench::ApplicationArgv());
        const double start = bench::Now();
        app::Program program(data, {});
        program.Start();
        t.seconds[0] = bench::Now() - start;
        t.ok = program.Board().List().Count() == pins;
    });
    if (!result.times.ok) return std::nullopt;
    return result.times.seconds[0];
}

void BM_RestoreWithBoards(benchmark::State& state) {
    const int records = int(state.range(0));
    const QStringList photos = bench::PhotoFiles({1920, 1080}, 10);
    QTemporaryDir folders[2];  // one board, five boards
    QString data[2];
    for (int i = 0; i < 2; ++i) {
        data[i] = folders[i].filePath(QStringLiteral("zuzerid.dat"));
        if (photos.isEmpty() ||
            !test_support::WriteBytes(data[i], bench::DataFile(photos, records))) {
            return state.SkipWithError("cannot write the pins");
        }
    }
    const auto spread = bench::RunInChild([&](auto& t) { SpreadOverBoards(data[1], t); });
    if (!spread.times.ok) return state.SkipWithError(spread.times.error);
    std::vector<double> seconds[2];
    for (auto _ : state) {
        for (int k = 0; k < 2 * kRounds; ++k) {
            const int i = (k / 2 + k) % 2;  // each first in turn
            const std::optional<double> start = StartSeconds(data[i], records);
            if (!start) return state.SkipWithError("the restore failed");
            seconds[i].push_back(*start);
        }
    }
    state.counters["one_board_s"] = bench::Median(seconds[0]);
    state.counters["boards_s"] = bench::Median(seconds[1]);
    state.counters["ratio"] = bench::Median(seconds[1]) / bench::Median(seconds[0]);
}

// The settings of `pins` records of `picture`, pin i in board "b<i>".
QByteArray SettingsNamingBoards(const QString& picture, int pins) {
    QByteArray settings = "{\"pins\": [";
    for (int i = 0; i < pins; ++i) {
        if (i > 0) settings += ",";
        settings += "{\"path\": \"" + QFile::encodeName(picture) + "\", \"geometry\": [\"" +
                    QByteArray::number(i % 200) + "\", \"30\", \"150\", \"150\"], \"board\": \"b" +
                    QByteArray::number(i) + "\"}";
    }
    return settings + "]}";
}

void BM_StartWithManyBoards(benchmark::State& state) {
    const int boards = int(state.range(0));
    // The many pins that name boards of their own show a small picture, so that the boards, not
    // the decodes, make the difference; the start that lists many boards restores 100 photos.
    const QStringList photos = bench::PhotoFiles({40, 40}, 1);
    const QStringList large = bench::PhotoFiles({1920, 1080}, 10);
    QTemporaryDir folders[3];  // one board; many listed; many named by pins alone
    QString data[3];
    const int pins[3] = {boards / 10, 100, boards / 10};
    for (int i = 0; i < 3; ++i) {
        data[i] = folders[i].filePath(QStringLiteral("zuzerid.dat"));
        QByteArray records;
        for (int p = 0; p < pins[i]; ++p) {
            records += test_support::DataRecord({QString::number(p % 200), QStringLiteral("30"),
                                                 QStringLiteral("150"), QStringLiteral("150")},
                                                QFile::encodeName(photos.value(0)));
        }
        if (photos.isEmpty() || !test_support::WriteBytes(data[i], records)) {
            return state.SkipWithError("cannot write the pins");
        }
    }
    QStringList names{store::kFirstBoard};
    for (int b = 1; b < boards; ++b) names << QStringLiteral("board %1").arg(b);
    const QByteArray listed =
        QJsonDocument(QJsonObject{{"boards", QJsonArray::fromStringList(names)},
                                  {"hidden", QJsonArray()},
                                  {"current", store::kFirstBoard}})
            .toJson();
    if (!test_support::WriteBytes(store::DataFolder(data[1]).BoardsFile(), listed) ||
        !test_support::WriteBytes(store::DataFolder(data[2]).PinSettingsFile(),
                                  SettingsNamingBoards(photos.value(0), pins[2]))) {
        return state.SkipWithError("cannot write the boards");
    }
    // The baseline of each: one board and the same pins.
    QTemporaryDir baselineFolder;
    const QString baseline = baselineFolder.filePath(QStringLiteral("zuzerid.dat"));
    if (!QFile::copy(data[1], baseline)) return state.SkipWithError("cannot copy the pins");
    const QString cases[] = {data[0], data[1], data[2], baseline};
    std::vector<double> seconds[4];
    for (auto _ : state) {
        for (int k = 0; k < 4 * 3; ++k) {
            const int i = (k + k / 4) % 4;  // each first in turn
            // Every start begins from the same files: the one that lists boards named by pins
            // alone writes boards.json.
            QFile::remove(store::DataFolder(cases[i]).BoardsFile());
            if (i == 1 &&
                !test_support::WriteBytes(store::DataFolder(cases[i]).BoardsFile(), listed)) {
                return state.SkipWithError("cannot write the boards");
            }
            const std::optional<double> start = StartSeconds(cases[i], i == 1 ? 100 : boards / 10);
            if (!start) return state.SkipWithError("the start failed");
            seconds[i].push_back(*start);
        }
    }
    state.counters["one_board_s"] = bench::Median(seconds[0]);
    state.counters["named_s"] = bench::Median(seconds[2]);
    state.counters["named_ratio"] = bench::Median(seconds[2]) / bench::Median(seconds[0]);
    state.counters["listed_s"] = bench::Median(seconds[1]);
    state.counters["listed_baseline_s"] = bench::Median(seconds[3]);
    state.counters["listed_ratio"] = bench::Median(seconds[1]) / bench::Median(seconds[3]);
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless the caller chose a platform (xcb for the boards on an X server).
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const bool smoke = bench::TakeFlag(&argc, argv, "--vellora_smoke");
    bench::WarmUpImageReaders();
    const auto add = [](const char* name, void (*run)(benchmark::State&), int64_t pins) {
        benchmark::RegisterBenchmark(name, run)->Arg(pins)->ArgName("pins")->UseRealTime()->Unit(
            benchmark::kMillisecond);
    };
    add("BM_ListWindow", BM_ListWindow, smoke ? 30 : 1000);
    add("BM_BoardShowHide", BM_BoardShowHide, smoke ? 5 : 50);
    add("BM_RestoreWithBoards", BM_RestoreWithBoards, smoke ? 10 : 100);
    benchmark::RegisterBenchmark("BM_StartWithManyBoards", BM_StartWithManyBoards)
        ->Arg(smoke ? 100 : 100000)
        ->ArgName("boards")
        ->UseRealTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    return bench::RunRegistered(&argc, argv);
}
