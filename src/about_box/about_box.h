#pragma once

#include "platform/gui/twips_window.h"

class QPushButton;

namespace about_box {

// The About box: the program's name, version, copyright and contact, and "OK".
class AboutBox : public platform::TwipsWindow {
    Q_OBJECT
public:
    AboutBox();

    // Shows the one About box, centred, with "OK" focused; brings it to the front when shown.
    void ShowAbout();

private:
    QPushButton* ok_;
};

}  // namespace about_box
