#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QtMath>

#include "display_window/display_window.h"
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/forms.h"
#include "platform/file_lists.h"
#include "store/picture_list.h"
#include "support/program_fixture.h"

namespace {

using MainWindowTest = ProgramTest;

int VisibleAboutBoxes() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<forms::Form4*>(widget) && widget->isVisible()) ++count;
    }
    return count;
}

TEST_F(MainWindowTest, OpeningThePreviewShowsThePictureAtItsMeasuredSize) {
    // 296 x 196 pixels plus the measuring box's border: 4500 x 3000 twips.
    test_support::WriteJpeg(P("p.jpg"), {296, 196});
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    main.cur_path = PathOf("p.jpg");
    DoubleClick(main.Image1);
    auto& display = Display();
    EXPECT_TRUE(display.isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(display.Width(), 4500);
    EXPECT_EQ(display.Height(), 3600);
    EXPECT_EQ(display.Image1->Width(), 4500);
    EXPECT_EQ(display.Image1->Height(), 3000);
    EXPECT_EQ(display.Label1.Caption, PathOf("p.jpg"));
    EXPECT_EQ(main.Label1.Caption, PathOf("p.jpg"));
    EXPECT_EQ(Pictures().ListCount(), 0);
    EXPECT_EQ(DataFile(), QByteArray());

    // The program has not placed it: it opens centred on the screen at its own size.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(display.OuterPixels().center(), area.center());

    // "画像追加..." pins it and brings the browser back.
    display.SetLeft(0);
    display.disp_vl->trigger();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(Pictures().ListCount(), 1);
    EXPECT_EQ(Column(0)[0], QStringLiteral("0"));
    EXPECT_EQ(Column(2)[0], QStringLiteral("4500"));
    EXPECT_EQ(Column(3)[0], QStringLiteral("3000"));

    // The next picture opens centred again, not where the last one was pinned.
    DoubleClick(main.Image1);
    EXPECT_EQ(display.OuterPixels().center(), area.center());
}

TEST_F(MainWindowTest, APictureLargerThanTheScreenOpensScaledDownWithItsShape) {
    test_support::WriteJpeg(P("wide.jpg"), {3996, 1996});  // 60000 x 30000 twips measured
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    main.cur_path = PathOf("wide.jpg");
    DoubleClick(main.Image1);
    auto& display = Display();
    ASSERT_TRUE(display.isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(display.Width() / 15, screen.width());
    EXPECT_LE(display.Height() / 15, screen.height());
    EXPECT_NEAR(display.Image1->Width() / display.Image1->Height(), 2.0, 0.02);
}

// Selects the file in the main window's file list as a click would.
void Select(forms::Form1& main, const QString& folder, const QString& name) {
    main.Dir1->SetPath(platform::FilePath::FromText(folder));
    const int row = main.File1->findItems(name, Qt::MatchExactly).value(0)
                        ? main.File1->row(main.File1->findItems(name, Qt::MatchExactly)[0])
                        : -1;
    ASSERT_GE(row, 0) << name.toStdString();
    main.File1->setCurrentRow(row);
    emit main.File1->Click();
}

TEST_F(MainWindowTest, SelectingAFileSizesThePreviewAndRemembersItsPath) {
    test_support::WriteJpeg(P("wide.jpg"), {296, 196});  // 4500 x 3000 twips measured
    test_support::WriteJpeg(P("tall.jpg"), {196, 796});  // 3000 x 12000
    test_support::WriteBytes(P("text.jpg"), "not a picture");
    test_support::WriteBytes(P("notes.txt"), "not listed");
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    EXPECT_FALSE(main.File1->findItems("notes.txt", Qt::MatchExactly).value(0));

    Select(main, folder.Dir().path(), "wide.jpg");
    EXPECT_TRUE(main.Image1->Visible());
    EXPECT_EQ(main.Image1->size(), QSize(100, 67));
    EXPECT_EQ(main.Image1->pos(), QPoint(152, 40));  // never centred
    EXPECT_EQ(main.cur_path, PathOf("wide.jpg"));
    EXPECT_EQ(main.Label1.Caption.Bytes(), QByteArray("wide.jpg"));
    EXPECT_EQ(main.Image1->GetPicture()->Pixels().width(), qCeil(100 * main.devicePixelRatioF()));

    Select(main, folder.Dir().path(), "tall.jpg");
    EXPECT_EQ(main.Image1->size(), QSize(33, 133));  // 500 x 2000 twips

    // A file that is no picture leaves the preview hidden and the pointer normal.
    Select(main, folder.Dir().path(), "text.jpg");
    EXPECT_FALSE(main.Image1->Visible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(main.isHidden());
}

TEST_F(MainWindowTest, ChangingFolderKeepsThePreviewAndItsPicture) {
    test_support::WriteJpeg(P("wide.jpg"), {296, 196});
    QDir(folder.Dir().path()).mkdir("sub");
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    Select(main, folder.Dir().path(), "wide.jpg");
    main.Dir1->SetPath(PathOf("sub"));
    EXPECT_EQ(main.File1->Path(), PathOf("sub"));
    EXPECT_EQ(main.File1->ListCount(), 0);
    EXPECT_TRUE(main.Image1->Visible());
    DoubleClick(main.Image1);
    EXPECT_EQ(Display().Label1.Caption, PathOf("wide.jpg"));
}

TEST_F(MainWindowTest, DoubleClickingAnEmptyPreviewOrAPictureThatWentDoesNothing) {
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    const struct {
        const char* name;
        platform::FilePath path;
    } cases[] = {{"no picture chosen", {}}, {"gone", PathOf("gone.jpg")}};
    for (const auto& c : cases) {
        main.cur_path = c.path;
        DoubleClick(main.Image1);
        EXPECT_TRUE(main.isVisible()) << c.name;
        EXPECT_FALSE(forms::Form2Exists() && Display().isVisible()) << c.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.name;
    }
}

TEST_F(MainWindowTest, HideDoesNothingWhileNothingIsPinned) {
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    main.non_disp->trigger();
    EXPECT_TRUE(main.isVisible());
}

TEST_F(MainWindowTest, HideAndCloseKeepThePicturesAndTheFile) {
    const QByteArray data = Record("0", "0", "1500", "1500", P("a.jpg"));
    StartWith(data);
    forms::Form1& main = forms::TheForm1();
    main.Show();
    main.non_disp->trigger();
    EXPECT_FALSE(main.isVisible());
    main.Show();
    main.close();  // the title bar's close: steps aside while pictures are pinned
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(ended);
    EXPECT_EQ(Pictures().ListCount(), 1);
    EXPECT_EQ(DataFile(), data);
    main.end_vl->trigger();
    EXPECT_TRUE(ended);
    EXPECT_EQ(DataFile(), data);
}

TEST_F(MainWindowTest, ClosingTheMainWindowWithNothingPinnedEndsTheProgram) {
    StartWith("");
    forms::TheForm1().close();
    EXPECT_TRUE(ended);
}

TEST_F(MainWindowTest, TheAboutBoxIsOneModelessWindowWithOkFocused) {
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    main.vl_about->trigger();
    main.vl_about->trigger();
    EXPECT_EQ(VisibleAboutBoxes(), 1);
    forms::Form4& about = forms::TheForm4();
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Velloraについて"));
    EXPECT_EQ(about.focusWidget(), about.Command1);
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_TRUE(about.isVisible());  // no cancel button
    QTest::keyClick(about.Command1, Qt::Key_Space);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(main.isVisible());
    main.vl_about->trigger();
    EXPECT_EQ(VisibleAboutBoxes(), 1);
    EXPECT_EQ(about.focusWidget(), about.Command1);
    QTest::keyClick(about.Command1, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowTest, WindowsAreBuiltAsDesigned) {
    StartWith("");
    forms::Form1& main = forms::TheForm1();
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Vellora"));
    EXPECT_EQ(main.ClientArea()->size(), QSize(264, 189));
    EXPECT_EQ(main.Image1->geometry(), QRect(152, 40, 81, 65));
    EXPECT_EQ(main.Label3->text(), QStringLiteral("Vellora"));
    EXPECT_EQ(main.Label3->x() + 3, main.Label2->x());  // the light-blue shadow to the right
    EXPECT_EQ(main.File1->Pattern(), QStringLiteral("*.jpg;*.gif"));
    EXPECT_EQ(main.non_disp->text(), QStringLiteral("非表示"));
    auto& display = Display();
    EXPECT_EQ(display.windowTitle(), QStringLiteral("画像表示 "));
    EXPECT_EQ(display.hari->text(), QStringLiteral("張り付け"));
    EXPECT_EQ(display.disp_vl->text(), QStringLiteral("画像追加..."));
    forms::Form4& about = forms::TheForm4();
    EXPECT_EQ(about.ClientArea()->size(), QSize(251, 145));
    EXPECT_EQ(about.Label4->text(), QStringLiteral("Ver.0.1"));
    EXPECT_TRUE(about.Label1->text().startsWith(QStringLiteral("E-Mail：")));
    // Only the three browser lists take the focus in the main window, in this order.
    EXPECT_EQ(main.Drive1->nextInFocusChain(), main.Dir1);
    for (QWidget* child : main.ClientArea()->findChildren<QWidget*>()) {
        if (child == main.Drive1 || child == main.Dir1 || child == main.File1 ||
            main.Drive1->isAncestorOf(child) || main.Dir1->isAncestorOf(child) ||
            main.File1->isAncestorOf(child)) {
            continue;
        }
        EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->objectName().toStdString();
    }
}

}  // namespace
