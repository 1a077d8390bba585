#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "app/program.h"
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/forms.h"
#include "support/test_files.h"

namespace {

using test_support::InTemporaryFolder;
using test_support::ReadBytes;
using test_support::WriteBytes;
using test_support::WriteJpeg;

QByteArray Record(const char* left, const char* top, const char* width, const char* height,
                  const QString& path) {
    QByteArray line(left);
    for (const char* item : {top, width, height}) {
        line.append(14 - line.size() % 14, ' ');
        line.append(item);
    }
    return line + "\r\n" + path.toUtf8() + "\r\n";
}

std::vector<forms::Form3*> PinnedWindows() {
    std::vector<forms::Form3*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<forms::Form3*>(widget);
        if (window && window->isVisible()) windows.push_back(window);
    }
    // Top-level widgets come in no particular order; the list order is the file's.
    std::sort(windows.begin(), windows.end(), [](auto* a, auto* b) {
        const QStringList& paths = forms::TheForm1().pictureList.List1();
        return paths.indexOf(a->Label2.Caption) < paths.indexOf(b->Label2.Caption);
    });
    return windows;
}

class Restore : public ::testing::Test {
protected:
    void SetUp() override {
        WriteJpeg(folder.Path("a.jpg"), {300, 200}, Qt::red);
        WriteJpeg(folder.Path("b.jpg"), {200, 300}, Qt::green);
        test_support::WriteBytes(folder.Path("c.gif"), test_support::TinyGif());
        forms::SetEndAction([] {});
    }
    void TearDown() override { forms::DestroyAllForms(); }

    void Start(const QByteArray& data) {
        WriteBytes("zuzerid.dat", data);
        app::Start();
    }
    bool MainWindowShown() { return forms::TheForm1().isVisible(); }
    QString P(const char* name) const { return folder.Path(name); }

    InTemporaryFolder folder;
};

TEST_F(Restore, NoDataFileCreatesAnEmptyOneAndShowsTheMainWindow) {
    app::Start();
    EXPECT_TRUE(QFileInfo::exists("zuzerid.dat"));
    EXPECT_EQ(QFileInfo("zuzerid.dat").size(), 0);
    EXPECT_TRUE(MainWindowShown());
    EXPECT_TRUE(PinnedWindows().empty());
}

TEST_F(Restore, EmptyDataFileStaysEmptyAndShowsTheMainWindow) {
    Start("");
    EXPECT_EQ(ReadBytes("zuzerid.dat"), QByteArray());
    EXPECT_TRUE(MainWindowShown());
}

TEST_F(Restore, OneRecordIsPlacedExactlyAndTheMainWindowStaysAway) {
    const QByteArray data = Record("1200", "3400", "4500", "3000", P("a.jpg"));
    forms::TheForm1().non_disp->setEnabled(false);
    Start(data);
    const auto windows = PinnedWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->OuterPixels(), QRect(80, 227, 300, 200));
    EXPECT_EQ(windows[0]->geometry(), QRect(80, 227, 300, 200));  // no frame, no allowance
    EXPECT_EQ(windows[0]->Image1->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(windows[0]->Label2.Caption, P("a.jpg"));
    EXPECT_FALSE(MainWindowShown());
    EXPECT_TRUE(forms::TheForm1().non_disp->isEnabled());
    EXPECT_EQ(ReadBytes("zuzerid.dat"), data);
}

