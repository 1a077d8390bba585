#include <gtest/gtest.h>

#include <vector>

#include "platform/core/picture_transform.h"

namespace {

using platform::PictureTransform;
using Steps = std::vector<platform::TransformStep>;
constexpr auto kRight = platform::TransformStep::TurnRight;
constexpr auto kLeft = platform::TransformStep::TurnLeft;
constexpr auto k180 = platform::TransformStep::Turn180;
constexpr auto kAcross = platform::TransformStep::FlipHorizontally;
constexpr auto kUpsideDown = platform::TransformStep::FlipVertically;

PictureTransform After(const Steps& steps, PictureTransform t = {}) {
    for (const platform::TransformStep step : steps) t = platform::Stepped(t, step);
    return t;
}

// Where the upright picture's top left corner (0, 0) and a point near it end up, for a 40 x 30
// picture: the steps must move pixels as a person turning the picture would, a flip after a
// turn flipping what the user sees.
TEST(PictureTransform, StepsMovePixelsAsTurningAndFlippingDo) {
    const QSize upright(40, 30);
    const struct {
        Steps steps;
        QSize shown;
        QPointF corner;  // where (0, 0) goes
        QPointF point;   // where (10, 5) goes
    } cases[] = {
        {{}, {40, 30}, {0, 0}, {10, 5}},
        {{kRight}, {30, 40}, {30, 0}, {25, 10}},
        {{kLeft}, {30, 40}, {0, 40}, {5, 30}},
        {{k180}, {40, 30}, {40, 30}, {30, 25}},
        {{kAcross}, {40, 30}, {40, 0}, {30, 5}},
        {{kUpsideDown}, {40, 30}, {0, 30}, {10, 25}},
        {{kRight, kAcross}, {30, 40}, {0, 0}, {5, 10}},
        {{kAcross, kRight}, {30, 40}, {30, 40}, {25, 30}},
        {{kUpsideDown, kLeft}, {30, 40}, {30, 40}, {25, 30}},
    };
    for (const auto& c : cases) {
        const PictureTransform t = After(c.steps);
        const auto name = ::testing::PrintToString(c.steps);
        EXPECT_EQ(platform::ShownSize(t, upright), c.shown) << name;
        EXPECT_EQ(platform::ShownFromUpright(t, upright, QPointF(0, 0)), c.corner) << name;
        EXPECT_EQ(platform::ShownFromUpright(t, upright, QPointF(10, 5)), c.point) << name;
        EXPECT_EQ(platform::UprightFromShown(t, upright, c.point), QPointF(10, 5)) << name;
    }
    // Steps and their inverses give back the first transform, a crop included.
    const PictureTransform cropped{.turns = 0, .mirrored = false, .crop = QRect(3, 4, 20, 10)};
    for (const Steps& steps : {Steps(4, kRight), Steps{kRight, kLeft}, Steps(2, kAcross),
                               Steps(2, kUpsideDown), Steps{kRight, kAcross, kRight, kAcross}}) {
        EXPECT_TRUE(After(steps).IsIdentity()) << ::testing::PrintToString(steps);
        EXPECT_EQ(After(steps, cropped), cropped) << ::testing::PrintToString(steps);
    }
}

TEST(PictureTransform, CropsAreOfWhatIsShownAndKeptInTheUprightPicture) {
    const QSize upright(40, 30);
    const PictureTransform cut{.turns = 0, .mirrored = false, .crop = QRect(10, 10, 20, 10)};
    const struct {
        const char* name;
        PictureTransform before;
        QRectF shown;
        QRect crop;  // null: the whole picture
    } cases[] = {
        {"upright", {}, {5, 6, 10, 8}, {5, 6, 10, 8}},
        // The top left of the turned picture is the upright one's bottom left.
        {"after a right turn", After({kRight}), {0, 0, 10, 8}, {0, 20, 8, 10}},
        {"a crop of a crop", cut, {2, 3, 5, 5}, {12, 13, 5, 5}},
        {"reaching outside the picture is cut to it", {}, {30, 20, 50, 50}, {30, 20, 10, 10}},
        {"the whole picture is no crop", {}, {0, 0, 40, 30}, {}},
        {"nothing inside leaves it as it was", {}, {50, 50, 5, 5}, {}},
        {"parts of pixels are rounded", {}, {0.4, 0.6, 9.2, 9.8}, {0, 1, 10, 9}},
    };
    for (const auto& c : cases) {
        const PictureTransform t = platform::Cropped(c.before, upright, c.shown);
        EXPECT_EQ(t.crop, c.crop) << c.name;
        EXPECT_EQ(t.turns, c.before.turns) << c.name;
    }
    // A turn after a crop turns the part kept.
    EXPECT_EQ(platform::ShownSize(After({kLeft}, cut), upright), QSize(10, 20));
}

// A followed file that changed size: the crop is clipped to it, and dropped when nothing of it is
// left; the turns and the mirror stay.
TEST(PictureTransform, ACropIsClippedToAPictureThatChangedSize) {
    const PictureTransform crop{.turns = 1, .mirrored = true, .crop = QRect(20, 10, 20, 20)};
    for (const auto& [upright, clipped] : std::vector<std::pair<QSize, QRect>>{
             {{100, 100}, {20, 10, 20, 20}}, {{30, 25}, {20, 10, 10, 15}}, {{20, 100}, {}}}) {
        const PictureTransform fitted = platform::FittedTo(crop, upright);
        EXPECT_EQ(fitted, (PictureTransform{1, true, clipped})) << upright.width();
    }
}

}  // namespace
