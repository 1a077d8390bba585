#include "app/launch.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "app/autostart.h"
#include "app/core/command_line.h"
#include "app/single_instance.h"
#include "pin_list/listing.h"
#include "platform/core/whole_file.h"
#include "store/data_file.h"

#ifndef VELLORA_VERSION
#define VELLORA_VERSION "0"
#endif

namespace app {

namespace {

// How long a later start waits for the running program to answer: long enough for one that is
// still putting many pictures back at its own start.
constexpr int kHandOverTimeMs = 5000;

void Say(FILE* stream, const QString& text) {
    std::fputs(qPrintable(text), stream);
}

void Complain(const QString& text) {
    Say(stderr, QStringLiteral("vellora: ") + text + QLatin1Char('\n'));
}

QByteArray CurrentFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer)) return QByteArray(buffer);
    return QFile::encodeName(QDir::currentPath());
}

QByteArray Canonical(const QString& folder) {
    char* real = ::realpath(QFile::encodeName(folder).constData(), nullptr);
    if (!real) return {};
    QByteArray bytes(real);
    std::free(real);
    return bytes;
}

// The folder the data file is kept in, created when the options name one that is missing;
// "." for the current folder, whose name need not be text. Empty after a complaint.
QString PrepareDataFolder(const CommandLine& line) {
    QString folder;
    switch (line.place) {
        case DataPlace::CurrentFolder:
            return QStringLiteral(".");
        case DataPlace::UserData: {
            const QString data =
                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
            if (data.isEmpty()) {
                Complain(
                    QStringLiteral("no data folder ($XDG_DATA_HOME or $HOME) for --user-data"));
                return {};
            }
            folder = data + QStringLiteral("/vellora");
            break;
        }
        case DataPlace::Folder:
            folder = line.dataDir;
            break;
    }
    if (QFileInfo(folder).isDir()) return folder;
    if (!QDir().mkpath(folder)) {
        Complain(QStringLiteral("cannot create the data folder %1").arg(folder));
        return {};
    }
    // It lists the user's pictures: the user's alone.
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

}  // namespace

Launch::Launch(int argc, char* argv[]) {
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QByteArray(argv[i]));
    const CommandLine line = ParseCommandLine(arguments, CurrentFolder());
    switch (line.action) {
        case CommandLine::Action::Help:
            Say(stdout, HelpText());
            exitStatus_ = 0;
            return;
        case CommandLine::Action::Version:
            Say(stdout, QStringLiteral("Vellora " VELLORA_VERSION "\n"));
            exitStatus_ = 0;
            return;
        case CommandLine::Action::Usage:
            Complain(line.error);
            Complain(QStringLiteral("see vellora --help"));
            exitStatus_ = 2;
            return;
        case CommandLine::Action::AutostartOn:
        case CommandLine::Action::AutostartOff:
            exitStatus_ = SetStartAtLogin(line.action == CommandLine::Action::AutostartOn);
            return;
        case CommandLine::Action::Pins:
        case CommandLine::Action::Board:
            pinsCommand_ = line.pinsCommand;
            board_ = line.board;
            break;
        case CommandLine::Action::Paste:
            paste_ = true;
            break;
        case CommandLine::Action::Preferences:
            preferences_ = true;
            break;
        case CommandLine::Action::Capture:
            capture_ = true;
            lastRegion_ = line.lastRegion;
            captureDelay_ = line.delaySeconds;
            break;
        case CommandLine::Action::Run:
            break;
    }
    if (!line.pictures.isEmpty()) picture_ = line.pictures.first();
    // One display window shows one picture; opening more would pin all but the last at the
    // same place, which nobody chose.
    if (line.pictures.size() > 1) {
        Complain(QStringLiteral("only the first picture is opened; %1 more left alone")
                     .arg(line.pictures.size() - 1));
    }
    folder_ = PrepareDataFolder(line);
    if (folder_.isEmpty()) {
        exitStatus_ = 1;
        return;
    }
    const QByteArray canonical = Canonical(folder_);
    if (canonical.isEmpty()) {
        Complain(QStringLiteral("cannot reach the data folder %1").arg(folder_));
        exitStatus_ = 1;
        return;
    }
    Claim(canonical);
}

