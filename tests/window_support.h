// What the window tests share: frames read back or decoded, windows found and driven
// through XTest, the viewer opened in this process, the built program run beside it.
#pragma once

#define GL_GLEXT_PROTOTYPES // glWindowPos2i
#include "app/options.h"
#include "app/scene.h"
#include "desktop/viewer.h"
#include "tests/support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <png.h>
extern "C" {
#include <xdo.h>
}

#include <sys/wait.h>
#include <unistd.h>
#include <wordexp.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

inline constexpr std::uint32_t RED = 0xff0000;
inline constexpr std::uint32_t GREEN = 0x00ff00;
inline constexpr std::uint32_t BLUE = 0x0000ff;
inline constexpr std::uint32_t YELLOW = 0xffff00;
inline constexpr std::uint32_t WHITE = 0xffffff;
inline constexpr std::uint32_t CYAN = 0x00ffff;
inline constexpr std::uint32_t STEPS = 0xb2e6ff;

// 8-bit RGB rows from the bottom row up, as GL counts them.
struct Frame {
    int width = 0;
    std::vector<unsigned char> rgb;

    [[nodiscard]] std::uint32_t at(int x, int y) const {
        const unsigned char* p = &rgb[3 * static_cast<std::size_t>(y * width + x)];
        return static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
    }
    // Pixels of this colour in [x0, x1) x [y0, y1).
    [[nodiscard]] int count(std::uint32_t colour, int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int i = 0; i < (x1 - x0) * (y1 - y0); ++i) {
            n += at(x0 + i % (x1 - x0), y0 + i / (x1 - x0)) == colour ? 1 : 0;
        }
        return n;
    }
};

inline Frame readBackBuffer() {
    Frame frame{
        desktop.state.windowWidth,
        std::vector<unsigned char>(3 * desktop.state.windowWidth * desktop.state.windowHeight)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, desktop.state.windowWidth, desktop.state.windowHeight, GL_RGB,
                 GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

// Decodes a PNG held in memory; an empty frame, which no check passes, if it is none.
inline Frame readPng(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    Frame frame{static_cast<int>(image.width), std::vector<unsigned char>(PNG_IMAGE_SIZE(image))};
    // A negative stride puts the bottom row first.
    if (png_image_finish_read(&image, nullptr, frame.rgb.data(), -3 * frame.width, nullptr) == 0) {
        return {};
    }
    return frame;
}

// A window that closes while it is being looked at is no error worth dying for.
inline xdo_t* const xdo =
    (XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }), xdo_new(nullptr));

