// A picture opened from outside the browser (the command line, another start, a drop from a
// file manager) takes the browser's own road, and loses nothing on show.
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include "app/program.h"
#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/gui/controls.h"
#include "platform/gui/file_lists.h"
#include "support/program_fixture.h"

namespace {

using OpenFromOutsideTest = ProgramTest;

TEST_F(OpenFromOutsideTest, ThePictureOnShowIsPinnedAndTheBrowserMovesToTheNewOne) {
    ASSERT_TRUE(QDir(folder.Path(".")).mkdir(QStringLiteral("sub")));
    test_support::WriteJpeg(P("sub/d.jpg"), {296, 196});
    StartWith("");
    main_window::MainWindow& main = Main();

    ASSERT_EQ(program->OpenPicture(PathOf("a.jpg")), std::nullopt);
    ASSERT_TRUE(Display().isVisible());
    EXPECT_EQ(Display().ShownPath(), PathOf("a.jpg"));
    EXPECT_FALSE(main.isVisible());
    Display().SetLeft(1500);
    Display().SetTop(900);

    ASSERT_EQ(program->OpenPicture(PathOf("sub/d.jpg")), std::nullopt);
    // a.jpg stays where it was placed, pinned and saved.
    ASSERT_EQ(PinnedWindows().size(), 1u);
    EXPECT_EQ(Board().Entries()[0].path, PathOf("a.jpg"));
    EXPECT_EQ(Column(0), QStringList{QStringLiteral("1500")});
    EXPECT_EQ(Column(1), QStringList{QStringLiteral("1500")});
    EXPECT_TRUE(DataFile().contains(P("a.jpg").toUtf8()));
    // The browser shows the new picture selected in its folder, and it is on show at its size.
    EXPECT_EQ(main.findChild<platform::DirListBox*>("folders")->Path(), PathOf("sub"));
    const auto* files = main.findChild<platform::FileListBox*>("files");
    ASSERT_EQ(files->ListIndex(), 0);
    EXPECT_EQ(files->List(0), QByteArray("d.jpg"));
    EXPECT_EQ(main.CurrentPicture(), PathOf("sub/d.jpg"));
    EXPECT_EQ(Display().ShownPath(), PathOf("sub/d.jpg"));
    EXPECT_EQ(Display().Width(), 4500);
    EXPECT_EQ(Display().Height(), 3600);
}

TEST_F(OpenFromOutsideTest, AFileThatIsNotAListedPictureChangesNothing) {
    test_support::WriteBytes(P("broken.jpg"), "not a picture");
    test_support::WriteJpeg(P("e.tif"), {10, 10});
    test_support::WriteJpeg(P(".hidden.jpg"), {10, 10});
    StartWith("");
    ASSERT_EQ(program->OpenPicture(PathOf("a.jpg")), std::nullopt);
    for (const char* name : {"broken.jpg", "e.tif", ".hidden.jpg", "gone.jpg"}) {
        EXPECT_NE(program->OpenPicture(PathOf(name)), std::nullopt) << name;
        EXPECT_TRUE(Display().isVisible()) << name;
        EXPECT_EQ(Display().ShownPath(), PathOf("a.jpg")) << name;
    }
    EXPECT_EQ(Board().Count(), 0);
    EXPECT_EQ(DataFile(), QByteArray());
}

TEST_F(OpenFromOutsideTest, APictureDroppedOnTheMainWindowOpensByItsBytes) {
    const QByteArray shiftJis = QFile::encodeName(P("x.jpg")).chopped(5) + "\x8e\xca\x90^.jpg";
    test_support::WriteJpeg(P("x.jpg"), {296, 196});
    test_support::RenameToRawName(P("x.jpg"), shiftJis);
    test_support::WriteBytes(P("notes.txt"), "text");
    StartWith("");
    main_window::MainWindow& main = Main();
    const auto drop = [&main](const QByteArray& path) {
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"),
                     "file://" + path.toPercentEncoding("/") + "\r\n");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&main, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&main, &dropped);
        QTest::qWait(1);
        return true;
    };
    EXPECT_FALSE(drop(QFile::encodeName(P("notes.txt"))));
    EXPECT_FALSE(Display().isVisible());

    ASSERT_TRUE(drop(shiftJis));
    ASSERT_TRUE(Display().isVisible());
    EXPECT_EQ(Display().ShownPath(), platform::FilePath(shiftJis));
    EXPECT_EQ(Display().Width(), 4500);
    EXPECT_FALSE(main.isVisible());
    // QTemporaryDir removes files by their names as text, which miss this one.
    ::unlink(shiftJis.constData());
}

}  // namespace
