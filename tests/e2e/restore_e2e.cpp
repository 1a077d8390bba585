// Start-up under a real window manager: every stored picture comes back as a borderless
// window on exactly the stored pixels, out of the taskbar, and the data file is rewritten from
// what came back.
#include <sys/stat.h>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("vellora-pin");
const QString kMain = QStringLiteral("vellora-main");

struct Stored {
    QStringList geometry;  // as written in the file, twips
    QString pathInFile;
    QRect pixels;  // where the window must be: twips / 15
    QRgb colour;   // the picture's single colour
};

QString Describe(const QList<WindowInfo>& windows) {
    QString text;
    for (const WindowInfo& window : windows) text += QLatin1Char(' ') + ToString(window.rect);
    return text;
}

class RestoreTest : public ProgramTest {};

TEST_F(RestoreTest, EveryStoredPictureComesBackOnItsOwnPixels) {
    // Single-colour pictures, so that the screenshot tells which window shows what and that
    // each picture is stretched over its whole window.
    ASSERT_TRUE(WriteJpeg(Path("red.jpg"), QSize(300, 200), QColor(255, 0, 0)));
    ASSERT_TRUE(WriteJpeg(Path("blue.jpg"), QSize(200, 100), QColor(0, 0, 255)));
    ASSERT_TRUE(WriteJpeg(Path("yellow.jpg"), QSize(60, 45), QColor(255, 255, 0)));
    ASSERT_TRUE(WriteJpeg(Path("magenta.jpg"), QSize(90, 60), QColor(255, 0, 255)));
    ASSERT_TRUE(
        WriteGif(Path("green.gif"), QSize(100, 75), {qRgb(0, 255, 0)}, [](int, int) { return 0; }));

    const QList<Stored> kept = {
        {{"1200", "1500", "4500", "3000"},
         Path("red.jpg"),
         QRect(80, 100, 300, 200),
         qRgb(255, 0, 0)},
        // Partly off the left edge.
        {{"-450", "6000", "3000", "1500"},
         Path("blue.jpg"),
         QRect(-30, 400, 200, 100),
         qRgb(0, 0, 255)},
        // Partly off the top edge; a GIF stretched to twice its size.
        {{"9000", "-300", "3000", "2250"},
         Path("green.gif"),
         QRect(600, -20, 200, 150),
         qRgb(0, 255, 0)},
        // A path with a trailing separator, which the probe strips.
        {{"12000", "9000", "1800", "1350"},
         Path("yellow.jpg") + "/",
         QRect(800, 600, 120, 90),
         qRgb(255, 255, 0)},
        // A fractional value, rewritten without its trailing zero.
        {{"1200.50", "10500", "2700", "1800"},
         Path("magenta.jpg"),
         QRect(80, 700, 180, 120),
         qRgb(255, 0, 255)},
    };
    QByteArray file;
    for (int i = 0; i < kept.size(); ++i) {
        file += DataRecord(kept[i].geometry, kept[i].pathInFile);
        // A record whose picture is missing, between kept ones.
        if (i == 1) file += DataRecord({"3000", "3000", "1500", "1500"}, Path("missing.jpg"));
    }
    ASSERT_TRUE(WriteBytes(DataFile(), file));

    ASSERT_TRUE(Start());
    const QList<WindowInfo> windows = session->WaitForWindows(kPinned, kept.size(), 20000);
    ASSERT_EQ(windows.size(), kept.size()) << "pinned windows:" << Describe(windows).toStdString();

    // The data file after start-up: the missing picture's record gone, the separator and the
    // trailing zero dropped, everything else as stored.
    QByteArray expected;
    expected += DataRecord({"1200", "1500", "4500", "3000"}, Path("red.jpg"));
    expected += DataRecord({"-450", "6000", "3000", "1500"}, Path("blue.jpg"));
    expected += DataRecord({"9000", "-300", "3000", "2250"}, Path("green.gif"));
    expected += DataRecord({"12000", "9000", "1800", "1350"}, Path("yellow.jpg"));
    expected += DataRecord({"1200.5", "10500", "2700", "1800"}, Path("magenta.jpg"));
    ExpectDataFile(expected);

    // Give the window manager time for anything it might still do to the windows, and the main
    // window time to appear if it were going to.
    QThread::msleep(700);
    const QList<WindowInfo> settled = session->VisibleWindows(kPinned);
    EXPECT_EQ(settled.size(), kept.size()) << "pinned windows:" << Describe(settled).toStdString();
    EXPECT_TRUE(session->VisibleWindows(kMain).isEmpty()) << "the main window is on screen";

    QRect everything;
    for (const Stored& stored : kept) everything |= stored.pixels;
    // A window is mapped before the program has painted it: on a busy machine the screen can
    // hold still, unpainted, for longer than a settled screenshot waits.
    QImage screen;
    XSession::WaitUntil(
        [&] {
            screen = session->SettledScreenshot(everything);
            return std::all_of(kept.begin(), kept.end(), [&](const Stored& stored) {
                return AreaIs(screen, stored.pixels, stored.colour, 24, nullptr);
            });
        },
        10000, 200);
    ASSERT_FALSE(screen.isNull());
    for (const Stored& stored : kept) {
        SCOPED_TRACE(stored.pathInFile.toStdString());
        std::optional<WindowInfo> match;
        for (const WindowInfo& window : settled) {
            if (window.rect == stored.pixels) match = window;
        }
        ASSERT_TRUE(match) << "no pinned window at " << ToString(stored.pixels).toStdString()
                           << "; windows at" << Describe(settled).toStdString();
        ExpectPinnedWindowStates(match->id);
        EXPECT_EQ(session->FrameExtentsOf(match->id), std::optional<FrameExtents>(FrameExtents{}))
            << session->Describe(match->id).toStdString();
        // The picture covers the window's on-screen part and nothing else shows through.
        int worst = 0;
        if (!AreaIs(screen, stored.pixels, stored.colour, 24, &worst)) {
            Keep(screen, QStringLiteral("restore.png"));
            ADD_FAILURE() << "window " << ToString(stored.pixels).toStdString()
                          << " does not show its picture everywhere; largest channel difference "
                          << worst;
        }
    }

    // Pinned windows keep no copy on the X server's side: a window of another program that
    // covered one and moves away leaves the picture drawn again, whole.
    const QRect red = kept[0].pixels;
    ASSERT_TRUE(session->OpenForeignWindow(QStringLiteral("Cover"), red.adjusted(40, 40, 0, 0)));
    const std::optional<WindowInfo> cover = session->WaitForWindow(QStringLiteral("Cover"));
    ASSERT_TRUE(cover);
    ASSERT_TRUE(session->MoveWindow(cover->id, QPoint(900, 100)));
    const QImage uncovered = session->SettledScreenshot(red);
    int worst = 0;
    EXPECT_TRUE(AreaIs(uncovered, red, kept[0].colour, 24, &worst))
        << "not drawn again once uncovered; largest channel difference " << worst;
    EXPECT_FALSE(session->ProgramOutput().contains(QStringLiteral("paint")))
        << session->ProgramOutput().toStdString();
}

