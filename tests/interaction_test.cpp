// The built program driven as a person would: XTest keys, drags and menu picks on a
// virtual display, with answers typed on its standard input.
#include "xsession.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t YELLOW = 0xffff00;
constexpr std::uint32_t GREEN = 0x00ff00;

// Menu entries, top to bottom.
enum Entry { TOP = 0, LEFT = 2, START = 5, DIRECTION = 6, ABOUT = 8, HELP = 9, ENTRIES = 10 };

// How often text occurs in output.
int occurrences(const std::string& output, const std::string& text) {
    int n = 0;
    for (auto at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) {
        ++n;
    }
    return n;
}

class Interaction : public ::testing::Test {
  protected:
    xs::VirtualDisplay display;
    xs::ChildProcess program{{RAYBOX_PROGRAM}, display.name()};
    xs::XClient client{display.name()};
    xs::WindowInfo window;

    void SetUp() override {
        ASSERT_TRUE(client.findWindow("ray-box collision", window, 20s));
        // The first frame is up once the box's top edge is drawn.
        ASSERT_TRUE(xs::waitUntil([&] { return topEdge() == 80; }, 20s));
        // Keys go to the window under the pointer.
        client.movePointer(window.x + 400, window.y + 300);
    }

    void TearDown() override {
        EXPECT_TRUE(program.running());
        EXPECT_EQ(program.errors(), "");
    }

    // Window pixel at (x, y), y counted up from the bottom edge like the scene.
    std::uint32_t pixel(const xs::Image& frame, int x, int y) {
        return frame.at(x, frame.height - 1 - y);
    }

    // Row of the box's top edge, from the window's top, down the box's middle column.
    int topEdge() {
        const xs::Image frame = client.capture(window.id);
        for (int y = 60; y < 200; ++y) {
            if (frame.at(160, y) != 0) {
                return y;
            }
        }
        return -1;
    }

    // Waits until a frame satisfies the condition.
    bool waitForFrame(const std::function<bool(const xs::Image&)>& condition) {
        return xs::waitUntil([&] { return condition(client.capture(window.id)); }, 20s);
    }

    // Opens the menu with a right click, moves over the entry and clicks it.
    void pick(int entry) {
        client.movePointer(window.x + 400, window.y + 100);
        client.button(3, true);
        xs::WindowInfo menu;
        ASSERT_TRUE(client.findPopup(menu, true, 10s));
        client.button(3, false);
        const int y = menu.y + menu.height * (2 * entry + 1) / (2 * ENTRIES);
        client.movePointer(menu.x + 20, y - 2);
        client.movePointer(menu.x + 21, y);
        client.button(1, true);
        client.button(1, false);
        ASSERT_TRUE(client.findPopup(menu, false, 10s));
        client.movePointer(window.x + 400, window.y + 300);
    }

    void answer(const std::string& prompt, const std::string& text) {
        ASSERT_TRUE(program.waitForOutput(prompt, 10s)) << program.output();
        program.writeInput(text);
    }
};

TEST_F(Interaction, DraggingTheSelectedTopPlaneUp) {
    client.key("w");
    client.movePointer(window.x + 300, window.y + 300);
    client.button(1, true);
    client.movePointer(window.x + 300, window.y + 290);
    client.movePointer(window.x + 300, window.y + 275);
    client.button(1, false);
    // 25 px of travel is one unit, which this window shows as 16 px.
    EXPECT_TRUE(xs::waitUntil([&] { return topEdge() == 64; }, 10s)) << topEdge();

    pick(LEFT);
    client.button(1, true);
    client.movePointer(window.x + 450, window.y + 300); // 50 px right: two units
    client.button(1, false);
    EXPECT_TRUE(waitForFrame(
        [&](const xs::Image& f) { return pixel(f, 111, 300) == 0 && pixel(f, 113, 300) != 0; }));
}

TEST_F(Interaction, MenuDirectionIsAnsweredOnStandardInput) {
    pick(DIRECTION);
    answer("x = ", "3 4\n");
    ASSERT_TRUE(program.waitForOutput("coords are 0.600000 0.800000\n", 10s)) << program.output();
    EXPECT_NE(program.output().find("after normalize = 0.600000 0.800000\n"), std::string::npos);
    // The segment now crosses scene y 6.5 at x 3.5 (pixel 56) instead of x 2 (pixel 32).
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) {
        return pixel(f, 56, 104) == YELLOW && pixel(f, 32, 104) != YELLOW;
    }));
}

TEST_F(Interaction, AboutLineAndHelpText) {
    pick(ABOUT);
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) {
        int green = 0;
        for (int x = 34; x < 340; ++x) {
            green += pixel(f, x, 58) == GREEN ? 1 : 0;
        }
        return green > 20;
    }));
    pick(HELP);
    EXPECT_TRUE(program.waitForOutput("only numbers like 1.234, etc..\n", 10s));
    client.key("h");
    EXPECT_TRUE(xs::waitUntil([&] { return occurrences(program.output(), "see menu") == 2; }, 10s));
}

TEST_F(Interaction, BadStartAnswerIsKeptThenEveryPickPromptsAgain) {
    pick(START);
    answer("x(0 - 35) = ", "abc\n");
    answer("y(0 -25) = ", "12\n");
    EXPECT_NE(program.output().find("not a number, keeping -1.000000\n"), std::string::npos);
    // From (-1, 12) the ray hits at (5, 24): the segment passes (2, 18), pixel (32, 288).
    EXPECT_TRUE(waitForFrame([&](const xs::Image& f) { return pixel(f, 32, 288) == YELLOW; }));

    // The second pick prompts too; a start inside the box shows the inside message.
    pick(START);
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
