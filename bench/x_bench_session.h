#pragma once

#include <QProcessEnvironment>
#include <QSize>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "x_session.h"

// The private X server the benchmarks on a real X server run on, made the process's display.
namespace bench {

// The session started on a screen of `size`, its environment made this process's; null with
// the exit code to leave with (0 when a tool is missing, 1 when the server did not start).
struct XBenchSession {
    std::unique_ptr<e2e::XSession> session;
    int exitCode = 0;
};

inline XBenchSession StartXBenchSession(QSize size) {
    const QStringList missing = e2e::XSession::MissingTools();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "not installed: %s\n", qPrintable(missing.join(QLatin1Char(' '))));
        return {nullptr, 0};
    }
    auto session = std::make_unique<e2e::XSession>(size);
    if (!session->Ok()) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(session->Error()));
        return {nullptr, 1};
    }
    const QProcessEnvironment environment = session->Environment();
    for (const QString& name : environment.keys()) {
        setenv(qPrintable(name), qPrintable(environment.value(name)), 1);
    }
    return {std::move(session), 0};
}

}  // namespace bench
