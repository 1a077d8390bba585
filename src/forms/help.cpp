#include "forms/help.h"

#include <QString>

#include "forms/help_window.h"

namespace forms {

Help::Help(platform::FileOpener openFile) : openFile_(std::move(openFile)) {}

Help::~Help() {
    delete window_.data();
}

HelpWindow* Help::Window() const {
    return window_.data();
}

void Help::Open(HelpSection section) {
    if (platform::WinHelp(openFile_, QStringLiteral("Orvik.HLP"), platform::kHelpContents, 0)) {
        return;
    }
    if (!window_) window_ = new HelpWindow();
    window_->ShowSection(section);
}

}  // namespace forms
