#include <gtest/gtest.h>

#include "platform/x11/top_windows.h"

namespace {

using platform::TopWindow;
using platform::TopWindowFacts;

constexpr uint32_t kEvery = 0xFFFFFFFF;

// What a capture can aim at: the frame added, a client's own shadows taken off, and nothing the
// user cannot see on this workspace.
TEST(TopWindows, FramesShadowsAndWorkspacesAsTheWindowManagerSaysThem) {
    const std::optional<QMargins> none;
    const QMargins ten(10, 10, 10, 10);
    // Minimised, unmapped, on another workspace, and nothing but its own shadows: none shown.
    const std::vector<TopWindowFacts> all{
        {1, {10, 30, 100, 50}, QMargins(2, 20, 2, 2), none},
        {2, {200, 200, 120, 90}, none, ten},
        {3, {0, 0, 20, 20}, none, ten},
        {4, {0, 0, 50, 50}, none, none, true, true},
        {5, {0, 0, 50, 50}, none, none, false},
        {6, {0, 0, 50, 50}, none, none, true, false, 2},
        {7, {5, 5, 5, 5}, none, none, true, false, kEvery},
        {8, {6, 6, 6, 6}, none, none, true, false, 1},
    };
    const TopWindow framed{1, {8, 10, 104, 72}, {10, 30, 100, 50}};
    const TopWindow shadowed{2, {210, 210, 100, 70}, {210, 210, 100, 70}};
    const TopWindow everywhere{7, {5, 5, 5, 5}, {5, 5, 5, 5}};
    const TopWindow here{8, {6, 6, 6, 6}, {6, 6, 6, 6}};
    const TopWindow elsewhere{6, {0, 0, 50, 50}, {0, 0, 50, 50}};
    EXPECT_EQ(platform::ShownWindows(all, 1),
              (std::vector<TopWindow>{framed, shadowed, everywhere, here}));
    // A window manager that names no workspace: every window counts as on it.
    EXPECT_EQ(platform::ShownWindows(all, std::nullopt),
              (std::vector<TopWindow>{framed, shadowed, elsewhere, everywhere, here}));
}

// The list runs bottom-most first: where windows overlap, the later one is on top, and its frame
// counts as part of it.
TEST(TopWindows, ThePointerIsOnTheTopmostFrameHoldingIt) {
    const std::vector<TopWindow> windows{
        {1, {0, 0, 100, 100}, {5, 20, 90, 75}},
        {2, {50, 50, 100, 100}, {55, 70, 90, 75}},
    };
    const struct {
        QPoint at;
        uint32_t id;  // 0: none
    } cases[] = {{{10, 10}, 1}, {{60, 60}, 2},  {{99, 99}, 2},
                 {{52, 52}, 2}, {{149, 10}, 0}, {{100, 10}, 0}};
    for (const auto& c : cases) {
        const TopWindow* found = platform::TopmostAt(windows, c.at);
        EXPECT_EQ(found ? found->id : 0, c.id) << c.at.x() << "," << c.at.y();
    }
}

}  // namespace
