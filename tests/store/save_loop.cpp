// Saves picture lists of different lengths again and again into the data file named on the
// command line, each followed by its pins' settings, until it is killed: both files must survive
// a kill at any moment whole.
#include <QString>
#include <cstdio>

#include "kill_lists.h"
#include "store/data_file.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const QString dataFile = QString::fromLocal8Bit(argv[1]);
    for (int round = 0;; ++round) {
        const int n = round % kill_lists::kLists;
        if (store::SaveAll(kill_lists::ListNumber(n), dataFile).ok) {
            store::SavePinSettings(kill_lists::SettingsNumber(n),
                                   store::PinSettingsFileName(dataFile));
        }
        // Saving has begun: the killer's clock starts now, however long the start took.
        if (round == 0) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
