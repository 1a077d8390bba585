#pragma once

#include <QString>
#include <memory>

namespace store {
class PictureList;
}

namespace app {

class SaveFailureNotice;

// The running program: the picture list it keeps in its data file, the windows that show and
// change that list, and what it tells the user when a save fails.
class Program {
public:
    explicit Program(const QString& dataFile);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Creates the main window, runs the start-up restore, and shows the main window unless the
    // restore hid it. Does not enter the event loop.
    void Start();

    store::PictureList& Pictures() { return *pictures_; }

private:
    std::unique_ptr<store::PictureList> pictures_;
    std::unique_ptr<SaveFailureNotice> saveFailureNotice_;
};

}  // namespace app
