#pragma once

#include <functional>

// The program's windows as shared objects: the main window, the display window and the About
// box are one object each, created on first reference; a pinned window is a new object for
// every pinned picture. The behaviour behind each window is supplied from above (the windows'
// own libraries) through the factories.
namespace forms {

class Form1;
class Form2;
class Form3;
class Form4;

struct Factories {
    std::function<Form1*()> form1;
    std::function<Form2*()> form2;
    std::function<Form3*()> form3;
};

void InstallFactories(Factories factories);

Form1& TheForm1();
Form2& TheForm2();
Form4& TheForm4();
bool Form2Exists();
Form3* NewForm3();

// Ends the program at once: every window goes, no further handler runs, nothing is saved.
void EndProgram();
// What EndProgram does after taking the windows away; tests replace it to stay alive.
void SetEndAction(std::function<void()> action);

// Deletes every window object, so that tests start each case from none.
void DestroyAllForms();

// Japanese and Windows face names mapped onto fonts Linux has, of the same kind.
void InstallFontSubstitutes();

}  // namespace forms
