// A new picture from the browser: select the file, double-click the preview, place it with
// "画像追加...", and the main window comes back for the next one.
#include "e2e_test.h"

namespace e2e {
namespace {

const QString kMain = QStringLiteral("Vellora");
const QString kPinned = QStringLiteral("Form3");
const QString kDisplay = QStringLiteral("画像表示 ");

using BrowseTest = ProgramTest;

TEST_F(BrowseTest, SelectPreviewOpenAndAddAPicture) {
    // 296 x 196 pixels measure 300 x 200 with the measuring box's border: 4500 x 3000 twips.
    const QString picture = Path(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(WriteJpeg(picture, PatternImage(QSize(296, 196))));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("notes.txt")), "not a picture"));
    ASSERT_TRUE(Start());
    const std::optional<WindowInfo> main = session->WaitForWindow(kMain);
    ASSERT_TRUE(main);
    // The main window's client area is 264 x 189 below its menu bar.
    const int menuBar = main->rect.height() - 189;
    const QPoint client = main->rect.topLeft() + QPoint(0, menuBar);

    // The file list (9, 105 in the client area) lists only the picture, in its first row.
    ASSERT_TRUE(session->Click(client + QPoint(40, 113)));
    const QRect preview(client + QPoint(152, 40), QSize(100, 67));
    ASSERT_TRUE(XSession::WaitUntil([&] {
        const QImage shot = session->Screenshot();
        return !shot.isNull() && !AreaIs(shot, preview, session->Screenshot().pixel(main->rect.topLeft() + QPoint(260, 180)), 8);
    }, 5000)) << "no preview appeared";

    ASSERT_TRUE(session->DoubleClick(preview.center()));
    const std::optional<WindowInfo> display = session->WaitForWindow(kDisplay);
    ASSERT_TRUE(display);
    EXPECT_TRUE(session->WaitForNoWindow(kMain, 5000)) << "the main window stayed";
    EXPECT_EQ(display->rect.width(), 300);
    const int displayMenuBar = display->rect.height() - 200;
    const QRect area(display->rect.left(), display->rect.top() + displayMenuBar, 300, 200);
    const QImage before = session->SettledScreenshot(area);
    EXPECT_FALSE(AreaIs(before, area, qRgb(0, 0, 0), 8)) << "the display window shows no picture";

    // "画像追加..." is the third item of "ﾒﾆｭｰ".
    ASSERT_TRUE(session->TriggerMenuItem(display->rect.topLeft() + QPoint(15, displayMenuBar / 2), 2));
    const QList<WindowInfo> pinned = session->WaitForWindows(kPinned, 1);
    ASSERT_EQ(pinned.size(), 1);
    EXPECT_EQ(ToString(pinned[0].rect).toStdString(), ToString(area).toStdString());
    const std::optional<WindowInfo> back = session->WaitForWindow(kMain);
    EXPECT_TRUE(back) << "the main window did not come back";
    // Where the main window, centred again, does not cover it, the picture did not move.
    QRect uncovered = area;
    if (back && back->rect.adjusted(-8, -30, 8, 8).intersects(area)) {
        uncovered.setRight(std::min(area.right(), back->rect.left() - 9));
    }
    if (uncovered.width() > 0) {
        EXPECT_EQ(DifferingPixels(before, session->SettledScreenshot(uncovered), uncovered, 2), 0)
            << "the picture moved or changed when it was pinned";
    }
    ExpectDataFile(DataRecord({QString::number(area.left() * 15), QString::number(area.top() * 15),
                               "4500", "3000"},
                              picture));
}

}  // namespace
}  // namespace e2e
