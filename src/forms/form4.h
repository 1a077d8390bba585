#pragma once

#include "platform/form_window.h"

class QLabel;
class QPushButton;

namespace forms {

// The About box.
class Form4 : public platform::FormWindow {
    Q_OBJECT
public:
    Form4();

    QPushButton* Command1;
    QLabel* Label5;  // copyright line
    QLabel* Label4;
    QLabel* Label1;  // contact line
    QLabel* Label2;
    QLabel* Label3;

    // Shows the one About box, centred, with "OK" focused; brings it to the front when shown.
    void ShowAbout();

private:
    void Command1_Click();
};

}  // namespace forms
