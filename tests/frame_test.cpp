// Frames drawn by the viewer in a real window, read back pixel by pixel.
#include "glut_window.h"
#include "scene.h"
#include "viewer.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using harness::Frame;

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        harness::openViewer();
    }
};

// Colour channels of a pixel.
int red(std::uint32_t p) {
    return static_cast<int>(p >> 16 & 0xff);
}
int green(std::uint32_t p) {
    return static_cast<int>(p >> 8 & 0xff);
}
int blue(std::uint32_t p) {
    return static_cast<int>(p & 0xff);
}

// Checks the box's four corner colours, sampling two pixels inside each corner of the
// pixel rectangle (left, bottom)-(right, top).
void expectBoxCorners(const Frame& f, int left, int bottom, int right, int top) {
    const std::uint32_t redCorner = f.at(left + 2, bottom + 2);
    const std::uint32_t greenCorner = f.at(right - 3, bottom + 2);
    const std::uint32_t blueCorner = f.at(right - 3, top - 3);
    const std::uint32_t yellowCorner = f.at(left + 2, top - 3);
    EXPECT_TRUE(red(redCorner) > 220 && green(redCorner) < 40 && blue(redCorner) < 40)
        << std::hex << redCorner;
    EXPECT_TRUE(green(greenCorner) > 220 && red(greenCorner) < 40 && blue(greenCorner) < 40)
        << std::hex << greenCorner;
    EXPECT_TRUE(blue(blueCorner) > 220 && red(blueCorner) < 40 && green(blueCorner) < 40)
        << std::hex << blueCorner;
    EXPECT_TRUE(red(yellowCorner) > 220 && green(yellowCorner) > 220 && blue(yellowCorner) < 40)
        << std::hex << yellowCorner;
    // Just outside the box is background.
    EXPECT_EQ(f.at(left - 2, (bottom + top) / 2), 0u);
    EXPECT_EQ(f.at(right + 1, (bottom + top) / 2), 0u);
    EXPECT_EQ(f.at((left + right) / 2, top + 1), 0u);
    EXPECT_EQ(f.at((left + right) / 2, bottom - 2), 0u);
}

TEST_F(FrameTest, FirstFrameShowsTheDefaultHit) {
    const Frame f = harness::drawFrame();
    EXPECT_EQ(lastResult, RAY_HIT);
    // 640 x 480 shows 40 x 30 units: 16 px a unit, box (5, 10)-(15, 25).
    expectBoxCorners(f, 80, 160, 240, 400);
    EXPECT_TRUE(harness::hasText(
        f, 34, 34, "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }", harness::RED));
    EXPECT_TRUE(
        harness::hasText(f, 213, 457, "ray start = -1.000000 0.500000 0.000000", harness::RED));
    EXPECT_TRUE(
        harness::hasText(f, 213, 427, "ray dir = 0.500000 1.000000 0.000000", harness::RED));
    // The segment from (-1, 0.5) to (5, 12.5) crosses scene y 6.5 (pixel row 104) at x 2
    // (pixel 32): one unblended run of lineWidth yellow pixels there.
    EXPECT_EQ(f.count(harness::YELLOW, 0, 104, 80, 105), lineWidth);
    EXPECT_EQ(f.at(32, 104), harness::YELLOW);
    // The segment ends at the hit point on the box's left edge.
    EXPECT_GT(f.count(harness::YELLOW, 70, 190, 80, 200), 0);
    EXPECT_EQ(f.count(harness::YELLOW, 0, 215, 80, 480), 0);
}

TEST_F(FrameTest, MissShowsNoIntersectionAndNoSegment) {
    rayDir[0] = -0.5f;
    const Frame f = harness::drawFrame();
    EXPECT_EQ(lastResult, RAY_MISS);
    EXPECT_TRUE(harness::hasText(f, 34, 34, "No Intersection", harness::YELLOW));
    EXPECT_EQ(f.count(harness::YELLOW, 0, 60, 80, 160), 0);
    EXPECT_TRUE(
        harness::hasText(f, 213, 427, "ray dir = -0.500000 1.000000 0.000000", harness::RED));
}

