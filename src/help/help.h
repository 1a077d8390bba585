#pragma once

#include <QPointer>

#include "platform/gui/help_viewer.h"

namespace help {

class HelpWindow;

// The part of the manual a help command opens at: the one about the window it was chosen in.
enum class HelpSection { MainWindow, DisplayWindow };

// What the help commands do. A help file "Orvik.HLP" where the help viewer looks for it is
// handed to the desktop's viewer; without one, or when nothing opens it, the program's own
// manual opens in its help window. There is one help window at a time, owned here.
class Help {
public:
    explicit Help(platform::FileOpener openFile = platform::OpenWithDesktop);
    ~Help();
    Help(const Help&) = delete;
    Help& operator=(const Help&) = delete;

    void Open(HelpSection section);

    // The help window while it is open; null otherwise.
    HelpWindow* Window() const;

private:
    platform::FileOpener openFile_;
    QPointer<HelpWindow> window_;
};

}  // namespace help
