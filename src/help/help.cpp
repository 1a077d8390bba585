#include "help/help.h"

#include <QString>

#include "help/help_window.h"

namespace help {

Help::Help(platform::FileOpener openFile) : openFile_(std::move(openFile)) {}

Help::~Help() {
    delete window_.data();
}

HelpWindow* Help::Window() const {
    return window_.data();
}

void Help::Open(HelpSection section) {
    if (platform::OpenHelpFile(openFile_, QStringLiteral("Orvik.HLP"))) return;
    if (!window_) window_ = new HelpWindow();
    window_->ShowSection(section);
}

}  // namespace help
