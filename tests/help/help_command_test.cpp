#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTextBrowser>

#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/gui/controls.h"
#include "support/program_fixture.h"

namespace {

// With no help file anywhere, the help commands of both windows open the program's manual.
using HelpCommandTest = ProgramTest;

QWidget* OnlyHelpWindow() {
    QWidget* found = nullptr;
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("HelpWindow") && widget->isVisible()) {
            found = widget;
            ++count;
        }
    }
    return count == 1 ? found : nullptr;
}

QString SectionShown(QWidget* helpWindow) {
    return helpWindow->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"))->source().fragment();
}

TEST_F(HelpCommandTest, EachWindowsHelpOpensTheManualAtThatWindow) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")));
    Unpin(0, 0);
    ASSERT_TRUE(Display().isVisible());

    Trigger(&Display(), "help");
    QWidget* help = OnlyHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(SectionShown(help), QStringLiteral("display-window"));
    // The picture was pinned before the help opened.
    EXPECT_FALSE(Display().isVisible());
    EXPECT_EQ(PinnedWindows().size(), 1u);
    EXPECT_EQ(DataFile(), Record("0", "0", "1500", "1500", P("a.jpg")));

    Trigger(&Main(), "help");
    EXPECT_EQ(OnlyHelpWindow(), help);
    EXPECT_EQ(SectionShown(help), QStringLiteral("main-window"));
}

}  // namespace
