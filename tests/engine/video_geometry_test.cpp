#include "VideoGeometry.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

constexpr int kLeft = 1, kRight = 2, kTop = 3, kBottom = 6;

TEST(VideoBoxSize, WidensToTheFamilyAndScales)
{
    EXPECT_EQ((Size{427, 240}), VideoBoxSize(720, 480, 3, 2));
    EXPECT_EQ((Size{960, 540}), VideoBoxSize(1920, 1080, 3, 2));
    EXPECT_EQ((Size{853, 480}), VideoBoxSize(720, 480, 2, 4));
    EXPECT_EQ((Size{640, 480}), VideoBoxSize(720, 480, 1, 4));
    EXPECT_EQ((Size{720, 480}), VideoBoxSize(720, 480, 0, 4)) << "free keeps the width";
    EXPECT_EQ((Size{3840, 2160}), VideoBoxSize(1920, 1080, 5, 6));
    EXPECT_EQ((Size{320, 180}), VideoBoxSize(1280, 720, 3, 1));
    EXPECT_EQ((Size{1280, 720}), VideoBoxSize(1280, 720, 3, 0)) << "scale 0 counts as 100 %";
}

TEST(FitBox, CentresTheLargestBoxOfTheFamily)
{
    EXPECT_EQ((Box{100, 0, 600, 450}), FitBox(800, 450, 1));
    EXPECT_EQ((Box{0, 0, 800, 450}), FitBox(800, 450, 3));
    EXPECT_EQ((Box{0, 75, 800, 450}), FitBox(800, 600, 5)) << "too narrow: full width";
    EXPECT_EQ((Box{0, 0, 333, 222}), FitBox(333, 222, 0));
    EXPECT_EQ((Box{0, 0, 0, 0}), FitBox(0, 0, 1));
}

TEST(CroppedSource, CutsTheMiddleOfThePicture)
{
    Box source{};
    ASSERT_TRUE(CroppedSource(720, 480, 2, source));
    EXPECT_EQ((Box{0, 60, 720, 360}), source) << "4:3LB shows the middle 720 x 360 band";

    ASSERT_TRUE(CroppedSource(1920, 1080, 4, source));
    EXPECT_EQ((Box{240, 0, 1440, 1080}), source);

    ASSERT_TRUE(CroppedSource(1920, 1080, 5, source));
    EXPECT_EQ((Box{240, 135, 1440, 810}), source);

    EXPECT_FALSE(CroppedSource(1920, 1080, 3, source));
    EXPECT_FALSE(CroppedSource(1920, 1080, 0, source));
}

TEST(ConstrainVideoArea, KeepsTheRatioForTheDraggedEdge)
{
    Size area{640, 500};
    EXPECT_TRUE(ConstrainVideoArea(kBottom, 1, area));
    EXPECT_EQ((Size{667, 500}), area);

    area = {640, 500};
    EXPECT_TRUE(ConstrainVideoArea(kRight, 3, area));
    EXPECT_EQ((Size{640, 360}), area);

    area = {800, 450};
    EXPECT_FALSE(ConstrainVideoArea(kLeft, 3, area)) << "already 16:9";
    area = {640, 480};
    EXPECT_FALSE(ConstrainVideoArea(kTop, 4, area)) << "already 4:3";

    area = {123, 456};
    EXPECT_FALSE(ConstrainVideoArea(kBottom, 0, area));
    EXPECT_EQ((Size{123, 456}), area);
}

}  // namespace
}  // namespace engine