TEST_F(Restore, RecordsThatCannotBeShownAreDroppedFromTheFile) {
    WriteBytes(P("text.jpg"), "not a picture");
    const QByteArray jpeg = ReadBytes(P("a.jpg"));
    WriteBytes(P("cut.jpg"), jpeg.chopped(10));
    const struct {
        const char* name;
        QByteArray data;
        QByteArray kept;
        bool mainShown;
    } cases[] = {
        {"all missing", Record("0", "0", "150", "150", P("gone1.jpg")) +
                            Record("0", "0", "150", "150", P("gone2.jpg")),
         "", true},
        {"second of three missing",
         Record("15", "15", "150", "150", P("a.jpg")) + Record("30", "30", "150", "150", P("gone.jpg")) +
             Record("45", "45", "150", "150", P("c.gif")),
         Record("15", "15", "150", "150", P("a.jpg")) + Record("45", "45", "150", "150", P("c.gif")),
         false},
        {"empty path ends the restore",
         Record("15", "15", "150", "150", P("a.jpg")) + Record("30", "30", "150", "150", P("b.jpg")) +
             Record("45", "45", "150", "150", "") + Record("60", "60", "150", "150", P("c.gif")),
         Record("15", "15", "150", "150", P("a.jpg")) + Record("30", "30", "150", "150", P("b.jpg")),
         true},
        {"not pictures", Record("0", "0", "150", "150", P("text.jpg")) +
                             Record("0", "0", "150", "150", P("cut.jpg")) +
                             Record("0", "0", "150", "150", P("a.jpg")),
         Record("0", "0", "150", "150", P("a.jpg")), false},
        {"malformed records are passed over",
         QByteArray("0 x 150 150\r\n") + P("a.jpg").toUtf8() + "\r\n" +
             Record("0", "0", "0", "150", P("a.jpg")) + Record("NaN", "0", "150", "150", P("a.jpg")) +
             Record("1E+300", "0", "150", "150", P("a.jpg")) + Record("15", "0", "150", "150", P("b.jpg")),
         Record("15", "0", "150", "150", P("b.jpg")), false},
        {"a last record cut short ends the restore as the end of the file",
         Record("15", "0", "150", "150", P("b.jpg")) + "15 0 150\r\n",
         Record("15", "0", "150", "150", P("b.jpg")), false},
        {"rewritten in number text, trailing slash dropped, LF and blank lines read",
         QByteArray("1200.50 -300 1.5E+3 750.0\n") + P("a.jpg").toUtf8() + "/\n\n\n",
         Record("1200.5", "-300", "1500", "750", P("a.jpg")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.data);
        EXPECT_EQ(ReadBytes("zuzerid.dat"), c.kept);
        EXPECT_EQ(MainWindowShown(), c.mainShown);
        EXPECT_EQ(int(PinnedWindows().size()), int(c.kept.count("\r\n") / 2));
        forms::DestroyAllForms();
    }
}

TEST_F(Restore, TheListKeepsStoredValuesWhileTheDisplayIsLimited) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // 10000 pixels to the right of every screen, and a window larger than X can hold.
    Start(Record("150000", "-450", "600000", "1500", P("a.jpg")) +
          Record("-450", "-300", "1500", "1500", P("b.jpg")));
    const auto windows = PinnedWindows();
    ASSERT_EQ(windows.size(), 2u);
    const QRect far = windows[0]->DisplayedOuterPixels();
    EXPECT_TRUE(screen.intersects(far));
    EXPECT_EQ(far.width(), 32767);
    EXPECT_EQ(windows[0]->OuterPixels(), QRect(10000, -30, 40000, 100));
    // Partly off the left and top edges: placed as stored.
    EXPECT_EQ(windows[1]->DisplayedOuterPixels(), QRect(-30, -20, 100, 100));
    const store::PictureList& list = forms::TheForm1().pictureList;
    EXPECT_EQ(list.List2(0), (QStringList{"150000", "-450"}));
    EXPECT_EQ(list.List2(2), (QStringList{"600000", "1500"}));
}

TEST_F(Restore, APinnedPictureKeepsNoMorePixelsThanItShows) {
    WriteJpeg(P("large.jpg"), {6000, 4000}, QColor(10, 90, 200));
    Start(Record("0", "0", "4500", "3000", P("large.jpg")) +
          Record("0", "0", "4500", "3000", P("large.jpg")));
    const auto windows = PinnedWindows();
    ASSERT_EQ(windows.size(), 2u);
    for (auto* window : windows) {
        const qreal ratio = window->devicePixelRatioF();
        const QSize pixels = window->Image1->GetPicture()->Pixels().size();
        EXPECT_LE(pixels.width(), qCeil(300 * ratio));
        EXPECT_LE(pixels.height(), qCeil(200 * ratio));
    }
    EXPECT_NE(windows[0]->Image1->GetPicture(), windows[1]->Image1->GetPicture());
}

TEST_F(Restore, ADataFileThatCannotBeReadLeavesItAloneAndShowsTheMainWindow) {
    QDir().mkdir("zuzerid.dat");  // a folder where the file should be
    app::Start();
    EXPECT_TRUE(QFileInfo("zuzerid.dat").isDir());
    EXPECT_TRUE(MainWindowShown());
    EXPECT_EQ(forms::TheForm1().pictureList.ListCount(), 0);
}

TEST_F(Restore, TheSameFileTwiceGivesTwoWindowsAndTwoEntries) {
    const QByteArray data = Record("0", "0", "1500", "1500", P("a.jpg")) +
                            Record("1500", "0", "3000", "3000", P("a.jpg"));
    Start(data);
    EXPECT_EQ(PinnedWindows().size(), 2u);
    EXPECT_EQ(forms::TheForm1().pictureList.ListCount(), 2);
    EXPECT_EQ(ReadBytes("zuzerid.dat"), data);
}

}  // namespace
