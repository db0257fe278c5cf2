// The built program started for real on a virtual display.
#include "xsession.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Startup, OpensItsWindowAndShowsTheDefaultHit) {
    xs::VirtualDisplay display;
    xs::ChildProcess program({RAYBOX_PROGRAM}, display.name());
    xs::XClient client(display.name());
    xs::WindowInfo window;
    ASSERT_TRUE(client.findWindow("ray-box collision", window, std::chrono::seconds(20)))
        << program.errors();
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(window.x, 500);
    EXPECT_EQ(window.y, 500);

    // The hit text is red, on the line whose baseline is 34 px above the bottom edge, and
    // the yellow segment runs from the left edge up to the box.
    xs::Image frame;
    const auto countIn = [&](std::uint32_t colour, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                n += frame.at(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    };
    const bool hitShown = xs::waitUntil(
        [&] {
            frame = client.capture(window.id);
            return countIn(0xff0000, 34, 480 - 46, 600, 480 - 30) > 100;
        },
        std::chrono::seconds(20));
    EXPECT_TRUE(hitShown);
    EXPECT_GT(countIn(0xffff00, 0, 480 - 200, 80, 480 - 8), 200);
    EXPECT_EQ(countIn(0xffff00, 34, 480 - 46, 600, 480 - 30), 0) << "no \"No Intersection\"";
    EXPECT_TRUE(program.running());
    EXPECT_EQ(program.output(), "");
}

} // namespace
