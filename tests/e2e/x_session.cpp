#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <vector>

namespace e2e {

// QProcess needs an application object for its bookkeeping; tests that link GoogleTest's own
// main have none, so the first session makes one and keeps it for the rest of the run.
void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "vellora-e2e";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    (void)application;
}

namespace {

// Children die with the test process, whichever way it ends (a crash or a timeout kill
// included), so that no X server outlives the test that started it.
void DieWithParent(pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
}

bool Exited(pid_t pid) {
    int status = 0;
    const pid_t result = ::waitpid(pid, &status, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
}

std::optional<WindowId> ParseId(const QString& text) {
    bool ok = false;
    const WindowId id = text.toULongLong(&ok, 0);
    if (!ok) return std::nullopt;
    return id;
}

QString IdText(WindowId id) {
    return QStringLiteral("0x%1").arg(id, 0, 16);
}

// The value part of one `xprop -id W PROPERTY` line: what follows " = ", or nullopt when the
// property is not set.
std::optional<QString> PropertyValue(const QByteArray& output, const QString& property) {
    for (const QString& line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        if (!line.startsWith(property)) continue;
        if (line.contains(QLatin1String("not found"))) return std::nullopt;
        // "NAME(TYPE) = value", but "NAME(WINDOW): window id # 0x..." for window ids.
        int separator = line.indexOf(QLatin1Char('='));
        if (separator < 0) separator = line.indexOf(QLatin1Char(':'));
        if (separator < 0) return std::nullopt;
        return line.mid(separator + 1).trimmed();
    }
    return std::nullopt;
}

QByteArray ReadLog(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly)) return {};
    return log.readAll();
}

}  // namespace

QString ToString(const QRect& rect) {
    return QStringLiteral("%1x%2%3%4%5%6")
        .arg(rect.width())
        .arg(rect.height())
        .arg(rect.x() < 0 ? QString() : QStringLiteral("+"))
        .arg(rect.x())
        .arg(rect.y() < 0 ? QString() : QStringLiteral("+"))
        .arg(rect.y());
}

namespace {

// Each window manager as VELLORA_E2E_WM names it, and the programs it needs besides the X tools.
const struct {
    const char* name;
    WindowManager manager;
    const char* programs;
} kManagers[] = {
    {"openbox", WindowManager::Openbox, "Xvfb openbox"},
    {"icewm", WindowManager::IceWM, "Xvfb icewm"},
    {"xfwm4", WindowManager::Xfwm4, "Xvfb xfwm4"},
    {"kwin", WindowManager::KWin, "Xvfb kwin_x11"},
    {"mutter", WindowManager::Mutter, "mutter Xwayland dbus-run-session"},
};

}  // namespace

WindowManager XSession::Chosen() {
    const QByteArray name = qgetenv("VELLORA_E2E_WM");
    for (const auto& known : kManagers) {
        if (name == known.name) return known.manager;
    }
    return WindowManager::Openbox;
}

QStringList XSession::MissingTools() {
    QStringList tools{"xdotool", "xwininfo", "xprop", "xev", "wmctrl", "import"};
    for (const auto& known : kManagers) {
        if (known.manager == Chosen()) tools << QString::fromLatin1(known.programs).split(' ');
    }
    QStringList missing;
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) missing << tool;
    }
    return missing;
}

XSession::XSession(QSize screen) : screen_(screen), manager_(Chosen()) {
    EnsureApplication();
    if (!temp_.isValid()) {
        error_ = QStringLiteral("cannot create a temporary folder");
        return;
    }
    ::mkdir(QFile::encodeName(TempPath(QStringLiteral("runtime"))).constData(), 0700);
    if (manager_ != WindowManager::Mutter && !StartServer()) return;
    StartWindowManager();
}

XSession::~XSession() {
    StopProgram();
    for (std::unique_ptr<QProcess>& process : foreign_) {
        process->kill();
        process->waitForFinished(3000);
    }
    foreign_.clear();
    EndMutter();
    EndGroup(windowManager_);
    EndGroup(server_);
}

