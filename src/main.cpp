#include <xcb/xcb.h>
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/desktop.h"
#include "app/launch.h"
#include "app/program.h"

namespace {

// Windows are placed where the data file says, which a native Wayland client cannot do: under
// Wayland the program runs through XWayland.
void ChooseWindowSystem() {
    if (std::getenv("QT_QPA_PLATFORM")) return;
    if (std::getenv("WAYLAND_DISPLAY") || std::getenv("DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}

// Qt aborts when it cannot reach the X server; a plain message and an exit status are kinder.
bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string_view(platform) != "xcb") return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Help, the version and start at login end here without a display, as does a start for a
    // data folder whose program is already running, which hands over to it.
    app::Launch launch(argc, argv);
    if (launch.Finished()) return launch.ExitStatus();
    ChooseWindowSystem();
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "vellora: no X display: start it from an X11 or Wayland desktop "
                     "session\n");
        return 2;
    }
    // The arguments were the program's own: none of them is taken for one of Qt's options.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setQuitOnLastWindowClosed(false);
    app::Program program(launch.DataFile());
    app::Desktop desktop(program, launch);
    return application.exec();
}
