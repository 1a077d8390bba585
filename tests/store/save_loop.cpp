// Saves picture lists of different lengths again and again into the data file named on the
// command line, with their pins' settings beside it as the pin board saves them, until it is
// killed. A pause between the two files widens the moment in which a kill finds the data file
// new and the settings not yet: both files must survive a kill at any moment, and every pin its
// settings.
#include <QString>
#include <QThread>
#include <cstdio>

#include "kill_lists.h"
#include "store/data_file.h"
#include "store/pin_settings.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const QString dataFile = QString::fromLocal8Bit(argv[1]);
    store::PinsWithSettings before;
    for (int round = 0;; ++round) {
        const int n = round % kill_lists::kLists;
        const store::PinsWithSettings pins = kill_lists::SettingsNumber(n);
        if (store::SaveListAndSettings(pins, before, store::DataFolder(dataFile), [] {
                QThread::usleep(2000);
            }).ok) {
            before = pins;
        }
        // Saving has begun: the killer's clock starts now, however long the start took.
        if (round == 0) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
