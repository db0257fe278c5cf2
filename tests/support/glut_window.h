// Runs the viewer in the test process: a real GLUT window on a private virtual display,
// frames drawn on demand and read back from the GL.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// Pixels read from the GL, origin at the bottom-left corner like GL window coordinates.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB

    std::uint32_t at(int x, int y) const;
    // Number of pixels of this colour in [x0, x1) x [y0, y1), clipped to the frame.
    int count(std::uint32_t colour, int x0, int y0, int x1, int y1) const;
};

constexpr std::uint32_t RED = 0xff0000;
constexpr std::uint32_t GREEN = 0x00ff00;
constexpr std::uint32_t YELLOW = 0xffff00;

// Opens the viewer's window once per process and puts the scene back to its start-up
// state. Pumps events until the window has been drawn.
void openViewer();
void resetScene();

// Resizes the window and waits until the reshape callback has seen the new size.
void resizeWindow(int width, int height);

// Draws one frame as the event loop would after an idle call, and reads it back.
Frame drawFrame();

// Reads what has been drawn into the back buffer since the last swap.
Frame readBackBuffer();

// Number of frames GLUT draws by itself while its pending events are processed: more
// than zero exactly when a redraw was requested.
int pendingRedraws();

// Where the text would have to be if drawn at (x, y): a raw bitmap-font rendering of it,
// independent of the viewer's overlay code. True where a glyph pixel is.
std::vector<bool> referenceText(int x, int y, const std::string& text);

// Checks that the frame holds exactly this text in this colour at (x, y): every glyph pixel
// in the colour and no other pixel of the colour within the text's cells.
::testing::AssertionResult hasText(const Frame& frame, int x, int y, const std::string& text,
                                   std::uint32_t colour);

} // namespace harness