QProcessEnvironment XSession::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display of another session for what starts before ours is there (mutter).
    if (display_.isEmpty())
        environment.remove(QStringLiteral("DISPLAY"));
    else
        environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // The language the program speaks follows the locale: VELLORA_E2E_LOCALE runs it under
    // another than C, LANGUAGE cleared so that the user's own does not choose.
    environment.insert(QStringLiteral("LC_ALL"),
                       qEnvironmentVariable("VELLORA_E2E_LOCALE", QStringLiteral("C.UTF-8")));
    environment.remove(QStringLiteral("LANGUAGE"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), TempPath(QStringLiteral("runtime")));
    // The program writes the desktop's thumbnails: into the session's folder, not the user's.
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), TempPath(QStringLiteral("cache")));
    // Its preferences (preferences.json, the keys it grabs) too.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), TempPath(QStringLiteral("config")));
    // icewm's own configuration folder: the user's must not change what the tests see.
    environment.insert(QStringLiteral("ICEWM_PRIVCFG"), TempPath(QStringLiteral("icewm")));
    // Another session's settings must not leak in: no scaling, no session manager.
    for (const char* name : {"WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                             "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING",
                             "SESSION_MANAGER", "XAUTHORITY"}) {
        environment.remove(QString::fromLatin1(name));
    }
    if (!xauthority_.isEmpty()) environment.insert(QStringLiteral("XAUTHORITY"), xauthority_);
    environment.insert(added_);
    return environment;
}

pid_t XSession::Spawn(const QStringList& command, const QString& logFile, int displayFd) {
    // Everything the child needs is prepared before the fork: it only calls async-signal-safe
    // functions afterwards.
    const QStringList environment = Environment().toStringList();
    std::vector<QByteArray> argumentBytes;
    std::vector<QByteArray> environmentBytes;
    std::vector<char*> argv;
    std::vector<char*> envp;
    argumentBytes.reserve(size_t(command.size()));
    environmentBytes.reserve(size_t(environment.size()));
    argv.reserve(size_t(command.size()) + 1);
    envp.reserve(size_t(environment.size()) + 1);
    for (const QString& argument : command) argumentBytes.push_back(QFile::encodeName(argument));
    for (QByteArray& bytes : argumentBytes) argv.push_back(bytes.data());
    argv.push_back(nullptr);
    for (const QString& entry : environment) environmentBytes.push_back(entry.toLocal8Bit());
    for (QByteArray& bytes : environmentBytes) envp.push_back(bytes.data());
    envp.push_back(nullptr);

    const int log = ::open(QFile::encodeName(logFile).constData(),
                           O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        DieWithParent(parent);
        if (null >= 0) ::dup2(null, STDIN_FILENO);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        if (displayFd >= 0) ::fcntl(displayFd, F_SETFD, 0);
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (pid > 0) ::setpgid(pid, pid);  // whichever of parent and child runs first
    if (log >= 0) ::close(log);
    if (null >= 0) ::close(null);
    return pid;
}

bool XSession::StartServer() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error_ = QStringLiteral("pipe failed");
        return false;
    }
    const QString size = QStringLiteral("%1x%2x24").arg(screen_.width()).arg(screen_.height());
    server_ =
        Spawn({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QString::number(fds[1]),
               QStringLiteral("-screen"), QStringLiteral("0"), size, QStringLiteral("-nolisten"),
               QStringLiteral("tcp"), QStringLiteral("-noreset")},
              TempPath(QStringLiteral("xvfb.log")), fds[1]);
    ::close(fds[1]);
    // Xvfb writes the display number to the descriptor once it accepts connections.
    QByteArray number;
    QDeadlineTimer deadline(20000);
    while (!number.endsWith('\n') && !deadline.hasExpired() && server_ > 0) {
        pollfd poller{fds[0], POLLIN, 0};
        const int ready = ::poll(&poller, 1, int(std::min<qint64>(deadline.remainingTime(), 200)));
        if (ready > 0) {
            char buffer[32];
            const ssize_t count = ::read(fds[0], buffer, sizeof buffer);
            if (count <= 0) break;
            number.append(buffer, int(count));
        } else if (Exited(server_)) {
            server_ = -1;
        }
    }
    ::close(fds[0]);
    bool ok = false;
    const int displayNumber = number.trimmed().toInt(&ok);
    if (!ok) {
        error_ = QStringLiteral("Xvfb did not start: ") +
                 QString::fromLocal8Bit(ReadLog(TempPath(QStringLiteral("xvfb.log"))));
        return false;
    }
    display_ = QStringLiteral(":%1").arg(displayNumber);
    bool reachable = false;
    WaitUntil(
        [&] {
            Run(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")}, &reachable);
            return reachable;
        },
        10000);
    if (!reachable) error_ = QStringLiteral("Xvfb on %1 does not answer").arg(display_);
    return reachable;
}