Launch::~Launch() = default;

QString Launch::DataFile() const {
    if (folder_ == QLatin1String(".")) return store::kDataFileName;
    return folder_ + QLatin1Char('/') + store::kDataFileName;
}

void Launch::Claim(const QByteArray& canonicalFolder) {
    const QString folderName = platform::DisplayName(canonicalFolder);
    lock_ = std::make_unique<InstanceLock>(folder_);
    InstanceLock::Claim claim = lock_->TryClaim();
    if (claim == InstanceLock::Claim::Unavailable) {
        Complain(QStringLiteral("cannot make the lock file %1; another Vellora for this folder "
                                "would go unnoticed")
                     .arg(lock_->FileName()));
        lock_.reset();
        return;
    }
    const QString server = ServerPathFor(canonicalFolder);
    if (claim == InstanceLock::Claim::Held) {
        if (!pinsCommand_.isEmpty()) return AnswerPinsWithoutProgram(folderName);
        serverPath_ = server;
        return;
    }

    // The folder's program is running: hand the request over. Its socket needs an application
    // object; this one is gone again before the windows' own is made.
    int argc = 1;
    char name[] = "vellora";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    instance::Request request;
    if (!picture_.IsEmpty()) request = {instance::Request::Kind::Open, picture_, {}, {}};
    if (!pinsCommand_.isEmpty()) {
        request = {instance::Request::Kind::Pins, {}, pinsCommand_.toLatin1(), {}};
    }
    if (!board_.isEmpty()) {
        request = {instance::Request::Kind::Board, {}, pinsCommand_.toLatin1(), board_.toUtf8()};
    }
    if (paste_) request = {instance::Request::Kind::Paste, {}, {}, {}};
    if (preferences_) request = {instance::Request::Kind::Preferences, {}, {}, {}};
    if (capture_) {
        request = {
            lastRegion_ ? instance::Request::Kind::CaptureLast : instance::Request::Kind::Capture,
            {},
            {},
            {},
            captureDelay_};
    }
    const QDeadlineTimer deadline(kHandOverTimeMs);
    for (;;) {
        const Delivery delivery = SendRequest(server, request, deadline);
        if (delivery.outcome == Delivery::Outcome::Answered) {
            const QByteArray& output = delivery.reply.output;
            std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
            if (!delivery.reply.ok) {
                Complain(picture_.IsEmpty() ? delivery.reply.reason
                                            : QStringLiteral("%1: %2").arg(picture_.DisplayText(),
                                                                           delivery.reply.reason));
            }
            exitStatus_ = delivery.reply.ok ? 0 : 1;
            return;
        }
        if (delivery.outcome == Delivery::Outcome::NoAnswer || deadline.hasExpired()) {
            Complain(QStringLiteral("the Vellora running for the data folder %1 does not answer")
                         .arg(folderName));
            exitStatus_ = 1;
            return;
        }
        // Nobody listens: the holder is starting (its socket comes next) or ending (its lock
        // goes next).
        QThread::msleep(50);
        claim = lock_->TryClaim();
        if (claim != InstanceLock::Claim::HeldElsewhere) {
            if (claim == InstanceLock::Claim::Held && !pinsCommand_.isEmpty()) {
                return AnswerPinsWithoutProgram(folderName);
            }
            if (claim == InstanceLock::Claim::Held) serverPath_ = server;
            if (claim == InstanceLock::Claim::Unavailable) lock_.reset();
            return;
        }
    }
}

void Launch::AnswerPinsWithoutProgram(const QString& folderName) {
    lock_.reset();
    if (pinsCommand_ != QLatin1String("list") || !board_.isEmpty()) {
        Complain(QStringLiteral("no Vellora runs for the data folder %1: no pictures to %2")
                     .arg(folderName, pinsCommand_));
        exitStatus_ = 1;
        return;
    }
    const QByteArray listing = pin_list::FormatListing(pin_list::ListSavedPins(DataFile()));
    std::fwrite(listing.constData(), 1, size_t(listing.size()), stdout);
    exitStatus_ = 0;
}

}  // namespace app
