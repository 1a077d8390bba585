#pragma once

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "bench_support.h"

namespace app {
class Program;
}

// The whole program run in a child on a folder's data file: set-ups that the program itself
// makes, and restores measured against each other.
namespace bench {

// Runs `work` in a child on the program started in `folder`.
ChildResult WithProgramIn(const QString& folder,
                          const std::function<void(app::Program&, ChildTimes&)>& work);

// Two folders whose data files pin `records` of `photos` each; false when they cannot be made.
struct RestorePair {
    QTemporaryDir plain, other;
    bool Make(const QStringList& photos, int records);
};

// The start-up restores of the two folders in turns, each first every other time, for as many
// rounds as the state runs: the medians of the plain folder's and the other's seconds. None, the
// state told why, when a restore did not bring every pin back.
std::optional<std::pair<double, double>> TakeTurnsRestoring(benchmark::State& state,
                                                            const RestorePair& folders,
                                                            int records);

}  // namespace bench
