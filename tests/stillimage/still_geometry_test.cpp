#include <gtest/gtest.h>

#include "StillGeometry.h"

namespace stillimage {
namespace {

TEST(DisplayModeCrop, CutsAQuarterOfTheRowsOrColumnsForTheCroppingModes)
{
    StillRect letterBox{0, 0, 1920, 1080};
    EXPECT_TRUE(DisplayModeCrop(letterBox, 2));
    EXPECT_EQ((StillRect{0, 135, 1920, 945}), letterBox);

    StillRect pan{0, 0, 720, 480};
    EXPECT_TRUE(DisplayModeCrop(pan, 4));
    EXPECT_EQ((StillRect{90, 0, 630, 480}), pan);

    StillRect zoom{0, 0, 720, 480};
    EXPECT_TRUE(DisplayModeCrop(zoom, 5));
    EXPECT_EQ((StillRect{90, 60, 630, 420}), zoom);

    // Integer divisions: 9 x 7 / 12 = 5, (7 - 5) / 2 = 1.
    StillRect odd{10, 20, 17, 27};
    EXPECT_TRUE(DisplayModeCrop(odd, 5));
    EXPECT_EQ((StillRect{11, 21, 16, 26}), odd);

    for (int mode : {0, 1, 3, 6, -1}) {
        StillRect unchanged{0, 0, 1280, 720};
        EXPECT_FALSE(DisplayModeCrop(unchanged, mode)) << mode;
        EXPECT_EQ((StillRect{0, 0, 1280, 720}), unchanged);
    }
}

TEST(AspectWidthFactor, GivesTheDisplayWidthOverTheFrameWidth)
{
    EXPECT_DOUBLE_EQ(640.0 / 720.0, AspectWidthFactor(480, 1, 720));
    EXPECT_DOUBLE_EQ(640.0 / 720.0, AspectWidthFactor(480, 4, 720));
    for (int code : {2, 3, 5})
        EXPECT_DOUBLE_EQ(853.0 / 720.0, AspectWidthFactor(480, code, 720)) << code;
    EXPECT_DOUBLE_EQ(1.0, AspectWidthFactor(1080, 3, 1920));
    EXPECT_DOUBLE_EQ(1440.0 / 1920.0, AspectWidthFactor(1080, 1, 1920));
    for (int code : {0, 6, -3})
        EXPECT_DOUBLE_EQ(1.0, AspectWidthFactor(480, code, 720)) << code;
    EXPECT_DOUBLE_EQ(1.0, AspectWidthFactor(480, 1, 0)) << "no width, no factor";
}

}  // namespace
}  // namespace stillimage
