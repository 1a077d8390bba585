// Removes pins of pasted pictures into the recently removed list and puts them back, again and
// again, in the data folder named on the command line, until it is killed. It starts as the
// program does: from whatever the files say after the last kill.
#include <QString>
#include <cstdio>

#include "pin_list/pin_list.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    pin_list::PinList list(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/zuzerid.dat"));
    if (!list.Load()) return 1;
    const auto place = [](pin_list::Pin&) { return true; };
    list.PlaceRestoring(place);
    for (qsizetype left = list.RemovedPins().size(); left > 0; --left) {
        list.RestoreRemoved(0, place);
    }
    for (int round = 0;; ++round) {
        if (list.Count() > 0) list.Remove(list.At(round % list.Count()).id);
        if (round % 3 != 0) list.RestoreRemoved(0, place);
        // Removing has begun: the killer's clock starts now, however long the start took.
        if (round == 0) {
            std::puts("removing");
            std::fflush(stdout);
        }
    }
}