TEST_F(FrameTest, StartInsideShowsBothMessages) {
    rayStart[0] = 10.0f;
    rayStart[1] = 20.0f;
    const Frame f = harness::drawFrame();
    EXPECT_EQ(lastResult, RAY_INSIDE);
    EXPECT_TRUE(harness::hasText(f, 400, 34, "start point is inside box.", harness::YELLOW));
    EXPECT_TRUE(harness::hasText(f, 34, 34, "No Intersection", harness::YELLOW));
}

TEST_F(FrameTest, AboutLineAboveTheResult) {
    aboutShown = 1;
    const Frame f = harness::drawFrame();
    EXPECT_TRUE(harness::hasText(f, 34, 54, "ray-box collision demo by Kestrin", harness::GREEN));
    EXPECT_EQ(lastResult, RAY_HIT);
    aboutShown = 0;
    const Frame hidden = harness::drawFrame();
    EXPECT_EQ(hidden.count(harness::GREEN, 34, 50, 400, 66), 0);
}

TEST_F(FrameTest, PortraitAndSquareWindowsKeepThirtyUnitsOnTheShortSide) {
    harness::resizeWindow(480, 640);
    Frame f = harness::drawFrame();
    // 480 px show 30 units: 16 px a unit again, with 40 units up the taller side.
    expectBoxCorners(f, 80, 160, 240, 400);
    EXPECT_TRUE(
        harness::hasText(f, 160, 609, "ray start = -1.000000 0.500000 0.000000", harness::RED));
    EXPECT_TRUE(
        harness::hasText(f, 160, 579, "ray dir = 0.500000 1.000000 0.000000", harness::RED));

    harness::resizeWindow(600, 600);
    f = harness::drawFrame();
    // 20 px a unit.
    expectBoxCorners(f, 100, 200, 300, 500);
    EXPECT_TRUE(
        harness::hasText(f, 200, 571, "ray start = -1.000000 0.500000 0.000000", harness::RED));
    EXPECT_TRUE(harness::hasText(
        f, 34, 34, "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }", harness::RED));
}

TEST_F(FrameTest, OnlyAMissRequestsAnotherFrame) {
    harness::drawFrame();
    EXPECT_EQ(harness::pendingRedraws(), 0) << "hit";

    rayStart[0] = 10.0f;
    rayStart[1] = 20.0f;
    harness::drawFrame();
    EXPECT_EQ(harness::pendingRedraws(), 0) << "inside";

    resetRay();
    rayDir[0] = -0.5f;
    harness::drawFrame();
    // A full miss pass from the idle value runs 56 times and ends the sweep at 15.
    EXPECT_EQ(sweepParam, 15.0f);
    EXPECT_GT(harness::pendingRedraws(), 0) << "miss";
}

TEST_F(FrameTest, AFrameBeforeTheIdleResetStillShowsTheCurrentOutcome) {
    rayDir[0] = -0.5f;
    harness::drawFrame();
    ASSERT_EQ(sweepParam, 15.0f);
    // The scene changes so that the ray hits, and the next frame comes before any idle call.
    rayDir[0] = 0.5f;
    onDisplay();
    EXPECT_EQ(lastResult, RAY_HIT);
}

TEST_F(FrameTest, FramesLeaveNoGlErrorEvenForACollapsedWindow) {
    while (glGetError() != GL_NO_ERROR) {
    }
    harness::drawFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    rayDir[0] = -0.5f;
    harness::drawFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (const auto& size : {std::pair<int, int>{0, 0}, {0, 300}, {300, 0}}) {
        onReshape(size.first, size.second);
        onDisplay();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR))
            << size.first << " x " << size.second;
    }
    onReshape(640, 480);
}

TEST_F(FrameTest, LongTextIsCutAtTheBuffer) {
    glutPositionWindow(0, 0);
    harness::resizeWindow(1900, 100);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 0.0f);
    drawText(0, 50, "%s", std::string(300, 'M').c_str());
    const Frame f = harness::readBackBuffer();
    // 199 characters fit beside the terminator, 9 px each.
    int rightmost = -1;
    for (int x = 0; x < f.width; ++x) {
        if (f.count(harness::YELLOW, x, 40, x + 1, 65) > 0) {
            rightmost = x;
        }
    }
    EXPECT_GE(rightmost, 198 * 9);
    EXPECT_LT(rightmost, 199 * 9);
}

} // namespace