TEST_F(RestoreTest, PinnedPicturesStayOutOfTheWindowSwitcher) {
    // icewm 3.3 lists every window in Alt+Tab whatever its state says; its users leave a
    // program's windows out by a rule on the program's class, which must hold however the
    // program was started.
    const bool icewm = session->Manager() == WindowManager::IceWM;
    if (icewm) {
        ASSERT_TRUE(session->AddIceWMWindowOption(QStringLiteral("vellora.ignoreQuickSwitch: 1")));
    }
    ASSERT_TRUE(WriteJpeg(Path("a.jpg"), PatternImage(QSize(100, 80))));
    ASSERT_TRUE(
        WriteBytes(DataFile(), DataRecord({"1500", "1500", "1500", "1200"}, Path("a.jpg")) +
                                   DataRecord({"4500", "1500", "1500", "1200"}, Path("a.jpg"))));
    ASSERT_TRUE(StartThroughLink(QStringLiteral("pin-pictures")));
    const QList<WindowInfo> pinned = session->WaitForWindows(kPinned, 2);
    ASSERT_EQ(pinned.size(), 2);
    for (const WindowInfo& window : pinned) ExpectPinnedWindowStates(window.id);
    if (!icewm) return;  // openbox is set up here without a window switcher

    // With another program's window in front, Alt+Tab has nothing of ours to switch to.
    ASSERT_TRUE(
        session->OpenForeignWindow(QStringLiteral("Other program"), QRect(700, 600, 200, 100)));
    const std::optional<WindowInfo> other = session->WaitForWindow(QStringLiteral("Other program"));
    ASSERT_TRUE(other);
    ASSERT_TRUE(XSession::WaitUntil([&] { return session->ActiveWindow() == other->id; }, 5000));
    ASSERT_TRUE(session->Key(QStringLiteral("alt+Tab")));
    QThread::msleep(500);
    const std::optional<WindowId> active = session->ActiveWindow();
    ASSERT_TRUE(active);
    for (const WindowInfo& window : pinned) {
        EXPECT_NE(*active, window.id) << "Alt+Tab switched to a pinned picture";
    }
}

