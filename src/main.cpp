#include <QApplication>

#include <cstdio>

#include "app/desktop.h"
#include "app/launch.h"
#include "app/program.h"
#include "language/language.h"
#include "platform/core/quit_signals.h"
#include "platform/pictures/thumbnail_cache.h"
#include "platform/x11/display.h"
#include "preferences/preferences.h"

int main(int argc, char* argv[]) {
    // Help, the version and start at login end here without a display, as does a start for a
    // data folder whose program is already running, which hands over to it.
    app::Launch launch(argc, argv);
    if (launch.Finished()) return launch.ExitStatus();
    platform::ChooseWindowSystem();
    if (!platform::DisplayReachable()) {
        std::fprintf(stderr,
                     "vellora: no X display: start it from an X11 or Wayland desktop "
                     "session\n");
        return 2;
    }
    // Named first: the configuration folder is named after the program.
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    preferences::Loaded preferences = preferences::Load(preferences::FilePath());
    if (preferences.note) std::fprintf(stderr, "vellora: %s\n", qPrintable(*preferences.note));
    if (preferences.preferences.UiLanguage() != preferences::Language::Desktop) {
        language::Choose(preferences.preferences.UiLanguage() == preferences::Language::English
                             ? language::Language::English
                             : language::Language::Japanese);
    }
    // The arguments were the program's own: none of them is taken for one of Qt's options.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    language::InstallTranslator();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vellora.Vellora"));
    QApplication::setQuitOnLastWindowClosed(false);
    app::Program program(launch.DataFile(), platform::ThumbnailCache::DesktopRoot(),
                         preferences.preferences.RecognitionLanguages());
    app::Desktop desktop(program, launch, std::move(preferences.preferences));
    // A logout's SIGTERM, or Ctrl+C, ends the program as its own "終了" does.
    platform::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &platform::QuitSignals::received, &application,
                     [&program] { program.Quit(); });
    return QApplication::exec();
}
