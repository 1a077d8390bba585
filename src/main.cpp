#include <QApplication>

#include <cstdio>

#include "app/program.h"
#include "platform/x11_display.h"

int main(int argc, char* argv[]) {
    platform::ChooseWindowSystem();
    if (!platform::DisplayReachable()) {
        std::fprintf(stderr,
                     "vellora: no X display: start it from an X11 or Wayland desktop "
                     "session\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setQuitOnLastWindowClosed(false);
    app::Start();
    return application.exec();
}