TEST_F(RestoreTest, NothingRestoredShowsTheMainWindowAndEmptiesTheFile) {
    ASSERT_TRUE(
        WriteBytes(DataFile(), DataRecord({"1500", "1500", "3000", "3000"}, Path("gone.jpg"))));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(session->WaitForWindow(kMain, 20000)) << "the main window did not appear";
    EXPECT_TRUE(session->VisibleWindows(kPinned).isEmpty());
    EXPECT_TRUE(QFile::exists(DataFile()));
    ExpectDataFile(QByteArray());
}

TEST_F(RestoreTest, MissingDataFileIsCreatedEmptyAndTheMainWindowShown) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(session->WaitForWindow(kMain, 20000)) << "the main window did not appear";
    EXPECT_TRUE(session->VisibleWindows(kPinned).isEmpty());
    ASSERT_TRUE(XSession::WaitUntil([&] { return QFile::exists(DataFile()); }, 5000));
    EXPECT_EQ(QFile(DataFile()).size(), 0);
}

// Pins that lie partly off the screen, on a screen of 1600 x 1200: some window managers pull a
// window that asks for that back onto the screen, at once or a moment after it is mapped.
class EdgeRestoreTest : public ProgramTest {
protected:
    QSize Screen() const override { return QSize(1600, 1200); }

    // Another program's window, mapped and placed after ours: the window manager has dealt with
    // our windows by then.
    void LetWindowManagerCatchUp(const QString& title) {
        ASSERT_TRUE(session->OpenForeignWindow(title, QRect(900, 1000, 60, 40)));
    }
};

QStringList Twips(const QRect& pixels) {
    QStringList texts;
    for (int value : {pixels.x(), pixels.y(), pixels.width(), pixels.height()})
        texts << QString::number(value * 15);
    return texts;
}

// The first record's rectangle in pixels.
QRect FirstRecordPixels(const QByteArray& file) {
    const QList<QByteArray> numbers = file.left(file.indexOf('\r')).simplified().split(' ');
    if (numbers.size() != 4) return {};
    const auto pixels = [&](int i) { return qRound(numbers[i].toDouble() / 15); };
    return QRect(pixels(0), pixels(1), pixels(2), pixels(3));
}

