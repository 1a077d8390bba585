// A pin's settings as the running program applies them, seen from outside under a compositing
// manager: a faded pin lets the window below show through in the screen's pixels, and a
// click-through pin hands the clicks and the wheel to that window.
#include <QProcess>
#include <QStandardPaths>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("vellora-pin");

class PinControlsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty()) {
            GTEST_SKIP() << "xcompmgr is missing";
        }
        compositor.setProcessEnvironment(session->Environment());
        compositor.start(QStringLiteral("xcompmgr"), {});
        ASSERT_TRUE(compositor.waitForStarted(5000));
    }
    void TearDown() override {
        compositor.kill();
        compositor.waitForFinished(3000);
        ProgramTest::TearDown();
    }

    QProcess compositor;
};

// The pin's settings file as the program writes it, for one pin.
QByteArray SettingsFile(const QString& path, const QStringList& geometry, int opacity,
                        bool clickThrough) {
    QByteArray texts;
    for (const QString& text : geometry)
        texts += (texts.isEmpty() ? "\"" : ", \"") + text.toUtf8() + '"';
    return "{\"pins\": [{\"path\": \"" + path.toUtf8() + "\", \"geometry\": [" + texts +
           "], \"opacity\": " + QByteArray::number(opacity) +
           ", \"clickThrough\": " + (clickThrough ? "true" : "false") + ", \"keepAbove\": true}]}";
}

int ChannelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

TEST_F(PinControlsTest, AFadedClickThroughPinShowsAndHandsOnWhatIsBelow) {
    const QString events = Path(QStringLiteral("below-events.txt"));
    ASSERT_TRUE(
        session->OpenForeignWindow(QStringLiteral("below"), QRect(100, 100, 500, 400), events));
    const QPoint centre(350, 300);
    // xev's window is mapped before it is painted.
    const QRgb below = session->SettledScreenshot(QRect(100, 100, 500, 400)).pixel(centre);

    ASSERT_TRUE(WriteJpeg(Path(QStringLiteral("red.jpg")), QSize(300, 200), QColor(255, 0, 0)));
    // 3000 twips = 200 px at 96 dpi: the pin covers (200, 200) to (500, 400).
    const QStringList geometry = {"3000", "3000", "4500", "3000"};
    const QByteArray record = DataRecord(geometry, Path(QStringLiteral("red.jpg")));
    ASSERT_TRUE(WriteBytes(DataFile(), record));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("pin-settings.json")),
                           SettingsFile(Path(QStringLiteral("red.jpg")), geometry, 60, true)));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(session->WaitForWindow(kPinned, 20000).has_value());

    // 60 % of the red picture over 40 % of the window below.
    const auto blend = [&](int red, int other) { return (red * 60 + other * 40 + 50) / 100; };
    const QRgb expected =
        qRgb(blend(255, qRed(below)), blend(0, qGreen(below)), blend(0, qBlue(below)));
    QRgb seen = 0;
    EXPECT_TRUE(XSession::WaitUntil(
        [&] {
            seen = session->Screenshot().pixel(centre);
            return ChannelDistance(seen, expected) <= 6;
        },
        10000, 100))
        << std::hex << "seen " << seen << ", expected " << expected << " (below " << below << ")";

    // Clicks, the right button and the wheel all land on the window below; a double-click
    // there does not unpin.
    for (const char* button : {"1", "3", "4"}) {
        session->Run(QStringLiteral("xdotool"),
                     {"mousemove", QString::number(centre.x()), QString::number(centre.y()),
                      "click", "--repeat", "2", button});
    }
    for (const char* button : {"button 1,", "button 3,", "button 4,"}) {
        EXPECT_TRUE(XSession::WaitUntil([&] { return ReadBytes(events).contains(button); }, 5000))
            << button << " never reached the window below";
    }
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 1);
    EXPECT_TRUE(session->VisibleWindows(QStringLiteral("vellora-display")).isEmpty());
    ExpectDataFile(record);
}

}  // namespace
}  // namespace e2e