QString XSession::WriteOpenboxConfig() const {
    // Click to focus, focus for new windows, no focus under the mouse, no key bindings (keys
    // go to the program), no margins or desktops to shift windows, and smart placement, which
    // openbox applies only to windows that did not ask for a position themselves.
    static const char config[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <resistance><strength>0</strength><screen_edge_strength>0</screen_edge_strength></resistance>
  <focus>
    <focusNew>yes</focusNew>
    <followMouse>no</followMouse>
    <focusLast>yes</focusLast>
    <underMouse>no</underMouse>
    <focusDelay>0</focusDelay>
    <raiseOnFocus>no</raiseOnFocus>
  </focus>
  <placement><policy>Smart</policy><center>no</center><monitor>Primary</monitor><primaryMonitor>1</primaryMonitor></placement>
  <theme>
    <name>Clearlooks</name>
    <titleLayout>NLIMC</titleLayout>
    <keepBorder>yes</keepBorder>
    <animateIconify>no</animateIconify>
  </theme>
  <desktops><number>1</number><firstdesk>1</firstdesk><popupTime>0</popupTime></desktops>
  <resize><drawContents>yes</drawContents><popupShow>Never</popupShow></resize>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <dock><noStrut>yes</noStrut><autoHide>no</autoHide></dock>
  <keyboard><chainQuitKey></chainQuitKey></keyboard>
  <mouse>
    <dragThreshold>1</dragThreshold>
    <doubleClickTime>500</doubleClickTime>
    <screenEdgeWarpTime>0</screenEdgeWarpTime>
    <context name="Titlebar">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
    </context>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
    <context name="Frame">
      <mousebind button="A-Right" action="Drag"><action name="Resize"/></mousebind>
    </context>
    <context name="Close">
      <mousebind button="Left" action="Click"><action name="Close"/></mousebind>
    </context>
  </mouse>
  <applications></applications>
</openbox_config>
)";
    QString path = TempPath(QStringLiteral("openbox-rc.xml"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(config);
    return path;
}

bool XSession::StartWindowManager() {
    const bool up = manager_ == WindowManager::Openbox  ? StartOpenbox()
                    : manager_ == WindowManager::IceWM  ? StartIceWM()
                    : manager_ == WindowManager::Mutter ? StartMutter()
                                                        : StartOnServer();
    if (!up) {
        error_ = QStringLiteral("the window manager did not come up: ") + WindowManagerLog();
    }
    return up;
}

bool XSession::StartOpenbox() {
    // openbox names its check window at the very start, long before it manages windows: it
    // still loads its configuration and theme fonts then, which takes a while when fontconfig
    // has to rescan. A window mapped in that time stays in openbox's own queue, and openbox only
    // looks at that queue again when new X data arrives, so on a quiet display the window is
    // never mapped. openbox runs its --startup command just before its main loop: from then on
    // it handles map requests as they come.
    const QString ready = TempPath(QStringLiteral("openbox-ready"));
    windowManager_ = Spawn({QStringLiteral("openbox"), QStringLiteral("--sm-disable"),
                            QStringLiteral("--config-file"), WriteOpenboxConfig(),
                            QStringLiteral("--startup"), QStringLiteral("touch '%1'").arg(ready)},
                           TempPath(QStringLiteral("wm.log")));
    return WaitUntil([&] { return QFile::exists(ready) || Exited(windowManager_); }, 30000, 20) &&
           QFile::exists(ready);
}

QString XSession::WriteIceWMConfig() const {
    // Click to focus, no clock or other applets that redraw the task bar all the time, no
    // sounds or start-up splash; the task bar stays, so that the usable area is smaller than
    // the screen.
    static const char preferences[] = R"(ClickToFocus=1
RaiseOnFocus=1
TaskBarShowClock=0
TaskBarShowAPMStatus=0
TaskBarShowMailboxStatus=0
TaskBarShowCPUStatus=0
TaskBarShowNetStatus=0
TaskBarShowMEMStatus=0
TaskBarShowWorkspaces=0
TaskBarAtTop=0
AutoReloadMenus=0
ShowPopupsAbovePointer=0
QuickSwitch=1
QuickSwitchToAllWorkspaces=1
)";
    QString folder = TempPath(QStringLiteral("icewm"));
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    QFile file(folder + QStringLiteral("/preferences"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(preferences);
    return folder;
}

bool XSession::StartIceWM() {
    WriteIceWMConfig();
    windowManager_ = Spawn({QStringLiteral("icewm")}, TempPath(QStringLiteral("wm.log")));
    // icewm names its check window and announces the usable area once its task bar is up.
    return WaitUntil(
        [&] {
            if (Exited(windowManager_)) return false;
            bool ok = false;
            const QByteArray root =
                Run(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK"),
                     QStringLiteral("_NET_WORKAREA")},
                    &ok);
            const std::optional<QString> check =
                PropertyValue(root, QStringLiteral("_NET_SUPPORTING_WM_CHECK"));
            if (!ok || !check || !PropertyValue(root, QStringLiteral("_NET_WORKAREA")))
                return false;
            const QByteArray name =
                Run(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), check->section(QLatin1Char('#'), 1).trimmed(),
                     QStringLiteral("_NET_WM_NAME")},
                    &ok);
            return ok && name.contains("IceWM");
        },
        30000, 50);
}

