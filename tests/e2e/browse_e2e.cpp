// A new picture from the browser: select the file, double-click the preview, place it with
// "画像追加...", and the main window comes back for the next one. The display window opens
// where the window manager can show it whole.
#include <QDir>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kMain = QStringLiteral("vellora-main");
const QString kPinned = QStringLiteral("vellora-pin");
const QString kDisplay = QStringLiteral("vellora-display");

class BrowseTest : public ProgramTest {
protected:
    // Selects the first file of the main window's file list, waits for its preview and opens
    // it with a double-click; returns the display window.
    std::optional<WindowInfo> OpenFirstListedPicture(const WindowInfo& main) {
        // The main window's client area is 264 x 189 below its menu bar; the file list is at
        // (9, 105) in it, and the preview's top-left corner at (152, 40) whatever its size.
        const QPoint client = main.rect.topLeft() + QPoint(0, main.rect.height() - 189);
        EXPECT_TRUE(session->Click(client + QPoint(40, 113)));
        const QRect preview(client + QPoint(152, 40), QSize(30, 30));
        const QPoint background = main.rect.topLeft() + QPoint(260, 180);
        const bool shown = XSession::WaitUntil(
            [&] {
                const QImage shot = session->Screenshot();
                return !shot.isNull() && !AreaIs(shot, preview, shot.pixel(background), 8);
            },
            5000);
        if (!shown) {
            ADD_FAILURE() << "no preview appeared";
            return std::nullopt;
        }
        EXPECT_TRUE(session->DoubleClick(preview.center()));
        return session->WaitForWindow(kDisplay);
    }
};

TEST_F(BrowseTest, SelectPreviewOpenAndAddAPicture) {
    // 296 x 196 pixels measure 300 x 200 with the measuring box's border: 4500 x 3000 twips.
    const QString picture = Path(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(WriteJpeg(picture, PatternImage(QSize(296, 196))));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("notes.txt")), "not a picture"));
    ASSERT_TRUE(Start());
    const std::optional<WindowInfo> main = session->WaitForWindow(kMain);
    ASSERT_TRUE(main);
    ExpectProgramClass(main->id);
    // The file list lists only the picture, in its first row.
    const std::optional<WindowInfo> display = OpenFirstListedPicture(*main);
    ASSERT_TRUE(display);
    ExpectProgramClass(display->id);
    EXPECT_TRUE(session->WaitForNoWindow(kMain, 5000)) << "the main window stayed";
    EXPECT_EQ(display->rect.width(), 300);
    const int displayMenuBar = display->rect.height() - 200;
    const QRect area(display->rect.left(), display->rect.top() + displayMenuBar, 300, 200);
    const QImage before = session->SettledScreenshot(area);
    EXPECT_FALSE(AreaIs(before, area, qRgb(0, 0, 0), 8)) << "the display window shows no picture";

    // "画像追加..." is the third item of "ﾒﾆｭｰ".
    ASSERT_TRUE(
        session->TriggerMenuItem(display->rect.topLeft() + QPoint(15, displayMenuBar / 2), 2));
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
    ExpectDataFile(DataRecord(
        {QString::number(area.left() * 15), QString::number(area.top() * 15), "4500", "3000"},
        picture));
}

// A screen of 1600 x 1200, as the program was seen on; under icewm its task bar takes the
// bottom of it.
class LargePictureTest : public BrowseTest {
protected:
    QSize Screen() const override { return QSize(1600, 1200); }
};

TEST_F(LargePictureTest, DisplayWindowOpensWholeOnTheScreenCentredWhereItFits) {
    const struct {
        const char* name;
        QSize pixels;
    } pictures[] = {
        {"fits.jpg", QSize(1400, 1000)},   // shown at its own size, 1404 x 1004 with the border
        {"photo.jpg", QSize(4000, 3000)},  // scaled down to fit the screen
    };
    const QRect workArea = session->WorkArea();
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        for (const QString& old : QDir(work.path()).entryList({QStringLiteral("*.jpg")})) {
            QFile::remove(Path(old));
        }
        QImage image(picture.pixels, QImage::Format_RGB32);
        image.fill(qRgb(40, 120, 200));
        ASSERT_TRUE(WriteJpeg(Path(QString::fromLatin1(picture.name)), image, 80));
        ASSERT_TRUE(Start());
        const std::optional<WindowInfo> main = session->WaitForWindow(kMain);
        ASSERT_TRUE(main);
        const std::optional<WindowInfo> display = OpenFirstListedPicture(*main);
        ASSERT_TRUE(display);

        // Where the window manager drew it, frame included, once it has settled.
        std::optional<QRect> frame;
        XSession::WaitUntil(
            [&] {
                const std::optional<QRect> now = session->FrameRect(display->id);
                const bool settled = now && now == frame;
                frame = now;
                return settled;
            },
            3000, 200);
        ASSERT_TRUE(frame);
        EXPECT_TRUE(workArea.contains(*frame))
            << "the frame " << ToString(*frame).toStdString() << " leaves the usable area "
            << ToString(workArea).toStdString();
        // The program's own rectangle, 600 twips above the picture to its bottom, is centred
        // when the frame fits around it there; these pictures leave room for that.
        const QRect client = session->ClientRect(display->id).value_or(QRect());
        const int pictureHeight = qRound(client.width() * (picture.pixels.height() + 4.0) /
                                         (picture.pixels.width() + 4.0));
        const QRect outer(client.left(), client.bottom() + 1 - pictureHeight - 40, client.width(),
                          pictureHeight + 40);
        EXPECT_LE((outer.center() - workArea.center()).manhattanLength(), 2)
            << "the window " << ToString(outer).toStdString() << " is not centred in "
            << ToString(workArea).toStdString();
        session->StopProgram();
    }
}

}  // namespace
}  // namespace e2e