bool WithinAPixel(const QRect& a, const QRect& b) {
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1 &&
           std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

// The data file is written to a new file that then replaces the old one.
ino_t Inode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

TEST_F(EdgeRestoreTest, PinsPartlyOffEachEdgeComeBackWhereTheyWere) {
    ASSERT_TRUE(WriteJpeg(Path("pin.jpg"), PatternImage(QSize(100, 80))));
    // Each at least half on the screen: openbox keeps a tenth of a window on it.
    const struct {
        const char* edge;
        QRect pixels;
    } pins[] = {{"left", {-30, 20, 100, 80}},
                {"top", {200, -30, 100, 80}},
                {"right", {1550, 500, 100, 80}},
                {"bottom", {300, 1170, 100, 80}},
                {"none", {700, 500, 100, 80}}};
    QByteArray file;
    for (const auto& pin : pins) file += DataRecord(Twips(pin.pixels), Path("pin.jpg"));
    ASSERT_TRUE(WriteBytes(DataFile(), file));
    const ino_t written = Inode(DataFile());

    ASSERT_TRUE(Start());
    ASSERT_EQ(session->WaitForWindows(kPinned, std::size(pins), 20000).size(), std::size(pins));
    QList<WindowInfo> windows;
    const auto misplaced = [&] {
        windows = session->VisibleWindows(kPinned);
        QStringList edges;
        for (const auto& pin : pins) {
            if (std::none_of(windows.begin(), windows.end(), [&](const WindowInfo& window) {
                    return WithinAPixel(window.rect, pin.pixels);
                })) {
                edges << QString::fromLatin1(pin.edge);
            }
        }
        return edges;
    };
    XSession::WaitUntil([&] { return misplaced().isEmpty(); }, 5000);
    LetWindowManagerCatchUp(QStringLiteral("Later"));
    EXPECT_EQ(misplaced().join(' ').toStdString(), "")
        << "pinned windows at" << Describe(windows).toStdString();
    for (const WindowInfo& window : windows) ExpectPinnedWindowStates(window.id);
    // Written again at the start, from what came back: as it was.
    ASSERT_TRUE(XSession::WaitUntil([&] { return Inode(DataFile()) != written; }, 5000));
    EXPECT_EQ(Printable(ReadBytes(DataFile())).toStdString(), Printable(file).toStdString());
}

// The wheel grows a pin near the right edge past it; the data file holds where the window then
// is, and the next start puts the pin there. icewm keeps a window that the program moves once it
// is shown on the screen: there the zoom stops at the edge.
TEST_F(EdgeRestoreTest, APinZoomedPastTheRightEdgeComesBackThere) {
    ASSERT_TRUE(WriteJpeg(Path("pin.jpg"), PatternImage(QSize(100, 80))));
    const QRect stored(1480, 500, 100, 80);
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord(Twips(stored), Path("pin.jpg"))));
    ASSERT_TRUE(Start());
    std::optional<WindowInfo> pin = session->WaitForWindow(kPinned, 20000);
    ASSERT_TRUE(pin);
    ASSERT_TRUE(XSession::WaitUntil([&] { return session->ClientRect(pin->id) == stored; }, 5000));

    // Over the pin's left edge, which the zoom keeps where it is.
    const QPoint cursor(stored.left(), stored.center().y());
    for (int notch = 0, width = stored.width(); notch < 5; ++notch) {
        ASSERT_TRUE(session->Click(cursor, 4));
        ASSERT_TRUE(XSession::WaitUntil(
            [&] { return session->ClientRect(pin->id).value_or(QRect()).width() > width; }, 5000))
            << "notch " << notch << " did not zoom";
        width = session->ClientRect(pin->id)->width();
    }
    QRect window, saved;
    const auto savedWhereItIs = [&] {
        window = session->ClientRect(pin->id).value_or(QRect());
        saved = FirstRecordPixels(ReadBytes(DataFile()));
        return WithinAPixel(window, saved);
    };
    XSession::WaitUntil(savedWhereItIs, 5000);
    LetWindowManagerCatchUp(QStringLiteral("Later"));
    EXPECT_TRUE(savedWhereItIs()) << "the window is at " << ToString(window).toStdString()
                                  << ", the data file says " << ToString(saved).toStdString();
    if (session->Manager() != WindowManager::IceWM) {
        EXPECT_GT(window.x() + window.width(), Screen().width()) << ToString(window).toStdString();
    }

    session->StopProgram();
    ASSERT_TRUE(session->WaitForNoWindow(kPinned));
    ASSERT_TRUE(Start());
    pin = session->WaitForWindow(kPinned, 20000);
    ASSERT_TRUE(pin);
    const auto backThere = [&] {
        window = session->ClientRect(pin->id).value_or(QRect());
        return WithinAPixel(window, saved);
    };
    XSession::WaitUntil(backThere, 5000);
    LetWindowManagerCatchUp(QStringLiteral("Later again"));
    EXPECT_TRUE(backThere()) << "back at " << ToString(window).toStdString() << ", stored "
                             << ToString(saved).toStdString();
}

TEST(ProgramStart, AnUnreachableDisplayIsSaidPlainlyWithStatus2) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}) environment.remove(name);
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":32765"));  // no such server
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(VELLORA_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "the program crashed";
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAll().contains("vellora: no X display"));
}

}  // namespace
}  // namespace e2e
