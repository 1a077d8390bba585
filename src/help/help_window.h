#pragma once

#include <QWidget>

class QTextBrowser;

namespace help {

enum class HelpSection;

// The program's manual, bundled with it, in a window of its own: a browser with buttons for the
// contents, back, forward and closing. It goes away when closed.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow();

    // Shows the window in front, at the beginning of `section`.
    void ShowSection(HelpSection section);

    QTextBrowser* Browser() const { return browser_; }

    // The manual's address in the run's language, and the anchor each section starts at (the
    // same in every language).
    static QString ManualUrl();
    static QString AnchorOf(HelpSection section);

private:
    void CreateControls();

    QTextBrowser* browser_;
};

}  // namespace help
