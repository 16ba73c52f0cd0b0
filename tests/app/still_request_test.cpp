#include <gtest/gtest.h>

#include "RgbConversion.h"
#include "StillRequest.h"

using stillimage::StillRect;

namespace {

MainSettings Stills(int cropping, int aspect)
{
    MainSettings settings;
    settings.imageCroppingMode = cropping;
    settings.imageAspectMode = aspect;
    settings.imageScale = 100.0;
    return settings;
}

TEST(StillRequest, MatrixFollowsTheInputUnlessChosen)
{
    EXPECT_EQ(stillimage::kMatrixBt601, StillMatrix(0, 1));
    EXPECT_EQ(stillimage::kMatrixBt601, StillMatrix(0, 2));
    for (int format : {0, 3, 4, 5})
        EXPECT_EQ(stillimage::kMatrixBt709, StillMatrix(0, format)) << format;
    EXPECT_EQ(stillimage::kMatrixBt601, StillMatrix(1, 5));
    EXPECT_EQ(stillimage::kMatrixBt709, StillMatrix(2, 1));
    EXPECT_EQ(stillimage::kMatrixBt709, StillMatrix(7, 1));
}

TEST(StillRequest, LetterBoxCropAndDisplayAspectGiveTheBandAtFourToThree)
{
    // 480i shown 4:3LB: rows 60 to 420, made 640 wide.
    const StillPlan plan = PlanStill(Stills(1, 1), 720, 480, 2, 1);
    EXPECT_EQ(std::optional(StillRect{0, 60, 720, 420}), plan.crop);
    EXPECT_EQ(std::optional(StillRect{0, 0, 640, 360}), plan.output);
    EXPECT_EQ(640, plan.nameWidth);
    EXPECT_EQ(360, plan.nameHeight);
    EXPECT_EQ(stillimage::kMatrixBt601, plan.matrix);
}

TEST(StillRequest, ForcedAspectsStretchTheWholeFrame)
{
    // 16:9 widens 720 x 480 to 853; 4:3 narrows 1920 x 1080 to 1440.
    const StillPlan wide = PlanStill(Stills(0, 2), 720, 480, 1, 1);
    EXPECT_FALSE(wide.crop);
    EXPECT_EQ(std::optional(StillRect{0, 0, 853, 480}), wide.output);
    const StillPlan narrow = PlanStill(Stills(0, 3), 1920, 1080, 3, 3);
    EXPECT_EQ(std::optional(StillRect{0, 0, 1440, 1080}), narrow.output);
    // A 16:9 frame at 16:9 keeps its size: saved as it is.
    const StillPlan same = PlanStill(Stills(1, 1), 1280, 720, 3, 4);
    EXPECT_FALSE(same.crop);
    EXPECT_FALSE(same.output);
    EXPECT_EQ(1280, same.nameWidth);
    EXPECT_EQ(720, same.nameHeight);
}

TEST(StillRequest, ScaleAppliesOnlyWhenSwitchedOnAndSensible)
{
    MainSettings settings = Stills(0, 0);
    settings.imageScale = 50.0;
    EXPECT_FALSE(PlanStill(settings, 1280, 720, 3, 4).output) << "scale mode off";
    settings.imageScaleMode = 1;
    EXPECT_EQ(std::optional(StillRect{0, 0, 640, 360}), PlanStill(settings, 1280, 720, 3, 4).output);
    settings.imageScale = 33.3;
    EXPECT_EQ(std::optional(StillRect{0, 0, 426, 239}), PlanStill(settings, 1280, 720, 3, 4).output);
    for (double unusable : {0.0, -50.0}) {
        settings.imageScale = unusable;
        EXPECT_FALSE(PlanStill(settings, 1280, 720, 3, 4).output) << unusable;
    }
    settings.imageScale = 1e300;
    const StillPlan huge = PlanStill(settings, 1280, 720, 3, 4);
    ASSERT_TRUE(huge.output);
    EXPECT_EQ(32767, huge.output->right) << "a bitmap's side, not an overflow";
    settings.imageScale = 0.001;
    EXPECT_EQ(std::optional(StillRect{0, 0, 1, 1}), PlanStill(settings, 1280, 720, 3, 4).output);
}

TEST(StillRequest, FixedCropOnlyInsideTheFrameAndSmallerThanIt)
{
    MainSettings settings = Stills(2, 0);
    settings.imageCroppingRect = {100, 50, 740, 410};
    const StillPlan plan = PlanStill(settings, 1280, 720, 3, 4);
    EXPECT_EQ(std::optional(StillRect{100, 50, 740, 410}), plan.crop);
    EXPECT_EQ(std::optional(StillRect{0, 0, 640, 360}), plan.output);

    const CropRect unusable[] = {{0, 0, 1280, 720}, {0, 0, 1281, 720},  {0, 0, 1280, 721},
                                 {-1, 0, 640, 360}, {640, 0, 100, 360}, {0, 360, 640, 360}};
    for (const CropRect& rect : unusable) {
        settings.imageCroppingRect = rect;
        const StillPlan none = PlanStill(settings, 1280, 720, 3, 4);
        EXPECT_FALSE(none.crop) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        EXPECT_FALSE(none.output);
    }
}

}  // namespace