bool XSession::StartOnServer() {
    // xfwm4 without its compositor, as openbox and icewm run: a test that needs one starts its own.
    windowManager_ =
        Spawn(manager_ == WindowManager::KWin ? QStringList{"kwin_x11"}
                                              : QStringList{"xfwm4", "--compositor=off"},
              TempPath(QStringLiteral("wm.log")));
    // kwin_x11 takes some seconds: it sets up OpenGL compositing in software first.
    return WaitUntilManaging(60000);
}

bool XSession::StartMutter() {
    // A session bus of its own, which mutter needs, and the session's runtime folder, where it
    // puts its Wayland socket and the authority file of its Xwayland.
    const QString log = TempPath(QStringLiteral("wm.log"));
    windowManager_ = Spawn({QStringLiteral("dbus-run-session"), QStringLiteral("--"),
                            QStringLiteral("mutter"), QStringLiteral("--headless"),
                            QStringLiteral("--wayland"), QStringLiteral("--virtual-monitor"),
                            QStringLiteral("%1x%2").arg(screen_.width()).arg(screen_.height())},
                           log);
    // "Using public X11 display :1, (using :2 for managed services)" once Xwayland is set up.
    static const QRegularExpression announced(QStringLiteral("Using public X11 display (:\\d+)"));
    const QDir runtime(TempPath(QStringLiteral("runtime")));
    bool gone = false;
    WaitUntil(
        [&] {
            gone = Exited(windowManager_);
            const QRegularExpressionMatch match =
                announced.match(QString::fromLocal8Bit(ReadLog(log)));
            const QStringList authority = runtime.entryList(
                {QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Files | QDir::Hidden);
            if (match.hasMatch() && !authority.isEmpty()) {
                display_ = match.captured(1);
                xauthority_ = runtime.filePath(authority.first());
            }
            return gone || !display_.isEmpty();
        },
        60000, 50);
    return !gone && !display_.isEmpty() && WaitUntilManaging(60000);
}

bool XSession::WaitUntilManaging(int timeoutMs) {
    // xfwm4 and kwin_x11 name their check window before they take on the windows already there,
    // which they take as they are: a window the program maps in that time is not placed as new
    // windows are, and one partly off the screen stays there. They answer a pager's request to
    // show the desktop (and to stop) only from their event loop, once that is done.
    bool gone = false;
    const auto answers = [&](const QString& request, const QString& state) {
        return WaitUntil(
                   [&] {
                       gone = Exited(windowManager_);
                       Run(QStringLiteral("wmctrl"), {QStringLiteral("-k"), request});
                       const QByteArray root =
                           Run(QStringLiteral("xprop"),
                               {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK"),
                                QStringLiteral("_NET_SHOWING_DESKTOP")});
                       return gone ||
                              (PropertyValue(root, QStringLiteral("_NET_SUPPORTING_WM_CHECK")) &&
                               PropertyValue(root, QStringLiteral("_NET_SHOWING_DESKTOP")) ==
                                   state);
                   },
                   timeoutMs, 50) &&
               !gone;
    };
    return answers(QStringLiteral("on"), QStringLiteral("1")) &&
           answers(QStringLiteral("off"), QStringLiteral("0"));
}

void XSession::EndMutter() {
    // mutter goes first: it ends its Xwayland and takes that server's X sockets and lock files
    // away, which a signal to the whole group at once leaves behind. dbus-run-session then ends
    // the bus and itself.
    if (manager_ != WindowManager::Mutter || windowManager_ <= 0) return;
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(windowManager_));
    if (!children.open(QIODevice::ReadOnly)) return;
    for (const QByteArray& child : children.readAll().split(' ')) {
        QFile name(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(child)));
        if (child.isEmpty() || !name.open(QIODevice::ReadOnly)) continue;
        if (name.readAll().trimmed() == "mutter") ::kill(pid_t(child.toInt()), SIGTERM);
    }
    WaitUntil([&] { return Exited(windowManager_); }, 5000, 20);
}

