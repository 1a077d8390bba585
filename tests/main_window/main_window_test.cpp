#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QtMath>

#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "platform/gui/controls.h"
#include "platform/gui/file_lists.h"
#include "support/program_fixture.h"

namespace {

class MainWindowTest : public ProgramTest {
protected:
    platform::FileListBox* Files() { return Main().findChild<platform::FileListBox*>("files"); }
    platform::DirListBox* Folders() { return Main().findChild<platform::DirListBox*>("folders"); }
    platform::ImageBox* Preview() { return PictureOf(&Main()); }

    // Selects the file in the main window's file list as a click would.
    void Select(const QString& folderPath, const QString& name) {
        Folders()->SetPath(platform::FilePath::FromText(folderPath));
        const QList<QListWidgetItem*> found = Files()->findItems(name, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        Files()->setCurrentRow(Files()->row(found[0]));
        emit Files()->Click();
    }
    // Selects the file and double-clicks the preview.
    void Open(const char* name) {
        Select(folder.Dir().path(), QString::fromUtf8(name));
        DoubleClick(Preview());
    }
};

TEST_F(MainWindowTest, OpeningThePreviewShowsThePictureAtItsMeasuredSize) {
    // 296 x 196 pixels plus the measuring box's border: 4500 x 3000 twips.
    test_support::WriteJpeg(P("p.jpg"), {296, 196});
    StartWith("");
    main_window::MainWindow& main = Main();
    Open("p.jpg");
    auto& display = Display();
    EXPECT_TRUE(display.isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(display.Width(), 4500);
    EXPECT_EQ(display.Height(), 3600);
    EXPECT_EQ(PictureOf(&display)->Width(), 4500);
    EXPECT_EQ(PictureOf(&display)->Height(), 3000);
    EXPECT_EQ(display.ShownPath(), PathOf("p.jpg"));
    EXPECT_EQ(Board().Count(), 0);
    EXPECT_EQ(DataFile(), QByteArray());

    // The program has not placed it: it opens centred on the screen at its own size.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(display.OuterPixels().center(), area.center());

    // "画像追加..." pins it and brings the browser back.
    display.SetLeft(0);
    Trigger(&display, "addPicture");
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(Board().Count(), 1);
    EXPECT_EQ(Column(0)[0], QStringLiteral("0"));
    EXPECT_EQ(Column(2)[0], QStringLiteral("4500"));
    EXPECT_EQ(Column(3)[0], QStringLiteral("3000"));

    // The next picture opens centred again, not where the last one was pinned.
    DoubleClick(Preview());
    EXPECT_EQ(display.OuterPixels().center(), area.center());
}

TEST_F(MainWindowTest, APictureLargerThanTheScreenOpensScaledDownWithItsShape) {
    test_support::WriteJpeg(P("wide.jpg"), {3996, 1996});  // 60000 x 30000 twips measured
    StartWith("");
    Open("wide.jpg");
    auto& display = Display();
    ASSERT_TRUE(display.isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(display.Width() / 15, screen.width());
    EXPECT_LE(display.Height() / 15, screen.height());
    EXPECT_NEAR(PictureOf(&display)->Width() / PictureOf(&display)->Height(), 2.0, 0.02);
}

TEST_F(MainWindowTest, SelectingAFileSizesThePreviewAndRemembersItsPath) {
    test_support::WriteJpeg(P("wide.jpg"), {296, 196});  // 4500 x 3000 twips measured
    test_support::WriteJpeg(P("tall.jpg"), {196, 796});  // 3000 x 12000
    test_support::WriteBytes(P("text.jpg"), "not a picture");
    test_support::WriteBytes(P("notes.txt"), "not listed");
    StartWith("");
    main_window::MainWindow& main = Main();
    EXPECT_FALSE(Files()->findItems("notes.txt", Qt::MatchExactly).value(0));

    Select(folder.Dir().path(), "wide.jpg");
    EXPECT_TRUE(Preview()->Visible());
    EXPECT_EQ(Preview()->size(), QSize(100, 67));
    EXPECT_EQ(Preview()->pos(), QPoint(152, 40));  // never centred
    EXPECT_EQ(main.CurrentPicture(), PathOf("wide.jpg"));
    EXPECT_EQ(Preview()->GetPicture()->Pixels().width(), qCeil(100 * main.devicePixelRatioF()));

    Select(folder.Dir().path(), "tall.jpg");
    EXPECT_EQ(Preview()->size(), QSize(33, 133));  // 500 x 2000 twips

    // A file that is no picture leaves the preview hidden and the pointer normal.
    Select(folder.Dir().path(), "text.jpg");
    EXPECT_FALSE(Preview()->Visible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(main.isHidden());
}

TEST_F(MainWindowTest, ChangingFolderKeepsThePreviewAndItsPicture) {
    test_support::WriteJpeg(P("wide.jpg"), {296, 196});
    QDir(folder.Dir().path()).mkdir("sub");
    StartWith("");
    Select(folder.Dir().path(), "wide.jpg");
    Folders()->SetPath(PathOf("sub"));
    EXPECT_EQ(Files()->Path(), PathOf("sub"));
    EXPECT_EQ(Files()->ListCount(), 0);
    EXPECT_TRUE(Preview()->Visible());
    DoubleClick(Preview());
    EXPECT_EQ(Display().ShownPath(), PathOf("wide.jpg"));
}

TEST_F(MainWindowTest, DoubleClickingAnEmptyPreviewOrAPictureThatWentDoesNothing) {
    test_support::WriteJpeg(P("going.jpg"), {296, 196});
    StartWith("");
    main_window::MainWindow& main = Main();
    DoubleClick(Preview());  // no picture chosen yet
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(Display().isVisible());

    Select(folder.Dir().path(), "going.jpg");
    ASSERT_TRUE(QFile::remove(P("going.jpg")));
    DoubleClick(Preview());
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(Display().isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, HideDoesNothingWhileNothingIsPinned) {
    StartWith("");
    Trigger(&Main(), "hide");
    EXPECT_TRUE(Main().isVisible());
}

TEST_F(MainWindowTest, HideAndCloseKeepThePicturesAndTheFile) {
    const QByteArray data = Record("0", "0", "1500", "1500", P("a.jpg"));
    StartWith(data);
    main_window::MainWindow& main = Main();
    main.Show();
    Trigger(&main, "hide");
    EXPECT_FALSE(main.isVisible());
    main.Show();
    main.close();  // the title bar's close: steps aside while pictures are pinned
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(ended);
    EXPECT_EQ(Board().Count(), 1);
    EXPECT_EQ(DataFile(), data);
    Trigger(&main, "quit");
    EXPECT_TRUE(ended);
    EXPECT_EQ(DataFile(), data);
}

TEST_F(MainWindowTest, ClosingTheMainWindowWithNothingPinnedEndsTheProgram) {
    StartWith("");
    Main().close();
    EXPECT_TRUE(ended);
}

TEST_F(MainWindowTest, IsBuiltAsDesigned) {
    StartWith("");
    main_window::MainWindow& main = Main();
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Vellora"));
    EXPECT_EQ(main.ClientArea()->size(), QSize(264, 189));
    EXPECT_EQ(Preview()->geometry(), QRect(152, 40, 81, 65));
    const auto* title = main.findChild<QLabel*>("title");
    EXPECT_EQ(title->text(), QStringLiteral("Vellora"));
    // The light-blue shadow to the right.
    EXPECT_EQ(title->x() + 3, main.findChild<QLabel*>("titleShadow")->x());
    EXPECT_EQ(Files()->Pattern(), QStringLiteral("*.jpg;*.gif"));
    EXPECT_EQ(main.findChild<QAction*>("hide")->text(), QStringLiteral("非表示"));
    auto& display = Display();
    EXPECT_EQ(display.windowTitle(), QStringLiteral("画像表示 "));
    EXPECT_EQ(display.findChild<QAction*>("pin")->text(), QStringLiteral("張り付け"));
    EXPECT_EQ(display.findChild<QAction*>("addPicture")->text(), QStringLiteral("画像追加..."));
    // Only the three browser lists take the focus in the main window, in this order.
    auto* drives = main.findChild<QWidget*>("drives");
    EXPECT_EQ(drives->nextInFocusChain(), Folders());
    for (QWidget* child : main.ClientArea()->findChildren<QWidget*>()) {
        const bool inList = [&] {
            for (QWidget* list :
                 {drives, static_cast<QWidget*>(Folders()), static_cast<QWidget*>(Files())}) {
                if (child == list || list->isAncestorOf(child)) return true;
            }
            return false;
        }();
        if (!inList) {
            EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->objectName().toStdString();
        }
    }
}

}  // namespace
