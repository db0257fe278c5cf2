// Driving the built program on a virtual display through XTest and its standard streams.
#include "program_session.h"

#include <algorithm>

namespace harness {

using namespace std::chrono_literals;

int occurrences(const std::string& output, const std::string& text) {
    int n = 0;
    for (auto at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) {
        ++n;
    }
    return n;
}

void ProgramSession::SetUp() {
    ASSERT_TRUE(client.findWindow("ray-box collision", window, 20s)) << program.errors();
    // The first frame is up once the box's top edge is drawn.
    ASSERT_TRUE(xs::waitUntil([&] { return topEdge() == 80; }, 20s));
    // Keys go to the window under the pointer.
    pointAt(400, 300);
}

void ProgramSession::TearDown() {
    EXPECT_TRUE(program.running());
    EXPECT_EQ(program.errors(), "");
}

void ProgramSession::pointAt(int dx, int dy) {
    window = client.describe(window.id);
    client.movePointer(window.x + std::min(dx, window.width - 1),
                       window.y + std::min(dy, window.height - 1));
}

int ProgramSession::topEdge() {
    const xs::Image frame = client.capture(window.id);
    for (int y = 60; y < std::min(200, frame.height); ++y) {
        if (frame.at(160, y) != 0) {
            return y;
        }
    }
    return -1;
}

bool ProgramSession::waitForFrame(const std::function<bool(const xs::Image&)>& condition) {
    return xs::waitUntil([&] { return condition(client.capture(window.id)); }, 20s);
}

std::uint32_t ProgramSession::pixel(const xs::Image& frame, int x, int y) {
    return frame.at(x, frame.height - 1 - y);
}

void ProgramSession::pick(int entry) {
    pointAt(400, 100);
    client.button(3, true);
    xs::WindowInfo menu;
    ASSERT_TRUE(client.findPopup(menu, true, 10s));
    client.button(3, false);
    // freeglut picks an entry once the pointer has moved over it.
    const int y = menu.y + menu.height * (2 * entry + 1) / (2 * MENU_ENTRIES);
    client.movePointer(menu.x + 20, y - 2);
    client.movePointer(menu.x + 21, y);
    client.button(1, true);
    client.button(1, false);
    ASSERT_TRUE(client.findPopup(menu, false, 10s));
    pointAt(400, 300);
}

void ProgramSession::answer(const std::string& prompt, int count, const std::string& text) {
    ASSERT_TRUE(xs::waitUntil([&] { return occurrences(program.output(), prompt) >= count; }, 10s))
        << "no prompt \"" << prompt << "\" (" << count << ") in:\n"
        << program.output();
    program.writeInput(text);
}

} // namespace harness