bool XSession::AddIceWMWindowOption(const QString& line) const {
    if (manager_ != WindowManager::IceWM) return false;
    QFile options(TempPath(QStringLiteral("icewm/winoptions")));
    if (!options.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    options.write(line.toUtf8() + '\n');
    options.close();
    // icesh exits with status 1 after sending the request, whether or not icewm acts on it.
    Run(QStringLiteral("icesh"), {QStringLiteral("winoptions")});
    return true;
}

QString XSession::WindowManagerLog() const {
    return QString::fromLocal8Bit(ReadLog(TempPath(QStringLiteral("wm.log"))));
}

void XSession::EndGroup(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(-pid, SIGTERM);
    const bool ended = WaitUntil([&] { return Exited(pid); }, 3000, 20);
    if (!ended) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    // Anything the leader left behind in its group goes too.
    if (::kill(-pid, 0) == 0) ::kill(-pid, SIGKILL);
    pid = -1;
}

QByteArray XSession::Run(const QString& program, const QStringList& arguments, bool* ok,
                         int timeoutMs) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(program, arguments);
    bool fine = process.waitForStarted(timeoutMs) && process.waitForFinished(timeoutMs) &&
                process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        fine = false;
    }
    if (ok) *ok = fine;
    return process.readAllStandardOutput();
}

bool XSession::StartProgram(const QString& program, const QString& workingDirectory,
                            const QStringList& arguments) {
    StopProgram();
    programLog_ = TempPath(QStringLiteral("program.log"));
    program_ = std::make_unique<QProcess>();
    program_->setProcessEnvironment(Environment());
    program_->setWorkingDirectory(workingDirectory);
    program_->setProcessChannelMode(QProcess::MergedChannels);
    program_->setStandardOutputFile(programLog_, QIODevice::Append);
    const pid_t parent = ::getpid();
    program_->setChildProcessModifier([parent] {
        ::setpgid(0, 0);
        DieWithParent(parent);
    });
    program_->start(program, arguments);
    return program_->waitForStarted(10000);
}

bool XSession::ProgramRunning() const {
    if (!program_) return false;
    program_->waitForFinished(0);  // picks up an exit that has happened meanwhile
    return program_->state() == QProcess::Running;
}

void XSession::StopProgram() {
    if (!program_) return;
    if (program_->state() != QProcess::NotRunning) {
        const qint64 pid = program_->processId();
        program_->terminate();
        if (!program_->waitForFinished(3000)) {
            if (pid > 0) ::kill(-pid_t(pid), SIGKILL);
            program_->kill();
            program_->waitForFinished(3000);
        }
    }
    program_.reset();
}

QString XSession::ProgramOutput() const {
    if (programLog_.isEmpty()) return {};
    QFile log(programLog_);
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(log.readAll());
}

QList<WindowInfo> XSession::NamedWindows() const {
    bool ok = false;
    const QByteArray tree =
        Run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, &ok);
    QList<WindowInfo> windows;
    if (!ok) return windows;
    // `     0x400015 "画像表示 ": ("vellora" "Vellora")  300x218+1+20  +80+209`
    static const QRegularExpression line(QString::fromLatin1(
        R"re(^\s*(0x[0-9a-fA-F]+) "(.*)": \((.*)\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)re"));
    for (const QString& text : QString::fromUtf8(tree).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch()) continue;
        WindowInfo info;
        info.id = ParseId(match.captured(1)).value_or(0);
        info.title = match.captured(2);
        info.rect = QRect(match.captured(6).toInt(), match.captured(7).toInt(),
                          match.captured(4).toInt(), match.captured(5).toInt());
        if (match.captured(3).startsWith(QLatin1String("\"vellora\""))) {
            // `"vellora-main"`; none for Qt's own helper windows, which are asked again, as is a
            // window whose role is not set yet.
            info.role = roles_.value({info.id, info.title});
            if (info.role.isEmpty()) {
                const QString quoted =
                    Property(info.id, QStringLiteral("WM_WINDOW_ROLE")).value_or(QString());
                info.role = quoted.mid(1, quoted.size() - 2);
                if (!info.role.isEmpty()) roles_.insert({info.id, info.title}, info.role);
            }
        }
        windows << info;
    }
    return windows;
}

