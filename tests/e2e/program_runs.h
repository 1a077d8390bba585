#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>

// Runs of the program besides the one an XSession keeps: later starts that hand over and end,
// and programs for other data folders that run beside it.
namespace e2e {

struct FinishedRun {
    bool finished = false;  // it ended by itself within the time given
    int exitCode = -1;
    QString output;        // stdout and stderr
    qint64 elapsedMs = 0;  // from its start to its end
};

// A run of the program under way, ended (killed if need be) with the object.
class ProgramRun {
public:
    ProgramRun(const QString& program, const QString& workingDirectory,
               const QStringList& arguments, const QProcessEnvironment& environment);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const;
    bool Running() const;
    qint64 Pid() const;
    // Waits for it to end by itself.
    FinishedRun Finish(int timeoutMs = 15000);
    // What it wrote so far.
    QString Output() const;

private:
    std::unique_ptr<QProcess> process_;
    qint64 startedAt_ = 0;
    qint64 endedAt_ = 0;
    mutable QByteArray output_;
};

// Starts the program and waits for it to end.
FinishedRun RunToEnd(const QString& program, const QString& workingDirectory,
                     const QStringList& arguments, const QProcessEnvironment& environment,
                     int timeoutMs = 15000);

// Whether the output holds a report of AddressSanitizer, LeakSanitizer or UBSan.
bool HasSanitizerReport(const QString& output);

}  // namespace e2e
