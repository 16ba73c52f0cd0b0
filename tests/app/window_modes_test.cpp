// The sizing rules of the main window: scale and aspect steps, the correction of an
// edge drag and hit testing without a caption.
#include "WindowModes.h"

#include <gtest/gtest.h>

TEST(WindowModes, ScaleStepsStopAtBothEndsAndFreeSizeReturnsToFullSize)
{
    EXPECT_EQ(1, ScaleStep(1, false));
    EXPECT_EQ(6, ScaleStep(6, true));
    EXPECT_EQ(4, ScaleStep(0, false));
    EXPECT_EQ(4, ScaleStep(0, true));
    int mode = 1;
    for (int expected : {2, 3, 4, 5, 6})
        EXPECT_EQ(expected, mode = ScaleStep(mode, true));
    for (int expected : {5, 4, 3, 2, 1})
        EXPECT_EQ(expected, mode = ScaleStep(mode, false));
}

TEST(WindowModes, AspectStepsFollowTheMenuAndWrap)
{
    int mode = 1;
    for (int expected : {3, 2, 4, 5, 0, 1})
        EXPECT_EQ(expected, mode = AspectStep(mode, true));
    for (int expected : {0, 5, 4, 2, 3, 1})
        EXPECT_EQ(expected, mode = AspectStep(mode, false));
    EXPECT_EQ(9, AspectStep(9, true));
    EXPECT_EQ(-1, AspectStep(-1, false));
}

TEST(WindowModes, EdgeDragIsCorrectedOnTheSidesNotDragged)
{
    const WindowRect start{100, 100, 500, 400};
    struct {
        int edge;
        WindowRect expected;
    } cases[] = {
        {kEdgeLeft, {100, 100, 510, 420}},
        {kEdgeTop, {100, 100, 510, 420}},
        {kEdgeRight, {90, 100, 500, 420}},
        {kEdgeBottom, {100, 80, 510, 400}},
    };
    for (const auto& c : cases) {
        WindowRect proposed = start;
        CorrectProposedRect(c.edge, 10, 20, proposed);
        EXPECT_EQ(c.expected, proposed) << "edge " << c.edge;
    }
}

TEST(WindowModes, WithoutCaptionTheInsideAndCornersMoveTheWindow)
{
    for (int code : {kHitClient, kHitTopLeft, kHitTopRight, kHitBottomLeft, kHitBottomRight})
        EXPECT_EQ(kHitCaption, FrameOnlyHitTest(code));
    // Edges keep sizing; the left, right, top and bottom borders are 10, 11, 12 and 15.
    for (int edge : {10, 11, 12, 15})
        EXPECT_EQ(edge, FrameOnlyHitTest(edge));
}