std::optional<WindowInfo> XSession::Window(WindowId id) const {
    bool ok = false;
    const QByteArray output =
        Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), IdText(id)}, &ok);
    if (!ok) return std::nullopt;
    WindowInfo info;
    info.id = id;
    int x = 0, y = 0, width = 0, height = 0, found = 0;
    for (const QString& raw : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        const QString text = raw.trimmed();
        const auto valueOf = [&](const char* key) -> std::optional<QString> {
            const QString prefix = QString::fromLatin1(key);
            if (!text.startsWith(prefix)) return std::nullopt;
            return text.mid(prefix.size()).trimmed();
        };
        if (text.startsWith(QLatin1String("xwininfo: Window id:"))) {
            const int open = text.indexOf(QLatin1Char('"'));
            const int close = text.lastIndexOf(QLatin1Char('"'));
            if (open >= 0 && close > open) info.title = text.mid(open + 1, close - open - 1);
        } else if (auto v = valueOf("Absolute upper-left X:")) {
            x = v->toInt(), ++found;
        } else if (auto v = valueOf("Absolute upper-left Y:")) {
            y = v->toInt(), ++found;
        } else if (auto v = valueOf("Width:")) {
            width = v->toInt(), ++found;
        } else if (auto v = valueOf("Height:")) {
            height = v->toInt(), ++found;
        } else if (auto v = valueOf("Map State:")) {
            info.viewable = *v == QLatin1String("IsViewable");
        } else if (auto v = valueOf("Override Redirect State:")) {
            info.overrideRedirect = *v == QLatin1String("yes");
        }
    }
    if (found != 4) return std::nullopt;
    info.rect = QRect(x, y, width, height);
    return info;
}

std::optional<QRect> XSession::ClientRect(WindowId id) const {
    const std::optional<WindowInfo> info = Window(id);
    if (!info) return std::nullopt;
    return info->rect;
}

QList<WindowInfo> XSession::VisibleWindows(const QString& title) const {
    QList<WindowInfo> visible;
    for (const WindowInfo& named : NamedWindows()) {
        if (!title.isEmpty() && named.title != title && named.role != title) continue;
        const std::optional<WindowInfo> info = Window(named.id);
        if (info && info->viewable && !info->overrideRedirect) visible << *info;
    }
    return visible;
}

QList<WindowInfo> XSession::VisiblePopups() const {
    QList<WindowInfo> popups;
    for (const WindowInfo& named : NamedWindows()) {
        const std::optional<WindowInfo> info = Window(named.id);
        // The window manager keeps a mapped 1x1 check window off screen: not a popup.
        const QRect screen(QPoint(0, 0), screen_);
        if (info && info->viewable && info->overrideRedirect && info->rect.intersects(screen)) {
            popups << *info;
        }
    }
    return popups;
}

QList<WindowInfo> XSession::WaitForWindows(const QString& title, int count, int timeoutMs) const {
    QList<WindowInfo> windows;
    WaitUntil(
        [&] {
            windows = VisibleWindows(title);
            return windows.size() >= count;
        },
        timeoutMs, 50);
    return windows;
}

std::optional<WindowInfo> XSession::WaitForWindow(const QString& title, int timeoutMs) const {
    const QList<WindowInfo> windows = WaitForWindows(title, 1, timeoutMs);
    if (windows.isEmpty()) return std::nullopt;
    return windows.first();
}

bool XSession::WaitForNoWindow(const QString& title, int timeoutMs) const {
    return WaitUntil([&] { return VisibleWindows(title).isEmpty(); }, timeoutMs, 50);
}

std::optional<QStringList> XSession::WmState(WindowId id) const {
    bool ok = false;
    const QByteArray output =
        Run(QStringLiteral("xprop"),
            {QStringLiteral("-id"), IdText(id), QStringLiteral("_NET_WM_STATE")}, &ok);
    if (!ok) return std::nullopt;
    const std::optional<QString> value = PropertyValue(output, QStringLiteral("_NET_WM_STATE"));
    if (!value) return QStringList();
    QStringList atoms;
    for (const QString& atom : value->split(QLatin1Char(','), Qt::SkipEmptyParts))
        atoms << atom.trimmed();
    return atoms;
}

std::optional<WindowId> XSession::ActiveWindow() const {
    bool ok = false;
    const QByteArray output =
        Run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}, &ok);
    if (!ok) return std::nullopt;
    return ParseId(QString::fromLatin1(output.trimmed()));
}

std::optional<FrameExtents> XSession::FrameExtentsOf(WindowId id) const {
    bool ok = false;
    const QByteArray output =
        Run(QStringLiteral("xprop"),
            {QStringLiteral("-id"), IdText(id), QStringLiteral("_NET_FRAME_EXTENTS")}, &ok);
    if (!ok) return std::nullopt;
    const std::optional<QString> value =
        PropertyValue(output, QStringLiteral("_NET_FRAME_EXTENTS"));
    if (!value) return std::nullopt;
    const QStringList parts = value->split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    return FrameExtents{parts[0].trimmed().toInt(), parts[1].trimmed().toInt(),
                        parts[2].trimmed().toInt(), parts[3].trimmed().toInt()};
}

std::optional<QString> XSession::Property(WindowId id, const QString& name) const {
    bool ok = false;
    const QByteArray output =
        Run(QStringLiteral("xprop"), {QStringLiteral("-id"), IdText(id), name}, &ok);
    if (!ok) return std::nullopt;
    return PropertyValue(output, name);
}

