#include <gtest/gtest.h>

#include <vector>

#include "platform/core/picture_transform.h"

namespace {

using platform::PictureTransform;
using platform::TransformStep;
using Steps = std::vector<TransformStep>;

PictureTransform After(const Steps& steps, PictureTransform t = {}) {
    for (const TransformStep step : steps) t = platform::Stepped(t, step);
    return t;
}

// Where the upright picture's top left corner (0, 0) and a point near it end up, for a 40 x 30
// picture: the steps must move pixels as a person turning the picture would.
TEST(PictureTransform, StepsMovePixelsAsTurningAndFlippingDo) {
    const QSize upright(40, 30);
    const struct {
        const char* name;
        Steps steps;
        QSize shown;
        QPointF corner;  // where (0, 0) goes
        QPointF point;   // where (10, 5) goes
    } cases[] = {
        {"none", {}, {40, 30}, {0, 0}, {10, 5}},
        {"right", {TransformStep::TurnRight}, {30, 40}, {30, 0}, {25, 10}},
        {"left", {TransformStep::TurnLeft}, {30, 40}, {0, 40}, {5, 30}},
        {"180", {TransformStep::Turn180}, {40, 30}, {40, 30}, {30, 25}},
        {"horizontally", {TransformStep::FlipHorizontally}, {40, 30}, {40, 0}, {30, 5}},
        {"vertically", {TransformStep::FlipVertically}, {40, 30}, {0, 30}, {10, 25}},
        // Flipped on screen after turning: the flip is of what the user sees.
        {"right, then horizontally",
         {TransformStep::TurnRight, TransformStep::FlipHorizontally},
         {30, 40},
         {0, 0},
         {5, 10}},
        {"horizontally, then right",
         {TransformStep::FlipHorizontally, TransformStep::TurnRight},
         {30, 40},
         {30, 40},
         {25, 30}},
        {"vertically, then left",
         {TransformStep::FlipVertically, TransformStep::TurnLeft},
         {30, 40},
         {30, 40},
         {25, 30}},
    };
    for (const auto& c : cases) {
        const PictureTransform t = After(c.steps);
        EXPECT_EQ(platform::ShownSize(t, upright), c.shown) << c.name;
        EXPECT_EQ(platform::ShownFromUpright(t, upright, QPointF(0, 0)), c.corner) << c.name;
        EXPECT_EQ(platform::ShownFromUpright(t, upright, QPointF(10, 5)), c.point) << c.name;
        EXPECT_EQ(platform::UprightFromShown(t, upright, c.point), QPointF(10, 5)) << c.name;
    }
}

TEST(PictureTransform, StepsAndTheirInversesGiveBackTheFirstTransform) {
    const PictureTransform cropped{.turns = 0, .mirrored = false, .crop = QRect(3, 4, 20, 10)};
    const struct {
        const char* name;
        Steps steps;
    } cases[] = {
        {"four right turns", Steps(4, TransformStep::TurnRight)},
        {"right then left", {TransformStep::TurnRight, TransformStep::TurnLeft}},
        {"two horizontal flips", Steps(2, TransformStep::FlipHorizontally)},
        {"two vertical flips", Steps(2, TransformStep::FlipVertically)},
        {"right, flip, right, flip",
         {TransformStep::TurnRight, TransformStep::FlipHorizontally, TransformStep::TurnRight,
          TransformStep::FlipHorizontally}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(After(c.steps).IsIdentity()) << c.name;
        EXPECT_EQ(After(c.steps, cropped), cropped) << c.name << ", cropped";
    }
}

TEST(PictureTransform, CropsAreOfWhatIsShownAndKeptInTheUprightPicture) {
    const QSize upright(40, 30);
    const PictureTransform right = After({TransformStep::TurnRight});
    const struct {
        const char* name;
        PictureTransform before;
        QRectF shown;
        QRect crop;  // null: the whole picture
        QSize shownAfter;
    } cases[] = {
        {"upright", {}, {5, 6, 10, 8}, {5, 6, 10, 8}, {10, 8}},
        // The top left of the turned picture is the upright one's bottom left.
        {"after a right turn", right, {0, 0, 10, 8}, {0, 20, 8, 10}, {10, 8}},
        {"a crop of a crop",
         {.turns = 0, .mirrored = false, .crop = QRect(10, 10, 20, 10)},
         {2, 3, 5, 5},
         {12, 13, 5, 5},
         {5, 5}},
        {"reaching outside the picture is cut to it",
         {},
         {30, 20, 50, 50},
         {30, 20, 10, 10},
         {10, 10}},
        {"the whole picture is no crop", {}, {0, 0, 40, 30}, {}, {40, 30}},
        {"nothing inside leaves it as it was", {}, {50, 50, 5, 5}, {}, {40, 30}},
        {"parts of pixels are rounded", {}, {0.4, 0.6, 9.2, 9.8}, {0, 1, 10, 9}, {10, 9}},
    };
    for (const auto& c : cases) {
        const PictureTransform t = platform::Cropped(c.before, upright, c.shown);
        EXPECT_EQ(t.crop, c.crop) << c.name;
        EXPECT_EQ(t.turns, c.before.turns) << c.name;
        EXPECT_EQ(platform::ShownSize(t, upright), c.shownAfter) << c.name;
    }
    // A turn after a crop turns the part kept.
    const PictureTransform cropped = platform::Cropped({}, upright, QRectF(5, 6, 10, 8));
    EXPECT_EQ(platform::ShownSize(platform::Stepped(cropped, TransformStep::TurnLeft), upright),
              QSize(8, 10));
}

TEST(PictureTransform, ACropIsClippedToAPictureThatChangedSize) {
    const PictureTransform crop{.turns = 1, .mirrored = true, .crop = QRect(20, 10, 20, 20)};
    const struct {
        QSize upright;
        QRect crop;
    } cases[] = {
        {{100, 100}, {20, 10, 20, 20}},
        {{30, 25}, {20, 10, 10, 15}},
        {{20, 100}, {}},  // nothing of it left: dropped
        {{10, 5}, {}},
    };
    for (const auto& c : cases) {
        const PictureTransform fitted = platform::FittedTo(crop, c.upright);
        EXPECT_EQ(fitted.crop, c.crop) << c.upright.width() << "x" << c.upright.height();
        EXPECT_EQ(fitted.turns, 1);
        EXPECT_TRUE(fitted.mirrored);
    }
}

}  // namespace
