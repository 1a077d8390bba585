#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A private X display with a real window manager, for tests that watch the program's windows
// from the outside: Xvfb on a free display number, a window manager with a fixed configuration
// (openbox by default; VELLORA_E2E_WM names another), and the command-line X tools (xwininfo,
// xprop, xdotool, wmctrl, import) to inspect and drive it. mutter brings no Xvfb: it runs
// headless as a Wayland compositor, and the display is its Xwayland. Everything started here
// runs in its own process group and is ended by the destructor.
namespace e2e {

using WindowId = quint64;

// GNOME's, KDE's and Xfce's window managers (mutter, kwin_x11, xfwm4) pull a window that asks to
// lie partly off the screen back onto it unless it says how its frame is drawn.
enum class WindowManager { Openbox, IceWM, Xfwm4, KWin, Mutter };

// One X window with a name, as seen from outside the program.
struct WindowInfo {
    WindowId id = 0;
    QString title;
    QString role;                   // WM_WINDOW_ROLE of the program's windows ("vellora-main")
    QRect rect;                     // absolute client rectangle (without any frame)
    bool viewable = false;          // mapped, with every ancestor mapped
    bool overrideRedirect = false;  // popups and menus: never framed by the window manager
};

// The four widths of a window manager frame, in the order of _NET_FRAME_EXTENTS.
struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};

// Makes the application object QProcess needs, once per test program, if there is none yet.
void EnsureApplication();

class XSession {
public:
    // The window manager the tests run under: VELLORA_E2E_WM names it ("openbox", the default,
    // "icewm", "xfwm4", "kwin" or "mutter").
    static WindowManager Chosen();
    // The tools this harness needs that are not on PATH, the chosen window manager included;
    // empty when all are there.
    static QStringList MissingTools();

    // Starts the X server and the chosen window manager; Ok() tells whether both came up and
    // the window manager is ready to manage windows.
    explicit XSession(QSize screen = QSize(1280, 1024));
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool Ok() const { return error_.isEmpty(); }
    QString Error() const { return error_; }
    QString Display() const { return display_; }
    QSize ScreenSize() const { return screen_; }
    WindowManager Manager() const { return manager_; }
    // The X server's process id, for reading its memory; -1 when it is not running.
    pid_t ServerPid() const { return server_; }
    // The window manager's output so far.
    QString WindowManagerLog() const;
    // Adds a line to icewm's window options, as a user writes rules for a program's windows
    // ("vellora.ignoreQuickSwitch: 1"), and has icewm read them again. For windows mapped
    // afterwards; false under another window manager.
    bool AddIceWMWindowOption(const QString& line) const;
    // The environment every X client started here gets: DISPLAY (and XAUTHORITY under mutter,
    // whose Xwayland asks for it), QT_QPA_PLATFORM=xcb, LC_ALL=C.UTF-8 and a private
    // XDG_RUNTIME_DIR.
    QProcessEnvironment Environment() const;
    // A variable for every client started from now on, on top of Environment()'s.
    void AddEnvironment(const QString& name, const QString& value) { added_.insert(name, value); }

    // Runs an X tool against this display and returns its standard output; `ok` tells whether
    // it ran and exited with status 0.
    QByteArray Run(const QString& program, const QStringList& arguments, bool* ok = nullptr,
                   int timeoutMs = 10000) const;

    // The program under test: started with `workingDirectory` as its current directory, its
    // output kept in a log file. Stopping it is optional: the destructor does it too.
    bool StartProgram(const QString& program, const QString& workingDirectory,
                      const QStringList& arguments = {});
    bool ProgramRunning() const;
    // The program's process id; 0 when none was started.
    qint64 ProgramPid() const { return program_ ? program_->processId() : 0; }
    void StopProgram();
    // What the program wrote to stdout and stderr so far.
    QString ProgramOutput() const;

    // Every window with a name, in the order of the tree (bottom-most first among siblings),
    // whatever its state; frames of the window manager included.
    QList<WindowInfo> NamedWindows() const;
    // The viewable, window-manager-managed windows (no override-redirect popups) titled exactly
    // `title`, or of that role: the program's windows are found by their role ("vellora-main",
    // "vellora-display", "vellora-pin"), which does not change with the language as the captions
    // do. All of them when `title` is empty.
    QList<WindowInfo> VisibleWindows(const QString& title = {}) const;
    // Waits until at least `count` such windows are visible and returns them (fewer on timeout).
    QList<WindowInfo> WaitForWindows(const QString& title, int count, int timeoutMs = 10000) const;
    std::optional<WindowInfo> WaitForWindow(const QString& title, int timeoutMs = 10000) const;
    // Waits until no visible window has that title.
    bool WaitForNoWindow(const QString& title, int timeoutMs = 10000) const;
    // The viewable override-redirect windows on the screen: Qt's menus and popups.
    QList<WindowInfo> VisiblePopups() const;

