#include "app/program.h"

#include "app/startup.h"
#include "display_window/display_window.h"
#include "forms/forms.h"
#include "main_window/main_window.h"
#include "pinned_window/pinned_window.h"

namespace app {

void InstallWindows() {
    forms::InstallFontSubstitutes();
    forms::InstallFactories({
        [] { return new main_window::MainWindow(); },
        [] { return new display_window::DisplayWindow(); },
        [] { return new pinned_window::PinnedWindow(); },
    });
}

void Start() {
    InstallWindows();
    forms::Form1& form = forms::TheForm1();
    Form_Load(form);
    // The start-up hides the main window explicitly when pictures came back.
    if (!form.testAttribute(Qt::WA_WState_ExplicitShowHide)) form.Show();
}

}  // namespace app
