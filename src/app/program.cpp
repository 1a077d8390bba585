#include "app/program.h"

#include "app/save_failure_notice.h"
#include "app/startup.h"
#include "display_window/display_window.h"
#include "forms/form1.h"
#include "forms/forms.h"
#include "main_window/main_window.h"
#include "pinned_window/pinned_window.h"
#include "store/picture_list.h"

namespace app {

Program::Program(const QString& dataFile)
    : pictures_(std::make_unique<store::PictureList>(dataFile)),
      saveFailureNotice_(std::make_unique<SaveFailureNotice>()) {
    pictures_->SetSaveListener(
        [notice = saveFailureNotice_.get()](const QString& file, const store::SaveResult& result) {
            notice->Saved(file, result);
        });
}

// The windows hold references to the picture list: they go first.
Program::~Program() {
    forms::DestroyAllForms();
}

void Program::Start() {
    forms::InstallFontSubstitutes();
    store::PictureList& pictures = *pictures_;
    forms::InstallFactories({
        [&pictures] { return new main_window::MainWindow(pictures); },
        [&pictures] { return new display_window::DisplayWindow(pictures); },
        [&pictures] { return new pinned_window::PinnedWindow(pictures); },
    });
    forms::Form1& form = forms::TheForm1();
    if (!Form_Load(form, pictures)) form.Show();
}

}  // namespace app
