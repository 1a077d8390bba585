#include <gtest/gtest.h>

#include <QCoreApplication>
#include <vector>

#include "platform/gui/maximise_refusal.h"

namespace {

using platform::MaximiseRefusal;

// A window whose window system answers at once and drops a state only when told to by the test,
// as a window manager does in its own time.
struct FakeWindow : MaximiseRefusal::Window {
    bool visible = true;
    bool state = false;
    QRect outer;
    QRect client;

    bool Visible() const override { return visible; }
    bool InSizeState() const override { return state; }
    QRect Outer() const override { return outer; }
    void PutBack(const QRect& rect) override { outer = client = rect; }
    QRect Client() const override { return client; }
    QRect ClientOnServer() const override { return client; }
    QRect WantedClient() const override { return outer; }
    void DropSizeStates() override {}
    void AskForWanted() override { client = outer; }
    QList<QSize> ScreenSizes() const override { return {{1600, 1200}}; }
};

enum class Do { StateOn, StateOff, Set, Wait, Hide };
struct Step {
    Do what;
    QRect rect = {};
    qint64 ms = 0;
};

TEST(MaximiseRefusal, PutsTheWindowBackWhereTheUserLeftIt) {
    const QRect start(100, 100, 400, 300);
    const QRect workArea(0, 0, 1600, 1160);
    const QRect screen(0, 0, 1600, 1200);
    const struct {
        const char* what;
        QRect start;
        std::vector<Step> steps;
        QRect expected;
    } cases[] = {
        {"a drag is the user's", start, {{Do::Set, {300, 200, 400, 300}}}, {300, 200, 400, 300}},
        {"the state, then its size",
         start,
         {{Do::StateOn}, {Do::Set, workArea}, {Do::StateOff}},
         start},
        {"the size a moment before the state",
         start,
         {{Do::Set, workArea}, {Do::Wait, {}, 20}, {Do::StateOn}, {Do::StateOff}},
         start},
        {"a size long before the state is the user's",
         start,
         {{Do::Set, workArea}, {Do::Wait, {}, 2000}, {Do::StateOn}, {Do::StateOff}},
         workArea},
        {"the state's size again after the state is gone",
         start,
         {{Do::StateOn},
          {Do::Set, workArea},
          {Do::StateOff},
          {Do::Wait, {}, 2000},
          {Do::Set, workArea}},
         start},
        {"the screen's size without a state", start, {{Do::Set, screen}}, start},
        {"a window of the screen's size moves freely",
         screen,
         {{Do::Set, screen.translated(40, 30)}},
         screen.translated(40, 30)},
        {"a drag after a refusal is the user's",
         start,
         {{Do::StateOn},
          {Do::Set, workArea},
          {Do::StateOff},
          {Do::Wait, {}, 2000},
          {Do::Set, {700, 500, 400, 300}}},
         {700, 500, 400, 300}},
        {"hidden while refusing: shown again as the program has it",
         start,
         {{Do::StateOn}, {Do::Hide}, {Do::Set, {200, 150, 400, 300}}},
         {200, 150, 400, 300}},
    };
    for (const auto& c : cases) {
        qint64 now = 1000;
        FakeWindow window;
        window.outer = window.client = c.start;
        MaximiseRefusal refusal(window, nullptr, [&now] { return now; });
        for (const Step& step : c.steps) {
            switch (step.what) {
                case Do::StateOn:
                case Do::StateOff:
                    window.state = step.what == Do::StateOn;
                    refusal.StateChanged();
                    break;
                case Do::Set: {
                    // The window takes what the window system did unless it is refused.
                    const bool resized = step.rect.size() != window.client.size();
                    window.client = step.rect;
                    if (!refusal.Refuses(resized)) window.outer = step.rect;
                    break;
                }
                case Do::Wait:
                    now += step.ms;
                    break;
                case Do::Hide:
                    window.visible = false;
                    window.state = false;
                    refusal.StateChanged();
                    break;
            }
            // The reviews the refusal queued, and those they queue in turn.
            for (int i = 0; i < 8; ++i) QCoreApplication::processEvents();
        }
        EXPECT_EQ(window.outer, c.expected) << c.what;
        EXPECT_FALSE(refusal.Refusing()) << c.what;
    }
}

}  // namespace