QRect XSession::WorkArea() const {
    const QRect screen(QPoint(0, 0), screen_);
    const std::optional<QString> value = PropertyValue(
        Run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")}),
        QStringLiteral("_NET_WORKAREA"));
    const QStringList parts = value.value_or(QString()).split(QLatin1Char(','));
    if (parts.size() < 4) return screen;
    return QRect(parts[0].trimmed().toInt(), parts[1].trimmed().toInt(), parts[2].trimmed().toInt(),
                 parts[3].trimmed().toInt());
}

std::optional<QRect> XSession::FrameRect(WindowId id) const {
    const std::optional<QRect> client = ClientRect(id);
    const std::optional<FrameExtents> frame = FrameExtentsOf(id);
    if (!client || !frame) return std::nullopt;
    return client->adjusted(-frame->left, -frame->top, frame->right, frame->bottom);
}

QString XSession::UnmappedWindowsReport() const {
    QString report;
    for (const WindowInfo& named : NamedWindows()) {
        const std::optional<WindowInfo> info = Window(named.id);
        if (!info || info->viewable || info->overrideRedirect) continue;
        report += QStringLiteral("  %1 \"%2\" %3\n")
                      .arg(IdText(named.id), named.title, ToString(named.rect));
    }
    return report;
}

QString XSession::ClientListReport() const {
    const std::optional<QString> value = PropertyValue(
        Run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")}),
        QStringLiteral("_NET_CLIENT_LIST"));
    if (!value) return QStringLiteral("  (not set)\n");
    QString report;
    // "window id # 0x400006, 0x400010"
    for (const QString& text :
         value->section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<WindowId> id = ParseId(text.trimmed());
        if (!id) continue;
        const std::optional<WindowInfo> info = Window(*id);
        report += QStringLiteral("  %1 \"%2\" %3\n")
                      .arg(IdText(*id), info ? info->title : QStringLiteral("(gone)"),
                           info ? ToString(info->rect) : QString());
    }
    return report.isEmpty() ? QStringLiteral("  (none)\n") : report;
}

QString XSession::Describe(WindowId id) const {
    const QByteArray geometry =
        Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), IdText(id)});
    const QByteArray properties = Run(QStringLiteral("xprop"), {QStringLiteral("-id"), IdText(id)});
    return QString::fromUtf8(geometry + properties);
}

bool XSession::Click(QPoint point, int button) const {
    bool ok = false;
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
         QStringLiteral("click"), QString::number(button)},
        &ok);
    return ok;
}

bool XSession::DoubleClick(QPoint point) const {
    bool ok = false;
    // Settle the pointer first: a motion event between the two presses would start a drag.
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
         QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("click"),
         QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
         QStringLiteral("80"), QStringLiteral("1")},
        &ok);
    return ok;
}

bool XSession::Drag(QPoint from, QPoint to) const {
    const auto text = [](int value) { return QString::number(value); };
    const QPoint middle = (from + to) / 2;
    bool ok = false;
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), text(from.x()), text(from.y()), QStringLiteral("mousedown"),
         QStringLiteral("1"), QStringLiteral("mousemove"), text(middle.x()), text(middle.y()),
         QStringLiteral("mousemove"), text(to.x()), text(to.y()), QStringLiteral("mouseup"),
         QStringLiteral("1")},
        &ok);
    return ok;
}

bool XSession::MoveWindow(WindowId id, QPoint topLeft) const {
    bool ok = false;
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("windowmove"), QString::number(id), QString::number(topLeft.x()),
         QString::number(topLeft.y())},
        &ok);
    return ok;
}

bool XSession::OpenForeignWindow(const QString& title, const QRect& rect, const QString& eventLog) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Environment());
    // xev reports every event it sees.
    process->setStandardOutputFile(eventLog.isEmpty() ? QProcess::nullDevice() : eventLog);
    process->setStandardErrorFile(QProcess::nullDevice());
    const pid_t parent = ::getpid();
    process->setChildProcessModifier([parent] {
        ::setpgid(0, 0);
        DieWithParent(parent);
    });
    process->start(QStringLiteral("xev"),
                   {QStringLiteral("-name"), title, QStringLiteral("-geometry"),
                    QStringLiteral("%1x%2+%3+%4")
                        .arg(rect.width())
                        .arg(rect.height())
                        .arg(rect.x())
                        .arg(rect.y())});
    if (!process->waitForStarted(5000)) return false;
    foreign_.push_back(std::move(process));
    return WaitForWindow(title, 10000).has_value();
}

