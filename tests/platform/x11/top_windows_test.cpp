#include <gtest/gtest.h>

#include "platform/x11/top_windows.h"

namespace {

using platform::TopWindow;
using platform::TopWindowFacts;

constexpr uint32_t kEvery = 0xFFFFFFFF;

// What a capture can aim at: the frame added, a client's own shadows taken off, and nothing the
// user cannot see on this workspace.
TEST(TopWindows, FramesShadowsAndWorkspacesAsTheWindowManagerSaysThem) {
    const auto facts = [](uint32_t id, QRect client) {
        TopWindowFacts f;
        f.id = id;
        f.client = client;
        return f;
    };
    TopWindowFacts framed = facts(1, {10, 30, 100, 50});
    framed.frame = QMargins(2, 20, 2, 2);
    TopWindowFacts shadowed = facts(2, {200, 200, 120, 90});
    shadowed.drawnShadows = QMargins(10, 10, 10, 10);
    TopWindowFacts allShadow = facts(3, {0, 0, 20, 20});
    allShadow.drawnShadows = QMargins(10, 10, 10, 10);
    TopWindowFacts minimised = facts(4, {0, 0, 50, 50});
    minimised.hidden = true;
    TopWindowFacts unmapped = facts(5, {0, 0, 50, 50});
    unmapped.viewable = false;
    TopWindowFacts elsewhere = facts(6, {0, 0, 50, 50});
    elsewhere.workspace = 2;
    TopWindowFacts everywhere = facts(7, {5, 5, 5, 5});
    everywhere.workspace = kEvery;
    TopWindowFacts here = facts(8, {6, 6, 6, 6});
    here.workspace = 1;
    const std::vector<TopWindowFacts> all{framed,   shadowed,  allShadow,  minimised,
                                          unmapped, elsewhere, everywhere, here};

    const TopWindow framedShown{1, {8, 10, 104, 72}, {10, 30, 100, 50}};
    const TopWindow shadowedShown{2, {210, 210, 100, 70}, {210, 210, 100, 70}};
    const TopWindow everywhereShown{7, {5, 5, 5, 5}, {5, 5, 5, 5}};
    const TopWindow hereShown{8, {6, 6, 6, 6}, {6, 6, 6, 6}};
    const TopWindow elsewhereShown{6, {0, 0, 50, 50}, {0, 0, 50, 50}};
    EXPECT_EQ(platform::ShownWindows(all, 1),
              (std::vector<TopWindow>{framedShown, shadowedShown, everywhereShown, hereShown}));
    // A window manager that names no workspace: every window counts as on it.
    EXPECT_EQ(platform::ShownWindows(all, std::nullopt),
              (std::vector<TopWindow>{framedShown, shadowedShown, elsewhereShown, everywhereShown,
                                      hereShown}));
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
