// Real windows, on a virtual display that xvfb-run gives each test: the viewer run in this
// process, driven through XTest as a person would.
#include "files/output_file.h"
#include "tests/window_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <png.h>
extern "C" {
#include <xdo.h>
}

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wordexp.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace {

// What the viewer asked of GLUT: redraws, and the idle callback it registered last.
int redisplays = 0;
int swaps = 0;
void (*idleCallback)() = nullptr;

} // namespace

// The viewer's calls of these GLUT functions pass through here on their way.
extern "C" void glutPostRedisplay() {
    ++redisplays;
    reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutPostRedisplay"))();
}
extern "C" void glutSwapBuffers() {
    ++swaps;
    reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"))();
}
extern "C" void glutIdleFunc(void (*callback)()) {
    idleCallback = callback;
    reinterpret_cast<void (*)(void (*)())>(dlsym(RTLD_NEXT, "glutIdleFunc"))(callback);
}

namespace {

// Options, window width and height, and a text with its place and colour.
const std::tuple<const char*, int, int, int, int, const char*, std::uint32_t> TEXTS[] = {
    {"", 640, 480, 34, 34, HIT, RED},
    {"", 640, 480, 213, 457, "ray start = -1.000000 0.500000 0.000000", RED},
    {"", 640, 480, 213, 427, "ray dir = 0.500000 1.000000 0.000000", RED},
    {"--dir -0.5 1", 640, 480, 34, 34, "No Intersection", YELLOW},
    {"--start 10 20", 640, 480, 400, 34, "start point is inside box.", YELLOW},
    {"--box 15 10 5 25 --start 0 12 --dir 1 0", 640, 480, 34, 34,
     "Collision at { X = 15.000000; Y = 12.000000; Z = 0.000000 }", RED},
    // Narrower than the status line needs at a third of the width: kept within the window.
    {"", 480, 640, 125, 609, "ray start = -1.000000 0.500000 0.000000", RED},
    // Short: the teaching view's steps must stop above the about line.
    {"--about", 640, 200, 34, 54, "ray-box collision demo by Kestrin", GREEN},
};

TEST(Frame, Scenes) {
    openViewer();
    EXPECT_EQ(idleCallback, onIdle) << "registered at start-up";
    // Each frame plain, and with the teaching view over it: the frame's own texts the same.
    for (const auto& [plain, width, height, x, y, text, colour] : TEXTS) {
        for (const std::string& options : {std::string(plain), plain + std::string(" --explain")}) {
            SCOPED_TRACE(options + " " + std::to_string(width) + " " + text);
            resize(width, height);
            const int before = redisplays;
            const Frame f = frameOf(options);
            EXPECT_TRUE(hasText(f, x, y, text, colour));
            EXPECT_EQ(f.count(GREEN, 0, 50, width, 66) == 0, desktop.state.aboutShown == 0)
                << "about line";
            EXPECT_EQ(f.count(STEPS, 0, 0, width, 72), 0) << "the steps stay clear of the texts";
            EXPECT_EQ(f.count(YELLOW, 0, 60, 80, height) > 0, desktop.state.lastResult == RAY_HIT)
                << "segment";
            // A miss asks for the next frame and the idle reset; the others ask for nothing.
            EXPECT_EQ(redisplays > before, desktop.state.lastResult == RAY_MISS);
            EXPECT_EQ(idleCallback == onMissIdle, desktop.state.lastResult == RAY_MISS);
            if (options.empty()) {
                // The shorter side shows 30 units, 16 px a unit either way: box (5, 10)-(15, 25)
                // with red, green, blue and yellow corners from the bottom left.
                EXPECT_EQ(pure(f.at(83, 163)), RED);
                EXPECT_EQ(pure(f.at(237, 163)), GREEN);
                EXPECT_EQ(pure(f.at(237, 397)), BLUE);
                EXPECT_EQ(pure(f.at(83, 397)), YELLOW);
                // From (-1, 0.5) to (5, 12.5): scene y 6.5 (row 104) is crossed at x 2 (pixel
                // 32) by one unblended run of lineWidth pixels, and nothing is past the hit.
                EXPECT_EQ(f.count(YELLOW, 0, 104, 80, 105), desktop.state.lineWidth);
                EXPECT_EQ(f.at(32, 104), YELLOW);
                EXPECT_EQ(f.count(YELLOW, 0, 215, 80, 480), 0);
            }
        }
    }
    // Boxes far larger than the view still cover it: no pixel between the texts is black.
    resize(640, 480);
    for (const char* huge : {"--box -1e12 -1e12 1e12 1e12 --start -1e12 -1e12",
                             "--start 3.4e38 3.4e38 --dir -1 -1 --box -3.4e38 -3.4e38 3.4e38 "
                             "3.3e38"}) {
        EXPECT_EQ(frameOf(huge).count(0, 0, 60, 640, 400), 0) << huge;
    }

    // A miss pass runs 56 times, up to 15; the ray then hits before the idle reset.
    frameOf("--dir -0.5 1");
    EXPECT_EQ(desktop.state.sweepParam, 15.0f);
    desktop.state.scene.rayDir[0] = 0.5f;
    drawFrame();
    EXPECT_EQ(desktop.state.lastResult, RAY_HIT);
    onIdle();
    EXPECT_EQ(idleCallback, nullptr);
    // Overlong text is cut: 199 characters fit beside the terminator, 9 px each.
    drawText(0, 50, "%s", std::string(300, 'M').c_str());
    GLfloat raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_EQ(raster[0], 199.0f * 9);
}

// The teaching view: a scene, the plane selected, and a pixel or a text expected there.
const std::tuple<const char*, int, int, int, const char*, std::uint32_t> TEACHING[] = {
    // Over the number line of t the picture is 330 px high, 11 px a unit from y = 150 up.
    {"", PLANE_NONE, 55, 440, "", WHITE}, // the entry plane x = 5, across the view
    {"", PLANE_NONE, 59, 291, "", WHITE}, // the entry point, standing out
    {"", PLANE_NONE, 59, 154, "x = 5, t = 12", WHITE},
    {"", PLANE_NONE, 177, 409, "x: start -1 is below minX 5:", STEPS},
    {"--start 3 6 --dir 1 0", PLANE_NONE, 36, 216, "", CYAN},  // the start dot
    {"--start 3 6 --dir 1 0", PLANE_NONE, 75, 216, "", CYAN},  // the arrow head
    {"--start 3 6 --dir 1 0", PLANE_NONE, 57, 218, "", CYAN},  // its crossing of x = 5
    {"--start 3 6 --dir 1 0", PLANE_TOP, 110, 425, "", WHITE}, // the selected plane
    // Over the box, a label on its black plate: below its first letter's baseline, black.
    {"--box 0 0 40 30 --start -1 12 --dir 1 0", PLANE_NONE, 4, 154, "x = 0, t = 1", WHITE},
    {"--box 0 0 40 30 --start -1 12 --dir 1 0", PLANE_NONE, 5, 151, "", 0},
};

TEST(Frame, TeachingView) {
    openViewer();
    for (const auto& [options, plane, x, y, text, colour] : TEACHING) {
        SCOPED_TRACE(std::string(options) + " " + std::to_string(x) + " " + text);
        desktop.state.selectedPlane = plane;
        const Frame f = frameOf(options + std::string(" --explain"));
        if (text[0] == '\0') {
            EXPECT_EQ(f.at(x, y), colour);
        } else {
            EXPECT_TRUE(hasText(f, x, y, text, colour));
        }
    }
    // The hit segment passes under the teaching view's texts, never over them.
    desktop.state.selectedPlane = PLANE_NONE;
    for (const char* crossed : {"--method slab --start 30 -30 --dir -1 1 --box -1 -1 1 1 --frame",
                                "--start -5 -20 --dir 0.5 1"}) {
        const Frame f = frameOf(crossed + std::string(" --explain"));
        int under = 0;
        for (const TextItem& text :
             layoutFrame(desktop.state, testScene(desktop.state.scene)).teachingTexts) {
            const PixelBox& b = text.box;
            under += f.count(YELLOW, static_cast<int>(b.x0), static_cast<int>(b.y0),
                             static_cast<int>(b.x1), static_cast<int>(b.y1));
        }
        EXPECT_EQ(under, 0) << crossed;
    }
}

// What the window shows, as the X server holds it, bottom row first as GL counts.
Frame shown(Window window) {
    XImage* image = XGetImage(xdo->xdpy, window, 0, 0, desktop.state.windowWidth,
                              desktop.state.windowHeight, AllPlanes, ZPixmap);
    Frame frame{desktop.state.windowWidth, {}};
    for (int y = desktop.state.windowHeight - 1; y >= 0; --y) {
        for (int x = 0; x < desktop.state.windowWidth; ++x) {
            const unsigned long pixel = image->f.get_pixel(image, x, y);
            frame.rgb.insert(frame.rgb.end(), {static_cast<unsigned char>(pixel >> 16),
                                               static_cast<unsigned char>(pixel >> 8),
                                               static_cast<unsigned char>(pixel)});
        }
    }
    image->f.destroy_image(image);
    return frame;
}

// After every resize, the window shows the frame for its new size, the status line in place.
TEST(Frame, ResizesShowTheNewSize) {
    const Window window = openViewer();
    for (int round = 0; round < 4; ++round) {
        for (const auto& [width, height] : {std::pair{400, 300}, {600, 460}, {640, 480}}) {
            const int before = swaps;
            resize(width, height);
            EXPECT_TRUE(pumpUntil([before = before] { return swaps > before; }));
            glFinish();
            const int x = std::min(width / 3, width - 4 - 39 * 9);
            EXPECT_TRUE(hasText(shown(window), x, static_cast<int>(height * 20.0 / 21),
                                "ray start = -1.000000 0.500000 0.000000", RED))
                << width << "x" << height << " in round " << round;
        }
    }
}

// Presses a button at one place, drags to another over two motions, and lets go.
void drag(Window window, int number, int x0, int y0, int x1, int y1) {
    pointTo(window, x0, y0);
    button(number, true);
    // The second motion measures from where the first left off.
    for (const auto& [x, y] : {std::pair{(x0 + x1) / 2, (y0 + y1) / 2}, {x1, y1}}) {
        pointTo(window, x, y);
        EXPECT_TRUE(pumpUntil([x = x, y = y] {
            return desktop.state.lastMouseX == x && desktop.state.lastMouseY == y;
        }));
    }
    button(number, false);
}

TEST(Input, KeysDragsAndMenu) {
    const Window window = openViewer();
    // GLUT hands keys and drags with either button over: what they do is tested without a
    // window.
    const std::tuple<const char*, int, int, int, int, int, std::array<float, 4>> drags[] = {
        {"w", 1, 300, 300, 300, 275, {5, 10, 15, 26}},
        {"a", 2, 100, 200, 150, 200, {7, 10, 15, 26}},
    };
    for (const auto& [keys, number, x0, y0, x1, y1, box] : drags) {
        type(window, keys);
        const int before = redisplays;
        drag(window, number, x0, y0, x1, y1);
        EXPECT_EQ((std::array{desktop.state.scene.boxPlanes[0], desktop.state.scene.boxPlanes[1],
                              desktop.state.scene.boxPlanes[3], desktop.state.scene.boxPlanes[4]}),
                  box)
            << keys;
        EXPECT_EQ(redisplays, before + 2) << keys;
    }
    // In the teaching view, the wheel zooms: GLUT's buttons 4 and 5 are its steps.
    desktop.state.teachingView = true;
    const double units = currentView(desktop.state).units;
    pointTo(window, 320, 240);
    button(5, true);
    button(5, false);
    EXPECT_TRUE(pumpUntil([&] { return currentView(desktop.state).units == units * 1.25; }));
    desktop.state.teachingView = false;

    // Each entry in its place; the two dialogues read standard input.
    answer("1 2\n3 4\n");
    testing::internal::CaptureStdout();
    const std::pair<int, std::function<bool()>> picks[] = {
        {0, [] { return desktop.state.selectedPlane == PLANE_TOP; }},
        {5, [] { return desktop.state.scene.rayStart[0] == 1.0f; }},
        {6, [] { return desktop.state.scene.rayDir[0] == 0.6f; }},
        {8, [] { return desktop.state.aboutShown == 1; }},
        {9, [] { return true; }},
        {10, [] { return desktop.state.method.kind == METHOD_SLAB; }},
        // Closed by a click outside, it picks nothing; the window is drawn again under it.
        {-1, [] { return desktop.state.aboutShown == 1; }},
    };
    for (const auto& [entry, done] : picks) {
        const int before = redisplays;
        pick(window, entry);
        EXPECT_TRUE(done()) << "entry " << entry;
        EXPECT_GT(redisplays, before) << "every entry asks for a redraw";
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("coords are 0.600000 0.800000\nsee menu"), std::string::npos) << out;
}

// Twenty thousand random calls among frames: keys, drags, menu picks answered with good and
// bad words, resizes down to one pixel, extreme scenes with and without the teaching view.
// It ends, writes nothing to standard error, and gives GL no error and no NaN.
TEST(Soak, RandomEventsLeaveItQuiet) {
    openViewer();
    std::mt19937 rng(20261207);
    // Words from number characters: numbers, and words that only look like them.
    std::string answers(100000, ' ');
    std::generate(answers.begin(), answers.end(), [&] { return "0123456789.-e n\n"[rng() % 16]; });
    answer(answers);
    ASSERT_NE(std::freopen("/dev/null", "w", stdout), nullptr);
    testing::internal::CaptureStderr();
    int glErrors = 0;
    for (int event = 0; event < 20000; ++event) {
        const char key = "wdashWDmprnf x"[rng() % 14];
        const int x = static_cast<int>(rng() % 640);
        const int y = static_cast<int>(rng() % 480);
        const unsigned int kind = rng() % 10;
        if (kind == 0) {
            resize(x % 3 == 0 ? 1 : x, y % 3 == 0 ? 1 : y);
        } else if (kind < 3) {
            onIdle();
            onDisplay();
            glErrors += glGetError() != GL_NO_ERROR ? 1 : 0;
        } else if (kind == 3) {
            onMenu(key);
        } else if (kind < 6) {
            onKeyboard(static_cast<unsigned char>(key), x, y);
        } else if (kind == 6) {
            // Extreme scenes, with and without the teaching view.
            const float extremes[] = {0, 1e-45f, -1e-45f, 3e38f, -3e38f, 5, 15, 12};
            Scene& scene = desktop.state.scene;
            float* const values[] = {&scene.rayStart[0],  &scene.rayStart[1],  &scene.rayDir[0],
                                     &scene.rayDir[1],    &scene.boxPlanes[0], &scene.boxPlanes[1],
                                     &scene.boxPlanes[3], &scene.boxPlanes[4]};
            *values[rng() % 8] = extremes[rng() % 8];
            desktop.state.teachingView = rng() % 2 == 0;
        } else {
            onMouse(x % 3, y % 2, x, y);
            onMotion(y, x);
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(glErrors, 0);
}

} // namespace
