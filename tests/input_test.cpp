// Keyboard, menu and pointer callbacks acting on a real window's scene.
#include "glut_window.h"
#include "scene.h"
#include "viewer.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        harness::openViewer();
    }
    void expectBox(float minX, float minY, float maxX, float maxY) {
        EXPECT_EQ(boxPlanes[0], minX);
        EXPECT_EQ(boxPlanes[1], minY);
        EXPECT_EQ(boxPlanes[3], maxX);
        EXPECT_EQ(boxPlanes[4], maxY);
    }
};

const std::string HELP_START = "see menu ala' right click;)\n";

TEST_F(InputTest, KeysSelectPlanesWithoutRedrawing) {
    const std::pair<unsigned char, int> keys[] = {
        {'w', PLANE_TOP}, {'d', PLANE_BOTTOM}, {'a', PLANE_LEFT}, {'s', PLANE_RIGHT}};
    for (const auto& [key, plane] : keys) {
        onKeyboard(key, 10, 10);
        EXPECT_EQ(selectedPlane, plane) << key;
        EXPECT_EQ(harness::pendingRedraws(), 0) << key;
    }
    // Capitals and the menu-only values do nothing on the keyboard.
    CaptureStdout();
    for (unsigned char key : {'W', 'D', 'A', 'S', 'H', 'M', 'm', 'p', 'r', ' '}) {
        onKeyboard(key, 0, 0);
        EXPECT_EQ(selectedPlane, PLANE_RIGHT) << key;
    }
    EXPECT_EQ(aboutShown, 0);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(harness::pendingRedraws(), 0);

    CaptureStdout();
    onKeyboard('h', 0, 0);
    EXPECT_EQ(GetCapturedStdout().rfind(HELP_START, 0), 0u);
    EXPECT_EQ(harness::pendingRedraws(), 0);
}

TEST_F(InputTest, MenuEntriesActAndAlwaysRedraw) {
    const std::pair<int, int> planes[] = {
        {'w', PLANE_TOP}, {'d', PLANE_BOTTOM}, {'a', PLANE_LEFT}, {'s', PLANE_RIGHT}};
    for (const auto& [value, plane] : planes) {
        onMenu(value);
        EXPECT_EQ(selectedPlane, plane);
        EXPECT_GT(harness::pendingRedraws(), 0);
    }
    onMenu('m');
    EXPECT_EQ(aboutShown, 1);
    EXPECT_GT(harness::pendingRedraws(), 0);
    onMenu('m');
    EXPECT_EQ(aboutShown, 0);

    // A separator changes nothing but still redraws.
    CaptureStdout();
    onMenu(' ');
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(selectedPlane, PLANE_RIGHT);
    expectBox(5, 10, 15, 25);
    EXPECT_GT(harness::pendingRedraws(), 0);

    CaptureStdout();
    onMenu('h');
    EXPECT_EQ(GetCapturedStdout().rfind(HELP_START, 0), 0u);
    EXPECT_GT(harness::pendingRedraws(), 0);
}

TEST_F(InputTest, StartPromptRunsEveryTimeItIsChosen) {
    char path[] = "/tmp/raybox-answers-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string answers = "1 2\n3 4\n";
    ASSERT_EQ(write(fd, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
    close(fd);
    ASSERT_NE(std::freopen(path, "r", stdin), nullptr);
    CaptureStdout();
    onMenu('p');
    EXPECT_EQ(rayStart[0], 1.0f);
    EXPECT_EQ(rayStart[1], 2.0f);
    onMenu('p');
    EXPECT_EQ(rayStart[0], 3.0f);
    EXPECT_EQ(rayStart[1], 4.0f);
    GetCapturedStdout();
    EXPECT_GT(harness::pendingRedraws(), 0);
    std::remove(path);
}

TEST_F(InputTest, DragsMoveTheSelectedPlane) {
    // Upward travel of 25 px raises the top by one unit, measured from the press.
    onMenu('w');
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 200);
    onMotion(100, 175);
    expectBox(5, 10, 15, 26);
    EXPECT_GT(harness::pendingRedraws(), 0);

    // 50 px to the right moves the left plane two units to the right.
    onKeyboard('a', 0, 0);
    onMotion(150, 175);
    expectBox(7, 10, 15, 26);

    // Downward travel lowers the bottom; leftward travel moves the right plane left.
    onKeyboard('d', 0, 0);
    onMotion(150, 200);
    onKeyboard('s', 0, 0);
    onMotion(125, 200);
    expectBox(7, 9, 14, 26);
    EXPECT_EQ(lastMouseX, 125);
    EXPECT_EQ(lastMouseY, 200);
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 130, 210);
    EXPECT_EQ(lastMouseX, 130);
    EXPECT_EQ(lastMouseY, 210);
}

TEST_F(InputTest, WithoutASelectionDragsOnlyRedraw) {
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 300, 300);
    onMotion(200, 100);
    expectBox(5, 10, 15, 25);
    EXPECT_GT(harness::pendingRedraws(), 0);
    selectedPlane = 9;
    onMotion(100, 0);
    expectBox(5, 10, 15, 25);
}

TEST_F(InputTest, PlanesMayCrossAndTheFrameStillDraws) {
    onKeyboard('s', 0, 0);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 400, 0);
    onMotion(100, 0); // 12 units left: maxX about 3 is past minX 5
    expectBox(5, 10, static_cast<float>(15.0 - 300 * static_cast<double>(DRAG_STEP)), 25);
    const harness::Frame f = harness::drawFrame();
    // x is still classified against minX first, so the ray enters at x = 5 as before.
    EXPECT_TRUE(harness::hasText(
        f, 34, 34, "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }", harness::RED));
}

} // namespace
