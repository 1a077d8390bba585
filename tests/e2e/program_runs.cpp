#include "program_runs.h"

#include "x_session.h"

#include <sys/prctl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDateTime>
#include <csignal>

namespace e2e {

ProgramRun::ProgramRun(const QString& program, const QString& workingDirectory,
                       const QStringList& arguments, const QProcessEnvironment& environment) {
    EnsureApplication();
    process_ = std::make_unique<QProcess>();
    process_->setProcessEnvironment(environment);
    process_->setWorkingDirectory(workingDirectory);
    process_->setProcessChannelMode(QProcess::MergedChannels);
    const pid_t parent = ::getpid();
    // Dies with the test, whichever way the test ends.
    process_->setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
    });
    QObject::connect(process_.get(), &QProcess::finished, process_.get(),
                     [this] { endedAt_ = QDateTime::currentMSecsSinceEpoch(); });
    startedAt_ = QDateTime::currentMSecsSinceEpoch();
    process_->start(program, arguments);
    process_->waitForStarted(10000);
}

ProgramRun::~ProgramRun() {
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(3000);
    }
}

bool ProgramRun::Started() const {
    return process_->processId() > 0 || process_->state() != QProcess::NotRunning;
}

bool ProgramRun::Running() const {
    process_->waitForFinished(0);
    return process_->state() == QProcess::Running;
}

qint64 ProgramRun::Pid() const {
    return process_->processId();
}

FinishedRun ProgramRun::Finish(int timeoutMs) {
    FinishedRun run;
    run.finished =
        process_->state() == QProcess::NotRunning || process_->waitForFinished(timeoutMs);
    run.elapsedMs = (endedAt_ > 0 ? endedAt_ : QDateTime::currentMSecsSinceEpoch()) - startedAt_;
    run.finished = run.finished && process_->exitStatus() == QProcess::NormalExit;
    run.exitCode = run.finished ? process_->exitCode() : -1;
    run.output = Output();
    return run;
}

QString ProgramRun::Output() const {
    output_ += process_->readAll();
    return QString::fromUtf8(output_);
}

FinishedRun RunToEnd(const QString& program, const QString& workingDirectory,
                     const QStringList& arguments, const QProcessEnvironment& environment,
                     int timeoutMs) {
    ProgramRun run(program, workingDirectory, arguments, environment);
    return run.Finish(timeoutMs);
}

bool HasSanitizerReport(const QString& output) {
    for (const char* report : {"runtime error:", "AddressSanitizer", "LeakSanitizer"}) {
        if (output.contains(QLatin1String(report))) return true;
    }
    return false;
}

}  // namespace e2e
