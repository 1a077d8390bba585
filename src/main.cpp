#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string_view>

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

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string_view(platform) != "xcb") return true;
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

}  // namespace

int main(int argc, char* argv[]) {
    ChooseWindowSystem();
    if (!HasDisplay()) {
        std::fprintf(stderr, "vellora: no X display (DISPLAY is not set); start it in an X11 or "
                             "XWayland desktop session\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setQuitOnLastWindowClosed(false);
    app::Start();
    return application.exec();
}
