// Unpins a pin, zooms another and saves, then pins the first again, again and again, in the data
// folder named on the command line, until it is killed or told to end: SIGTERM ends it as the
// program's own quit does. It starts as the program does: from whatever the files say.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "pin_list/pin_list.h"
#include "platform/core/quit_signals.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    QCoreApplication application(argc, argv);
    pin_list::PinList list(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/zuzerid.dat"));
    if (!list.Load()) return 1;
    list.PlaceRestoring([](pin_list::Pin&) { return true; });
    platform::QuitSignals quit;
    QObject::connect(&quit, &platform::QuitSignals::received, &application,
                     [] { QCoreApplication::exit(0); });
    int round = 0;
    QTimer loop;
    QObject::connect(&loop, &QTimer::timeout, &application, [&] {
        if (list.Count() < 2) return;
        const pin_list::Pin first = list.At(0);
        list.Unpin(first.id);
        const pin_list::Pin& other = list.At(0);
        pin_list::Geometry zoomed = other.geometry;
        zoomed.width = float(1500 + (round % 7) * 15);
        list.SetGeometry(other.id, zoomed);
        list.Save();
        list.Forget(first.id);
        list.Add(first.entry.path, first.geometry, first.settings);
        if (round++ == 0) {
            std::puts("unpinning");
            std::fflush(stdout);
        }
    });
    loop.start(0);
    return QCoreApplication::exec();
}
