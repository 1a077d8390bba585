#include "program_runs.h"

#include <QApplication>
#include <QDir>

#include "app/program.h"
#include "pin_board/pin_board.h"

namespace bench {

ChildResult WithProgramIn(const QString& folder,
                          const std::function<void(app::Program&, ChildTimes&)>& work) {
    return RunInChild([&](ChildTimes& times) {
        QApplication application(ApplicationArgc(), ApplicationArgv());
        if (!QDir::setCurrent(folder)) return times.Fail("cannot enter the folder");
        app::Program program(QStringLiteral("zuzerid.dat"), QString());
        program.Start();
        work(program, times);
    });
}

bool RestorePair::Make(const QStringList& photos, int records) {
    if (photos.isEmpty() || !plain.isValid() || !other.isValid()) return false;
    return !EnterWithDataFile(plain.path(), DataFile(photos, records)) &&
           !EnterWithDataFile(other.path(), DataFile(photos, records));
}

std::optional<std::pair<double, double>> TakeTurnsRestoring(benchmark::State& state,
                                                            const RestorePair& folders,
                                                            int records) {
    // In turns, each first every other time, and the medians: a busy moment costs one sample.
    std::vector<double> plainSeconds, otherSeconds;
    for (auto _ : state) {
        for (const bool otherFirst : {plainSeconds.size() % 2 == 1, plainSeconds.size() % 2 == 0}) {
            const QString folder = otherFirst ? folders.other.path() : folders.plain.path();
            const ChildResult run = RunInChild([&](ChildTimes& times) {
                QApplication application(ApplicationArgc(), ApplicationArgv());
                if (!QDir::setCurrent(folder)) return times.Fail("cannot enter the folder");
                const double start = Now();
                app::Program program(QStringLiteral("zuzerid.dat"), QString());
                program.Start();
                times.seconds[0] = Now() - start;
                if (program.Board().Count() != records)
                    return times.Fail("not every pin came back");
                times.ok = true;
            });
            if (!run.times.ok) {
                state.SkipWithError("a restore failed");
                return std::nullopt;
            }
            (otherFirst ? otherSeconds : plainSeconds).push_back(run.times.seconds[0]);
        }
    }
    return std::pair{Median(plainSeconds), Median(otherSeconds)};
}

}  // namespace bench
