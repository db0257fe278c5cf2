// The built program on its own virtual display, with helpers to drive it as a person would.
#pragma once

#include "xsession.h"

#include <gtest/gtest.h>

#include <string>

namespace harness {

// Menu entries, top to bottom.
enum MenuEntry {
    MENU_TOP = 0,
    MENU_BOTTOM = 1,
    MENU_LEFT = 2,
    MENU_RIGHT = 3,
    MENU_START = 5,
    MENU_DIRECTION = 6,
    MENU_ABOUT = 8,
    MENU_HELP = 9,
    MENU_ENTRIES = 10
};

// How often text occurs in output.
int occurrences(const std::string& output, const std::string& text);

class ProgramSession : public ::testing::Test {
  protected:
    xs::VirtualDisplay display;
    xs::ChildProcess program{{RAYBOX_PROGRAM}, display.name()};
    xs::XClient client{display.name()};
    xs::WindowInfo window;

    // Waits for the window and its first frame, and puts the pointer over the window.
    void SetUp() override;
    // The program must still run and have written nothing to its standard error.
    void TearDown() override;

    // A point inside the window, (dx, dy) from its top-left corner, clipped to its size.
    void pointAt(int dx, int dy);
    // Row of the box's top edge, from the window's top, down the box's middle column.
    int topEdge();
    // Waits until a frame satisfies the condition.
    bool waitForFrame(const std::function<bool(const xs::Image&)>& condition);
    // Window pixel at (x, y), y counted up from the bottom edge like the scene.
    static std::uint32_t pixel(const xs::Image& frame, int x, int y);
    // Opens the menu with a right click, moves over the entry and clicks it.
    void pick(int entry);
    // Waits until the prompt has been written `count` times, then types the answer.
    void answer(const std::string& prompt, int count, const std::string& text);
};

} // namespace harness
