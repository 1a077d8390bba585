#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "about_box/about_box.h"
#include "app/program.h"
#include "main_window/main_window.h"
#include "support/program_fixture.h"

namespace {

using AboutBoxTest = ProgramTest;

int VisibleAboutBoxes() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<about_box::AboutBox*>(widget) && widget->isVisible()) ++count;
    }
    return count;
}

TEST_F(AboutBoxTest, IsOneModelessWindowWithOkFocused) {
    StartWith("");
    main_window::MainWindow& main = Main();
    Trigger(&main, "about");
    Trigger(&main, "about");
    EXPECT_EQ(VisibleAboutBoxes(), 1);
    about_box::AboutBox& about = program->AboutBox();
    auto* ok = about.findChild<QPushButton*>("ok");
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Velloraについて"));
    EXPECT_EQ(about.ClientArea()->size(), QSize(251, 145));
    EXPECT_EQ(about.findChild<QLabel*>("version")->text(), QStringLiteral("Ver.0.1"));
    EXPECT_TRUE(about.findChild<QLabel*>("contact")->text().startsWith(QStringLiteral("E-Mail：")));
    EXPECT_EQ(about.focusWidget(), ok);
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_TRUE(about.isVisible());  // no cancel button
    QTest::keyClick(ok, Qt::Key_Space);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(main.isVisible());
    Trigger(&main, "about");
    EXPECT_EQ(VisibleAboutBoxes(), 1);
    EXPECT_EQ(about.focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