    // State of one window, read with xwininfo -id.
    std::optional<WindowInfo> Window(WindowId id) const;
    std::optional<QRect> ClientRect(WindowId id) const;
    // The atoms of _NET_WM_STATE (empty when unset); nullopt when the window is gone.
    std::optional<QStringList> WmState(WindowId id) const;
    // The window that has the focus, as the window manager announces it.
    std::optional<WindowId> ActiveWindow() const;
    std::optional<FrameExtents> FrameExtentsOf(WindowId id) const;
    // Any property as `xprop -id W NAME` shows its value ("\"vellora\", \"Vellora\"" for WM_CLASS);
    // nullopt when unset or the window is gone.
    std::optional<QString> Property(WindowId id, const QString& name) const;
    // The usable area of the screen the window manager announces (_NET_WORKAREA): the screen
    // less its panels.
    QRect WorkArea() const;
    // The window's frame as the window manager drew it: its client rectangle with the frame
    // extents around it.
    std::optional<QRect> FrameRect(WindowId id) const;
    // For failure reports: the named windows that are not viewable, and the windows the window
    // manager lists as its clients (_NET_CLIENT_LIST), each with its name.
    QString UnmappedWindowsReport() const;
    QString ClientListReport() const;
    // Raw `xprop -id` output for failure messages.
    QString Describe(WindowId id) const;

    // Input through the XTEST extension (xdotool). Points are in screen pixels.
    // Button 4 and 5 are a wheel's notch away from the user and towards them.
    bool Click(QPoint point, int button = 1) const;
    bool DoubleClick(QPoint point) const;
    // Presses the left button at `from`, moves through the middle to `to`, and lets go there.
    bool Drag(QPoint from, QPoint to) const;
    // Moves a top-level window's client area to `topLeft` through the window manager (a
    // configure request from another client, as a pager or a keyboard move makes), without the
    // pointer and keyboard grabs of a title-bar drag.
    bool MoveWindow(WindowId id, QPoint topLeft) const;
    // Opens a window of another program (xev) titled `title` at `rect`; the window manager
    // gives it the focus. It is closed with the session. The events it receives are written to
    // `eventLog` when one is named.
    bool OpenForeignWindow(const QString& title, const QRect& rect, const QString& eventLog = {});
    // Asks the window manager to change a window's state as a pager or a keyboard shortcut does,
    // by a _NET_WM_STATE client message (wmctrl -b): `change` is "add,maximized_vert,
    // maximized_horz", "add,fullscreen" and the like.
    bool ChangeState(WindowId id, const QString& change) const;
    // Keys by X keysym name, separated by blanks ("Down Return"), with a short pause between.
    bool Key(const QString& keys) const;
    // Opens the menu whose title is at `titlePoint` in a Qt menu bar, and triggers the item
    // `itemIndex` of it (0 is the first, separators not counted), by keyboard once the popup is
    // up: Qt's menus take the keyboard while open, while Alt and F10 do not reach a Qt menu bar.
    bool TriggerMenuItem(QPoint titlePoint, int itemIndex, int timeoutMs = 5000) const;

    // The whole screen, as ImageMagick's import captures the root window.
    QImage Screenshot() const;
    // A screenshot taken once `area` has stopped changing between two captures in a row, so
    // that a window that is still being painted is not caught half-way; the last capture when
    // the time is up.
    QImage SettledScreenshot(const QRect& area, int timeoutMs = 5000) const;

    // Polls `condition` every few milliseconds until it holds or the time is up.
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs,
                          int intervalMs = 40);
    // A folder that lives as long as the session.
    QString TempPath(const QString& name) const { return temp_.filePath(name); }

private:
    pid_t Spawn(const QStringList& command, const QString& logFile, int displayFd = -1);
    bool StartServer();
    bool StartWindowManager();
    bool StartOpenbox();
    bool StartIceWM();
    // xfwm4 and kwin_x11 on the Xvfb.
    bool StartOnServer();
    // mutter with its own session bus and Xwayland; sets the display and its authority.
    bool StartMutter();
    // Until the window manager has named its check window and answers requests.
    bool WaitUntilManaging(int timeoutMs);
    void EndMutter();
    void EndGroup(pid_t& pid);
    QString WriteOpenboxConfig() const;
    QString WriteIceWMConfig() const;

    QSize screen_;
    WindowManager manager_;
    QTemporaryDir temp_;
    QString display_;
    QString xauthority_;  // empty but under mutter
    QProcessEnvironment added_;
    QString error_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    std::unique_ptr<QProcess> program_;
    // The roles of the program's windows met so far, by id and title: a window keeps its role
    // while it lives, and a program started again may make a window of the same id, but one of
    // the same title has the same role.
    mutable QHash<QPair<WindowId, QString>, QString> roles_;
    std::vector<std::unique_ptr<QProcess>> foreign_;
    QString programLog_;
};

// Pixel comparison of two screenshots.
// The number of pixels inside `area` (clipped to both images) whose colours differ by more than
// `tolerance` in any channel.
int DifferingPixels(const QImage& a, const QImage& b, const QRect& area, int tolerance = 0);
// Where the content of `area` in `before` went in `after`: the shift within ±maxShift pixels
// that best matches a patch from the middle of the area, with the number of pixels of the whole
// area that still differ at that shift.
struct Shift {
    QPoint offset;
    int differing = 0;
};
Shift BestShift(const QImage& before, const QImage& after, const QRect& area, int maxShift);
// Whether every pixel of `area` (clipped to the image) is within `tolerance` of `colour`;
// `worst` receives the largest channel difference.
bool AreaIs(const QImage& image, const QRect& area, QRgb colour, int tolerance,
            int* worst = nullptr);

QString ToString(const QRect& rect);

}  // namespace e2e