bool XSession::ChangeState(WindowId id, const QString& change) const {
    bool ok = false;
    Run(QStringLiteral("wmctrl"),
        {QStringLiteral("-i"), QStringLiteral("-r"), IdText(id), QStringLiteral("-b"), change},
        &ok);
    return ok;
}

bool XSession::Key(const QString& keys) const {
    bool ok = false;
    QStringList arguments{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")};
    arguments << keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Run(QStringLiteral("xdotool"), arguments, &ok);
    return ok;
}

bool XSession::TriggerMenuItem(QPoint titlePoint, int itemIndex, int timeoutMs) const {
    if (!Click(titlePoint)) return false;
    if (!WaitUntil([&] { return !VisiblePopups().isEmpty(); }, timeoutMs, 30)) return false;
    // The popup takes the keyboard as it is mapped; give it a moment to hold it.
    QThread::msleep(150);
    QString keys;
    for (int i = 0; i <= itemIndex; ++i) keys += QStringLiteral("Down ");
    keys += QStringLiteral("Return");
    if (!Key(keys)) return false;
    return WaitUntil([&] { return VisiblePopups().isEmpty(); }, timeoutMs, 30);
}

QImage XSession::Screenshot() const {
    QString path = TempPath(QStringLiteral("screen.png"));
    QFile::remove(path);
    bool ok = false;
    Run(QStringLiteral("import"),
        {QStringLiteral("-silent"), QStringLiteral("-window"), QStringLiteral("root"),
         QStringLiteral("png:") + path},
        &ok, 20000);
    if (!ok) return {};
    QImage image(path);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

QImage XSession::SettledScreenshot(const QRect& area, int timeoutMs) const {
    QImage previous = Screenshot();
    QImage current;
    WaitUntil(
        [&] {
            current = Screenshot();
            const bool settled = !current.isNull() && !previous.isNull() &&
                                 current.size() == previous.size() &&
                                 DifferingPixels(previous, current, area) == 0;
            previous = current;
            return settled;
        },
        timeoutMs, 100);
    return current;
}

bool XSession::WaitUntil(const std::function<bool()>& condition, int timeoutMs, int intervalMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (deadline.hasExpired()) return false;
        QThread::msleep(
            std::max<qint64>(1, std::min<qint64>(intervalMs, deadline.remainingTime())));
    }
}

namespace {

int ChannelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

}  // namespace

int DifferingPixels(const QImage& a, const QImage& b, const QRect& area, int tolerance) {
    const QRect clipped = area & a.rect() & b.rect();
    int differing = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (ChannelDifference(lineA[x], lineB[x]) > tolerance) ++differing;
        }
    }
    return differing;
}

Shift BestShift(const QImage& before, const QImage& after, const QRect& area, int maxShift) {
    const QRect source = area & before.rect();
    if (source.isEmpty()) return {};
    // Find the shift by a patch from the middle of the area, which is cheap to look for over a
    // wide range; then count the whole area's differences at that shift.
    QRect patch(0, 0, std::min(24, source.width()), std::min(24, source.height()));
    patch.moveCenter(source.center());
    patch &= source;
    const auto differingAt = [&](const QRect& region, QPoint offset, int stopAt) {
        int differing = 0;
        for (int y = region.top(); y <= region.bottom() && differing < stopAt; ++y) {
            const auto* lineA = reinterpret_cast<const QRgb*>(before.constScanLine(y));
            const int yb = y + offset.y();
            for (int x = region.left(); x <= region.right(); ++x) {
                const int xb = x + offset.x();
                if (yb < 0 || yb >= after.height() || xb < 0 || xb >= after.width() ||
                    lineA[x] != reinterpret_cast<const QRgb*>(after.constScanLine(yb))[xb]) {
                    ++differing;
                }
            }
        }
        return differing;
    };
    QPoint best(0, 0);
    int bestPatch = INT_MAX;
    for (int dy = -maxShift; dy <= maxShift; ++dy) {
        for (int dx = -maxShift; dx <= maxShift; ++dx) {
            const int differing = differingAt(patch, QPoint(dx, dy), bestPatch);
            if (differing < bestPatch) bestPatch = differing, best = QPoint(dx, dy);
        }
    }
    return Shift{best, differingAt(source, best, INT_MAX)};
}

bool AreaIs(const QImage& image, const QRect& area, QRgb colour, int tolerance, int* worst) {
    const QRect clipped = area & image.rect();
    int largest = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            largest = std::max(largest, ChannelDifference(line[x], colour));
        }
    }
    if (worst) *worst = largest;
    return largest <= tolerance;
}

}  // namespace e2e