// Handles the in-process window's events until the condition holds; false after 10 s.
inline bool pumpUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        if (glutGet(GLUT_INIT_STATE) != 0) {
            glutMainLoopEvent();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

// Waits for a (visible) window whose title matches, or with shown false, for none to be left.
inline Window findWindow(const char* pattern, bool shown = true, bool visible = true) {
    xdo_search_t search{};
    search.winname = pattern;
    search.searchmask = SEARCH_NAME | (visible ? SEARCH_ONLYVISIBLE : 0);
    search.max_depth = -1;
    Window found = 0;
    EXPECT_TRUE(pumpUntil([&] {
        Window* windows = nullptr;
        unsigned int n = 0;
        xdo_search_windows(xdo, &search, &windows, &n);
        found = n > 0 ? windows[0] : 0;
        std::free(windows);
        return (found != 0) == shown;
    })) << pattern;
    return found;
}

// Pointer and keys through XTest; positions are pixels from the window's top-left corner.
// Keys go to the window under the pointer: there is no window manager to give focus.
inline void pointTo(Window window, int x, int y) {
    if (window != 0) { // a window that never came has failed its test already
        xdo_move_mouse_relative_to_window(xdo, window, x, y);
    }
}
inline void button(int number, bool down) {
    (down ? xdo_mouse_down : xdo_mouse_up)(xdo, CURRENTWINDOW, number);
}
inline void type(Window window, const char* keys) {
    pointTo(window, 320, 240);
    xdo_enter_text_window(xdo, CURRENTWINDOW, keys, 1000);
}

// Opens the right-button menu over the window and picks an entry, counted from 0; -1 clicks
// just left of the menu instead.
inline void pick(Window window, int entry) {
    pointTo(window, 100, 100);
    button(3, true);
    const Window menu = findWindow("^freeglut menu$");
    button(3, false);
    unsigned int size[2] = {};
    xdo_get_window_size(xdo, menu, &size[0], &size[1]);
    // Entries of equal height; freeglut highlights one once the pointer moves over it. Left
    // of where the menu opened, the window is outside the menu, wherever it fits the screen.
    const int middle =
        static_cast<int>(size[1]) * (2 * entry + 1) / static_cast<int>(2 * std::size(MENU_ENTRIES));
    pointTo(entry < 0 ? window : menu, entry < 0 ? 50 : 20, entry < 0 ? 100 : middle - 2);
    pointTo(entry < 0 ? window : menu, entry < 0 ? 51 : 21, entry < 0 ? 100 : middle);
    button(1, true);
    button(1, false);
    findWindow("^freeglut menu$", false);
}

// The folder all of this test process's files go in, removed when the process ends.
inline const fs::path& scratchRoot() {
    static const Scratch root("window-test-");
    return root.path;
}

// A scratch folder of this test's own.
inline fs::path scratch(const char* name) {
    const fs::path dir = scratchRoot() / name;
    fs::create_directories(dir);
    return dir;
}

// Standard input reads this text from here on.
inline void answer(const std::string& text) {
    const std::string path = scratch("answers") / "text";
    std::ofstream(path) << text;
    ASSERT_NE(std::freopen(path.c_str(), "r", stdin), nullptr);
}

// Opens the viewer's window in this process; its first frame finds the start-up ray's hit.
inline Window openViewer() {
    char name[] = "window-test";
    char* argv[] = {name, nullptr};
    int argc = 1;
    startViewer(&argc, argv);
    const Window window = findWindow("^ray-box collision$");
    EXPECT_TRUE(pumpUntil([] { return desktop.state.lastResult == RAY_HIT; }));
    return window;
}

// Resizes the in-process window and waits until the reshape callback has seen it.
inline void resize(int width, int height) {
    glutReshapeWindow(width, height);
    EXPECT_TRUE(pumpUntil([&] {
        return desktop.state.windowWidth == width && desktop.state.windowHeight == height;
    }));
}

// The next frame after an idle call, on the start-up scene with these options applied.
inline Frame frameOf(const std::string& options) {
    wordexp_t words{};
    wordexp(("window-test " + options).c_str(), &words, 0);
    const Options parsed = parseOptions(static_cast<int>(words.we_wordc), words.we_wordv);
    wordfree(&words);
    EXPECT_EQ(parsed.error, "");
    createBox(desktop.state.scene);
    resetRay(desktop.state.scene);
    desktop.state.aboutShown = 0;
    applyOptions(parsed, desktop.state);
    desktop.state.teachingView = parsed.explain;
    onIdle();
    drawFrame();
    return readBackBuffer();
}

// Whether the frame, of the window's size, holds exactly this text in this colour at (x, y),
// pixel for pixel as the bitmap font draws it there.
inline ::testing::AssertionResult hasText(const Frame& frame, int x, int y, const std::string& text,
                                          std::uint32_t colour) {
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glWindowPos2i(x, y);
    glutBitmapString(GLUT_BITMAP_9_BY_15, reinterpret_cast<const unsigned char*>(text.c_str()));
    const Frame reference = readBackBuffer();
    // A character's cell is 9 px wide and reaches 4 px below the baseline, 11 above it.
    const int right = std::min(x + 9 * static_cast<int>(text.size()), frame.width);
    const int rows = frame.width > 0 ? static_cast<int>(frame.rgb.size()) / 3 / frame.width : 0;
    if (frame.width != desktop.state.windowWidth || rows != desktop.state.windowHeight || x < 0 ||
        right <= x || y < 4 || y + 12 > rows) {
        return ::testing::AssertionFailure()
               << text << ": no picture of " << desktop.state.windowWidth << " x "
               << desktop.state.windowHeight << " there";
    }
    for (int py = y - 4; py < y + 12; ++py) {
        for (int px = x; px < right; ++px) {
            if ((reference.at(px, py) == 0xffffff) != (frame.at(px, py) == colour)) {
                return ::testing::AssertionFailure() << text << " at " << px << ", " << py;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

inline const char* const HIT = "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }";

// Each channel rounded to 0 or 255: the box's corner colours blend inwards.
inline std::uint32_t pure(std::uint32_t pixel) {
    return (pixel >> 7 & 0x010101) * 0xff;
}

// Descriptor 9, which the programs run by the tests inherit: a pipe nobody reads.
inline const int GONE = [] {
    int ends[2] = {-1, -1};
    return pipe(ends) == 0 && close(ends[0]) == 0 ? dup2(ends[1], 9) : -1;
}();

// What the built program did: its exit status, and what it wrote to each stream.
using Outcome = std::tuple<int, std::string, std::string>;

// Runs the built program through the shell, so options may carry redirections; with the
// display, or with DISPLAY unset; the program built here, or a copy of it.
inline Outcome run(const std::string& options, bool display = true,
                   const std::string& program = RAYBOX_PROGRAM) {
    const std::string err = scratch("stderr-") / "err";
    const std::string command =
        (display ? "" : "env -u DISPLAY ") + program + " " + options + " </dev/null 2>" + err;
    std::FILE* child = popen(command.c_str(), "r");
    std::string out;
    for (int c = std::fgetc(child); c != EOF; c = std::fgetc(child)) {
        out.push_back(static_cast<char>(c));
    }
    const int status = pclose(child);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, slurp(err)};
}
