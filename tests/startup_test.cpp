// The built program started for real on a virtual display.
#include "program_session.h"

namespace {

using Startup = harness::ProgramSession;

// The session has already waited for the window and its first frame.
TEST_F(Startup, OpensItsWindowAndShowsTheDefaultHit) {
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(window.x, 500);
    EXPECT_EQ(window.y, 500);

    // The hit text is red, on the line whose baseline is 34 px above the bottom edge, and
    // the yellow segment runs from the left edge up to the box.
    const xs::Image frame = client.capture(window.id);
    const auto countIn = [&](std::uint32_t colour, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                n += pixel(frame, x, y) == colour ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_GT(countIn(0xff0000, 34, 30, 600, 46), 100);
    EXPECT_GT(countIn(0xffff00, 0, 8, 80, 200), 200);
    EXPECT_EQ(countIn(0xffff00, 34, 30, 600, 46), 0) << "no \"No Intersection\"";
    EXPECT_EQ(program.output(), "");
}

} // namespace
