#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>

#include "platform/gui/file_lists.h"
#include "support/test_files.h"

namespace {

using test_support::InTemporaryFolder;
using test_support::WriteBytes;

using platform::FilePath;

// The current folder, with symbolic links in the temporary folder's path resolved as the
// process sees them.
QString Here() {
    return QDir::currentPath();
}

FilePath PathOf(const QString& text) {
    return FilePath::FromText(text);
}

QStringList Texts(const QListWidget& list, int from = 0) {
    QStringList out;
    for (int i = from; i < list.count(); ++i) out.append(list.item(i)->text());
    return out;
}

void Show(QWidget& widget) {
    widget.resize(300, 400);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
}

void ClickRow(QListWidget& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(row)).center());
}

// ---- File list ----

class FileListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"b.Gif", "A.JPG", "c.jpeg", "d.png", "jpg", "e.jpg", ".hidden.jpg"})
            WriteBytes(folder_.Path(QString::fromUtf8(name)), "x");
        QDir(folder_.Path({})).mkdir(QStringLiteral("folder.jpg"));
        WriteBytes(folder_.Path(QStringLiteral("line\nbreak.jpg")), "x");
    }
    InTemporaryFolder folder_;
};

TEST_F(FileListBoxTest, ListsTheMatchingRegularFilesOfTheCurrentFolder) {
    platform::FileListBox list(nullptr);
    list.SetPattern(QStringLiteral("*.jpg;*.gif"));
    EXPECT_EQ(list.Path(), PathOf(Here()));
    EXPECT_EQ(Texts(list), (QStringList{"A.JPG", "b.Gif", "e.jpg"}));
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.List(1), QByteArray("b.Gif"));
    EXPECT_EQ(list.List(7), QByteArray());
}

TEST_F(FileListBoxTest, NamesThatAreNotUtf8AreListedReadablyUnderTheirOwnBytes) {
    const QByteArray here = QFile::encodeName(Here());
    test_support::RenameToRawName(folder_.Path("e.jpg"), here + "/\x8e\xca\x90^.jpg");
    test_support::RenameToRawName(folder_.Path("A.JPG"), here + "/caf\xe9.jpg");
    platform::FileListBox list(nullptr);
    list.SetPattern(QStringLiteral("*.jpg;*.gif"));
    EXPECT_EQ(Texts(list), (QStringList{"b.Gif", "caf\\xe9.jpg", "写真.jpg"}));
    EXPECT_EQ(list.List(1), QByteArray("caf\xe9.jpg"));
    EXPECT_EQ(list.List(2), QByteArray("\x8e\xca\x90^.jpg"));
}

TEST_F(FileListBoxTest, PathEndsInASlashOnlyAtTheRoot) {
    platform::FileListBox list(nullptr);
    const struct {
        QString set;
        QString expected;
    } cases[] = {
        {QStringLiteral("/"), QStringLiteral("/")},
        {Here() + QStringLiteral("/"), Here()},
        {QStringLiteral("folder.jpg"), Here() + QStringLiteral("/folder.jpg")},
    };
    for (const auto& c : cases) {
        list.SetPath(PathOf(Here()));
        list.SetPath(PathOf(c.set));
        EXPECT_EQ(list.Path(), PathOf(c.expected)) << c.set.toStdString();
    }
}

TEST_F(FileListBoxTest, ClickIsRaisedForEveryUserSelectionAndNeverForRefills) {
    platform::FileListBox list(nullptr);
    QSignalSpy clicks(&list, &platform::FileListBox::Click);
    list.SetPattern(QStringLiteral("*.jpg;*.gif"));
    list.SetPath(PathOf(Here()));
    Show(list);
    QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&list, &tabbedIn);
    EXPECT_EQ(clicks.count(), 0) << "filling or entering the list is not a selection";

    ClickRow(list, 1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(list.ListIndex(), 1);

    ClickRow(list, 1);
    EXPECT_EQ(clicks.count(), 2) << "the selected entry clicked again";

    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(list.List(list.ListIndex()), QByteArray("e.jpg"));

    list.SetPath(PathOf(Here()));
    EXPECT_EQ(list.ListIndex(), -1);
    ClickRow(list, 0);
    EXPECT_EQ(clicks.count(), 4) << "one click, one Click";
    EXPECT_EQ(list.ListIndex(), 0);
}

// ---- Folder list ----

class DirListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QDir here(Here());
        for (const char* name : {"beta", "Alpha", ".hidden", "gamma"})
            here.mkdir(QString::fromUtf8(name));
        WriteBytes(folder_.Path(QStringLiteral("file.jpg")), "x");
    }
    InTemporaryFolder folder_;
};

TEST_F(DirListBoxTest, ShowsThePathDownToTheCurrentFolderThenItsSubfolders) {
    platform::DirListBox list(nullptr);
    const QStringList levels = Here().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    EXPECT_EQ(list.Path(), PathOf(Here()));
    ASSERT_EQ(list.count(), levels.size() + 1 + 3);
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("/"));
    EXPECT_EQ(Texts(list, 1).mid(0, levels.size()), levels);
    EXPECT_EQ(Texts(list, levels.size() + 1), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(list.currentRow(), levels.size()) << "the current folder is selected";
    EXPECT_TRUE(list.currentItem()->isSelected());
}

TEST_F(DirListBoxTest, AFolderThatCannotBeReadChangesNothing) {
    QDir(Here()).mkdir(QStringLiteral("locked"));
    QFile::setPermissions(folder_.Path(QStringLiteral("locked")), QFileDevice::Permissions());
    platform::DirListBox list(nullptr);
    QSignalSpy changes(&list, &platform::DirListBox::Change);
    const QStringList before = Texts(list);

    QStringList unreadable = {Here() + QStringLiteral("/missing"),
                              folder_.Path(QStringLiteral("file.jpg")), QString()};
    if (::geteuid() != 0) unreadable.append(folder_.Path(QStringLiteral("locked")));
    for (const QString& path : unreadable) {
        EXPECT_FALSE(list.SetPath(PathOf(path))) << path.toStdString();
        EXPECT_EQ(list.Path(), PathOf(Here()));
        EXPECT_EQ(Texts(list), before);
    }
    EXPECT_EQ(changes.count(), 0);
    QFile::setPermissions(folder_.Path(QStringLiteral("locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(DirListBoxTest, OpeningAnItemMakesItTheCurrentFolder) {
    const QString started = Here();
    platform::DirListBox list(nullptr);
    Show(list);
    QSignalSpy changes(&list, &platform::DirListBox::Change);

    EXPECT_TRUE(list.SetPath(PathOf(Here() + QStringLiteral("/beta/../gamma/"))));
    EXPECT_EQ(list.Path(), PathOf(Here() + QStringLiteral("/gamma")));
    EXPECT_EQ(list.currentItem()->text(), QStringLiteral("gamma"));
    EXPECT_TRUE(list.SetPath(PathOf(Here())));
    EXPECT_EQ(changes.count(), 2);

    list.setCurrentItem(list.findItems(QStringLiteral("beta"), Qt::MatchExactly).value(0));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Path(), PathOf(Here() + QStringLiteral("/beta")));
    EXPECT_EQ(changes.count(), 3);

    // Through the window, so that the double-click comes with its presses as on a real display.
    const QPoint root = list.viewport()->mapTo(&list, list.visualItemRect(list.item(0)).center());
    QTest::mouseDClick(list.windowHandle(), Qt::LeftButton, {}, root);
    EXPECT_EQ(list.Path(), PathOf("/"));
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(QDir::currentPath(), started);
}

// ---- Drive list ----

TEST(DriveListBox, OnlyTheUsersChoiceOfAnotherVolumeRaisesChange) {
    platform::DriveListBox drives(nullptr);
    EXPECT_EQ(drives.FolderToShowFor(drives.Drive()), Here()) << "the volume of the current folder";
    const QString other =
        drives.Drive() == QLatin1String("/") ? QStringLiteral("/mnt/x") : QStringLiteral("/");
    EXPECT_EQ(drives.FolderToShowFor(other), other);

    drives.addItem(QStringLiteral("/somewhere else"));  // a second entry to move to
    drives.ShowVolumeOf(QStringLiteral("/"));
    const int start = drives.currentIndex();
    Show(drives);
    QSignalSpy changes(&drives, &platform::DriveListBox::Change);

    emit drives.activated(start);
    EXPECT_EQ(changes.count(), 0) << "choosing the volume already shown";

    QTest::keyClick(&drives, Qt::Key_End);
    EXPECT_EQ(changes.count(), 1);

    drives.ShowVolumeOf(Here());
    EXPECT_EQ(changes.count(), 1);
    QTest::keyClick(&drives, Qt::Key_End);
    EXPECT_EQ(changes.count(), 2) << "after ShowVolumeOf the same choice is a change again";
}

}  // namespace
