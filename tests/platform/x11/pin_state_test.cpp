#include <gtest/gtest.h>

#include <QWidget>

#include "platform/x11/pin_state.h"

namespace {

TEST(PinState, OffX11TheWindowStatesAreLeftAlone) {
    QWidget window;
    platform::SetClickThrough(&window, true);
    platform::SetKeepAbove(&window, true);
    platform::SetOnAllWorkspaces(&window, true);
    EXPECT_FALSE(window.testAttribute(Qt::WA_WState_Created)) << "no native window was made";
    EXPECT_FALSE(platform::CompositorRunning());
    EXPECT_FALSE(platform::CompositorWatch().Running());
}

}  // namespace
