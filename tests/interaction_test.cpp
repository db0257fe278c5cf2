// The built program driven as a person would: XTest keys, drags and menu picks on a
// virtual display, with answers typed on its standard input.
#include "program_session.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono_literals;
using namespace harness;

constexpr std::uint32_t YELLOW = 0xffff00;
constexpr std::uint32_t GREEN = 0x00ff00;

using Interaction = ProgramSession;

TEST_F(Interaction, DraggingTheSelectedTopPlaneUp) {
    client.key("w");
    client.movePointer(window.x + 300, window.y + 300);
    client.button(1, true);
    client.movePointer(window.x + 300, window.y + 290);
    client.movePointer(window.x + 300, window.y + 275);
    client.button(1, false);
    // 25 px of travel is one unit, which this window shows as 16 px.
    EXPECT_TRUE(xs::waitUntil([&] { return topEdge() == 64; }, 10s)) << topEdge();

    pick(MENU_LEFT);
    client.button(1, true);
    client.movePointer(window.x + 450, window.y + 300); // 50 px right: two units
    client.button(1, false);
    EXPECT_TRUE(waitForFrame(
        [&](const xs::Image& f) { return pixel(f, 111, 300) == 0 && pixel(f, 113, 300) != 0; }));
}

TEST_F(Interaction, MenuDirectionIsAnsweredOnStandardInput) {
    pick(MENU_DIRECTION);
    answer("x = ", 1, "3 4\n");
    ASSERT_TRUE(program.waitForOutput("coords are 0.600000 0.800000\n", 10s)) << program.output();
    EXPECT_NE(program.output().find("after normalize = 0.600000 0.800000\n"), std::string::npos);
    // The segment now crosses scene y 6.5 at x 3.5 (pixel 56) instead of x 2 (pixel 32).
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) {
        return pixel(f, 56, 104) == YELLOW && pixel(f, 32, 104) != YELLOW;
    }));
}

TEST_F(Interaction, AboutLineAndHelpText) {
    pick(MENU_ABOUT);
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) {
        int green = 0;
        for (int x = 34; x < 340; ++x) {
            green += pixel(f, x, 58) == GREEN ? 1 : 0;
        }
        return green > 20;
    }));
    pick(MENU_HELP);
    EXPECT_TRUE(program.waitForOutput("only numbers like 1.234, etc..\n", 10s));
    client.key("h");
    EXPECT_TRUE(xs::waitUntil([&] { return occurrences(program.output(), "see menu") == 2; }, 10s));
}

TEST_F(Interaction, BadStartAnswerIsKeptThenEveryPickPromptsAgain) {
    pick(MENU_START);
    answer("x(0 - 35) = ", 1, "abc\n");
    answer("y(0 -25) = ", 1, "12\n");
    EXPECT_NE(program.output().find("not a number, keeping -1.000000\n"), std::string::npos);
    // From (-1, 12) the ray hits at (5, 24): the segment passes (2, 18), pixel (32, 288).
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) { return pixel(f, 32, 288) == YELLOW; }));

    // The second pick prompts too; a start inside the box shows the inside message.
    pick(MENU_START);
    ASSERT_TRUE(
        xs::waitUntil([&] { return occurrences(program.output(), "x(0 - 35) = ") == 2; }, 10s));
    program.writeInput("10 20\n");
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) {
        int yellow = 0;
        for (int x = 400; x < 640; ++x) {
            yellow += pixel(f, x, 38) == YELLOW ? 1 : 0;
        }
        return yellow > 20 && pixel(f, 32, 288) != YELLOW;
    }));
}

} // namespace
