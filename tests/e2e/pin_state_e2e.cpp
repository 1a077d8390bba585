#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <memory>

#include "x_session.h"

// The pin state calls on Xvfb under a real window manager, applied by pin_state_probe on command
// and checked from outside: the properties the window manager keeps, where clicks land, and what
// a compositing manager draws.
namespace e2e {
namespace {

class PinStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!XSession::MissingTools().isEmpty()) GTEST_SKIP() << "missing X tools";
        session = std::make_unique<XSession>();
        ASSERT_TRUE(session->Ok()) << session->Error().toStdString();
        probe.setProcessEnvironment(session->Environment());
        probe.start(QStringLiteral(PROBE_PROGRAM), {});
        ASSERT_TRUE(WaitFor("compositor 0")) << output.toStdString();
    }

    void TearDown() override { probe.kill(), probe.waitForFinished(3000); }

    // Waits for a line the probe writes after everything it wrote before this call.
    bool WaitFor(const QByteArray& line) {
        const qsizetype from = output.size();
        return XSession::WaitUntil(
            [&] {
                probe.waitForReadyRead(20);
                output += probe.readAllStandardOutput();
                return output.indexOf(line + '\n', from) >= 0;
            },
            5000, 1);
    }
    bool Send(const QByteArray& command) {
        probe.write(command + '\n');
        return WaitFor("done " + command);
    }
    bool ShowPin() {
        if (!Send("show")) return false;
        pin = session->WaitForWindow(QStringLiteral("probe pin")).value_or(WindowInfo()).id;
        return pin != 0;
    }
    QRgb PinCentre() { return session->Screenshot().pixel(200, 175); }

    std::unique_ptr<XSession> session;
    QProcess probe;
    QByteArray output;
    WindowId pin = 0;
};

TEST_F(PinStateTest, StatesReachTheWindowManagerBeforeAndAfterTheWindowIsShown) {
    for (const char* command : {"above 1", "workspaces 1", "opacity 0.6"})
        ASSERT_TRUE(Send(command));
    ASSERT_TRUE(ShowPin());
    // After each command: whether the window is kept above, its workspace, its opacity.
    const struct {
        const char* command;  // null: as the window was shown
        bool above;
        const char* desktop;
        const char* opacity;
    } steps[] = {
        {nullptr, true, "4294967295", "2576980377"},
        {"above 0", false, "4294967295", "2576980377"},
        {"workspaces 0", false, "0", "2576980377"},
        {"opacity 1", false, "0", "4294967295"},
        {"above 1", true, "0", "4294967295"},
        {"workspaces 1", true, "4294967295", "4294967295"},
        {"opacity 0.2", true, "4294967295", "858993459"},
    };
    for (const auto& step : steps) {
        if (step.command) {
            ASSERT_TRUE(Send(step.command));
        }
        const auto matches = [&] {
            const QString all = session->Describe(pin);
            return all.contains(QLatin1String("_NET_WM_STATE_ABOVE")) == step.above &&
                   all.contains(QLatin1String("_NET_WM_DESKTOP(CARDINAL) = ") + step.desktop) &&
                   all.contains(QLatin1String("_NET_WM_WINDOW_OPACITY(CARDINAL) = ") +
                                step.opacity);
        };
        EXPECT_TRUE(XSession::WaitUntil(matches, 3000))
            << (step.command ? step.command : "shown") << ":\n"
            << session->Describe(pin).toStdString();
    }
}

TEST_F(PinStateTest, ClicksTheWheelAndTheRightButtonPassThroughOnlyWhileAsked) {
    // Above, so that a click on the window below does not raise it over the pin; click-through
    // first as set before the window manager framed the window, then turned off and on.
    ASSERT_TRUE(Send("above 1") && Send("clickthrough 1") && ShowPin());
    for (const std::string clickThrough : {"", "0", "1"}) {
        if (!clickThrough.empty()) {
            ASSERT_TRUE(Send(QByteArray("clickthrough ") + clickThrough.c_str()));
        }
        const QByteArray receiver = clickThrough == "0" ? "pin" : "below";
        // The left and right buttons (Qt's 1 and 2), and the wheel.
        for (const auto& [button, seen] :
             {std::pair{"1", " press 1"}, {"3", " press 2"}, {"4", " wheel"}}) {
            session->Run(QStringLiteral("xdotool"), {"mousemove", "200", "175", "click", button});
            EXPECT_TRUE(WaitFor(receiver + seen))
                << "click-through " << clickThrough << ", button " << button << ":\n"
                << output.toStdString();
        }
    }
}

TEST_F(PinStateTest, OpacityBlendsTheWindowOnlyWhileACompositingManagerRuns) {
    if (QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty()) {
        GTEST_SKIP() << "xcompmgr is missing";
    }
    ASSERT_TRUE(Send("above 1") && ShowPin() && Send("opacity 0.6"));
    EXPECT_EQ(PinCentre(), qRgb(255, 0, 0)) << "no compositing manager: opaque";
    QProcess compositor;
    compositor.setProcessEnvironment(session->Environment());
    compositor.start(QStringLiteral("xcompmgr"), {});
    EXPECT_TRUE(WaitFor("compositor 1"));
    // 60 % red over the blue window below.
    EXPECT_TRUE(XSession::WaitUntil([&] { return PinCentre() == qRgb(153, 0, 102); }, 5000))
        << std::hex << PinCentre();
    compositor.terminate();
    compositor.waitForFinished(3000);
    EXPECT_TRUE(WaitFor("compositor 0"));
    EXPECT_TRUE(XSession::WaitUntil([&] { return PinCentre() == qRgb(255, 0, 0); }, 5000));
}

}  // namespace
}  // namespace e2e
