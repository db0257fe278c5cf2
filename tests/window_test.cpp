// Real windows, on a virtual display that xvfb-run gives each test: the viewer run in this
// process and the built program beside it, driven through XTest as a person would.
#define GL_GLEXT_PROTOTYPES // glWindowPos2i
#include "app/options.h"
#include "app/scene.h"
#include "desktop/viewer.h"
#include "files/output_file.h"
#include "tests/support.h"

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

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::uint32_t RED = 0xff0000;
constexpr std::uint32_t GREEN = 0x00ff00;
constexpr std::uint32_t BLUE = 0x0000ff;
constexpr std::uint32_t YELLOW = 0xffff00;
constexpr std::uint32_t WHITE = 0xffffff;
constexpr std::uint32_t CYAN = 0x00ffff;
constexpr std::uint32_t STEPS = 0xb2e6ff;

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

Frame readBackBuffer() {
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
Frame readPng(const std::string& bytes) {
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

// Descriptor 9, which the programs run by the tests inherit: a pipe nobody reads.
const int GONE = [] {
    int ends[2] = {-1, -1};
    return pipe(ends) == 0 && close(ends[0]) == 0 ? dup2(ends[1], 9) : -1;
}();

// A window that closes while it is being looked at is no error worth dying for.
xdo_t* const xdo = (XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }), xdo_new(nullptr));

// Handles the in-process window's events until the condition holds; false after 10 s.
bool pumpUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        if (glutGet(GLUT_INIT_STATE) != 0) {
            glutMainLoopEvent();
        }
        std::this_thread::sleep_for(1ms);
    }
    return condition();
}

// Waits for a (visible) window whose title matches, or with shown false, for none to be left.
Window findWindow(const char* pattern, bool shown = true, bool visible = true) {
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
void pointTo(Window window, int x, int y) {
    if (window != 0) { // a window that never came has failed its test already
        xdo_move_mouse_relative_to_window(xdo, window, x, y);
    }
}
void button(int number, bool down) {
    (down ? xdo_mouse_down : xdo_mouse_up)(xdo, CURRENTWINDOW, number);
}
void type(Window window, const char* keys) {
    pointTo(window, 320, 240);
    xdo_enter_text_window(xdo, CURRENTWINDOW, keys, 1000);
}

// Opens the right-button menu over the window and picks an entry, counted from 0; -1 clicks
// just above the menu instead.
void pick(Window window, int entry) {
    pointTo(window, 100, 100);
    button(3, true);
    const Window menu = findWindow("^freeglut menu$");
    button(3, false);
    unsigned int size[2] = {};
    xdo_get_window_size(xdo, menu, &size[0], &size[1]);
    // Entries of equal height; freeglut highlights one once the pointer moves over it.
    const int middle =
        static_cast<int>(size[1]) * (2 * entry + 1) / static_cast<int>(2 * std::size(MENU_ENTRIES));
    pointTo(menu, 20, middle - 2);
    pointTo(menu, 21, middle);
    button(1, true);
    button(1, false);
    findWindow("^freeglut menu$", false);
}

// The folder all of this test process's files go in, removed when the process ends.
const fs::path& scratchRoot() {
    static const Scratch root("window-test-");
    return root.path;
}

// A scratch folder of this test's own.
fs::path scratch(const char* name) {
    const fs::path dir = scratchRoot() / name;
    fs::create_directories(dir);
    return dir;
}

// Standard input reads this text from here on.
void answer(const std::string& text) {
    const std::string path = scratch("answers") / "text";
    std::ofstream(path) << text;
    ASSERT_NE(std::freopen(path.c_str(), "r", stdin), nullptr);
}

// Opens the viewer's window in this process; its first frame finds the start-up ray's hit.
Window openViewer() {
    char name[] = "window-test";
    char* argv[] = {name, nullptr};
    int argc = 1;
    startViewer(&argc, argv);
    const Window window = findWindow("^ray-box collision$");
    EXPECT_TRUE(pumpUntil([] { return desktop.state.lastResult == RAY_HIT; }));
    return window;
}

// Resizes the in-process window and waits until the reshape callback has seen it.
void resize(int width, int height) {
    glutReshapeWindow(width, height);
    EXPECT_TRUE(pumpUntil([&] {
        return desktop.state.windowWidth == width && desktop.state.windowHeight == height;
    }));
}

// The next frame after an idle call, on the start-up scene with these options applied.
Frame frameOf(const std::string& options) {
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
::testing::AssertionResult hasText(const Frame& frame, int x, int y, const std::string& text,
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

const char* const HIT = "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }";

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

// Each channel rounded to 0 or 255: the box's corner colours blend inwards.
std::uint32_t pure(std::uint32_t pixel) {
    return (pixel >> 7 & 0x010101) * 0xff;
}

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
            if (plain[0] == '\0') {
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
    {"", PLANE_NONE, 80, 440, "", WHITE}, // the entry plane x = 5, across the view
    {"", PLANE_NONE, 84, 204, "", WHITE}, // the entry point, standing out
    {"", PLANE_NONE, 84, 72, "x = 5, t = 12", WHITE},
    {"", PLANE_NONE, 252, 409, "x: start -1 is below minX 5:", STEPS},
    {"--start 3 6 --dir 1 0", PLANE_NONE, 52, 96, "", CYAN},   // the start dot
    {"--start 3 6 --dir 1 0", PLANE_NONE, 90, 96, "", CYAN},   // the arrow head
    {"--start 3 6 --dir 1 0", PLANE_NONE, 84, 99, "", CYAN},   // its crossing of x = 5
    {"--start 3 6 --dir 1 0", PLANE_TOP, 160, 401, "", WHITE}, // the selected plane
    // Over the box, a label on its black plate: below its first letter's baseline, black.
    {"--box 0 0 40 30 --start -1 12 --dir 1 0", PLANE_NONE, 4, 72, "x = 0, t = 1", WHITE},
    {"--box 0 0 40 30 --start -1 12 --dir 1 0", PLANE_NONE, 5, 69, "", 0},
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

// What the built program did: its exit status, and what it wrote to each stream.
using Outcome = std::tuple<int, std::string, std::string>;

// Runs the built program through the shell, so options may carry redirections; with the
// display, or with DISPLAY unset; the program built here, or a copy of it.
Outcome run(const std::string& options, bool display = true,
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

const std::string TRY = "\nTry 'ray-box-collision --help'.\n";
// The program names scripts/run.sh only where it sits in a build tree beside the scripts.
const fs::path BUILT = fs::path(RAYBOX_PROGRAM).parent_path();
const std::string NO_SCREEN =
    std::string("ray-box-collision: without a screen, 'xvfb-run -a ray-box-collision --snapshot "
                "FILE.png'") +
    (fs::exists(BUILT / "CMakeCache.txt") &&
             access((BUILT / "../scripts/run.sh").c_str(), X_OK) == 0
         ? " or scripts/run.sh"
         : "") +
    " draws a picture\n";

TEST(Program, CommandLine) {
    const fs::path dir = scratch("devices-");
    // A device like /dev/full of the test's own: every write fails for want of space.
    ASSERT_EQ(mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const std::string full = " >" + (dir / "full").string();
    // Each without a display: a program that needed one would fail otherwise.
    const std::pair<std::string, std::string> refusals[] = {
        {"--start 1", "option '--start' needs 2 numbers"},
        {"--dir 1 x", "option '--dir': 'x' is not a decimal number"},
        {"--start 1 -1e-50", "option '--start': '-1e-50' is out of a float's range"},
        {"--snapshot --explain", "option '--snapshot' needs a file name, not the option "
                                 "'--explain' (for a file of that name, write './--explain')"},
        {"--bogus", "unknown option '--bogus'"},
        {"--about --start 1 2 --about", "option '--about' given twice"},
        {"--snapshot", "option '--snapshot' needs a file name"},
        {"--print --snapshot x.png", "option '--snapshot' cannot go with '--print'"},
        {"--print --about",
         "option '--about' cannot go with '--print': there is no window to show its line in"},
        {"--print -geometry 1x1", "option '-geometry' cannot go with '--print'"},
        {"--step 3", "option '--step' needs '--explain' and a window"},
        {"--explain --frame --step 1.5",
         "option '--step' needs a step number from 1 to 99, not '1.5'"},
        {"-geometry 0x10", "option '-geometry': '0x10' is not a geometry such as 640x480, +10+20 "
                           "or 640x480-0+0"},
        {"--method slabs", "option '--method' needs a method (candidate, exact, slab or a slab "
                           "variant that --methods lists, or both), not 'slabs'"},
        {"--print --expect slab", "options '--columns', '--inside-as', '--ulps' and '--expect' "
                                  "need '--compare'"},
        {"--rays --jobs", "option '--rays' needs a file name, not the option '--jobs' (for a "
                          "file of that name, write './--jobs')"},
        {"--rays - --compare a --method slab",
         "option '--rays' cannot go with '--compare' and '--method'"},
        {"--rays - --compare a --inside-as maybe",
         "option '--inside-as' needs hit, miss or inside, not 'maybe'"},
        {"--compare a", "option '--compare' needs '--rays'"},
        {"--rays a --line 2", "option '--rays' cannot go with '--line' without '--print'"},
        {"--ray '1 2 3'", "option '--ray' needs 12 numbers in one word (origin, direction, box min "
                          "and max), not '1 2 3': 3 numbers, not 12"},
        {"--ray '1 2 3 4 5 6 7 8 9 10 11 12' --dir 1 0",
         "option '--ray' cannot go with '--start', '--dir' or '--box'"},
        {"--methods --print", "option '--methods' cannot go with '--print'"},
        {"--method both --print", "option '--method both' needs '--rays'"},
        {"--rays - --print", "option '--rays' cannot go with '--print'"},
        {"--rays - --start 1 2", "option '--rays' cannot go with '--start'"},
        {"--rays - --method both --differ --jobs 0",
         "option '--jobs' needs a number of jobs from 1 to 1024, not '0'"},
        {"--rays - --differ", "option '--differ' needs '--method both'"},
        {"--differ", "option '--differ' needs '--rays'"},
        {"--corpus --method slab", "option '--corpus' cannot go with '--method'"},
        // Empty and zero values, however they are given.
        {"--snapshot ''", "option '--snapshot' needs a file name"},
        {"--rays ''", "option '--rays' needs a file name, or - for standard input"},
        {"--explain --step 0", "option '--step' needs a step number from 1 to 99, not '0'"},
        {"--method ''", "option '--method' needs a method (candidate, exact, slab or a slab "
                        "variant that --methods lists, or both), not ''"},
        {"--rays - --compare - --ulps ''",
         "option '--ulps' needs a number of units in the last place from 0 to 1073741824, not ''"},
        {"--start '' 1", "option '--start': '' is not a decimal number"},
        {"-geometry ''", "option '-geometry': '' is not a geometry such as 640x480, +10+20 or "
                         "640x480-0+0"},
    };
    for (const auto& [options, why] : refusals) {
        EXPECT_EQ(run(options, false), Outcome(2, "", "ray-box-collision: " + why + TRY));
    }
    EXPECT_EQ(
        run("--help" + full, false),
        Outcome(1, "", "ray-box-collision: cannot write the output: No space left on device\n"));
    // Output with nowhere to go is a failure; output its reader stopped reading is not.
    // However a snapshot names a standard stream that is closed, it has nowhere to go.
    EXPECT_EQ(
        run("--rays /dev/null" + full, false),
        Outcome(1, "", "ray-box-collision: cannot write the output: No space left on device\n"));
    const int inputClosed = std::system(RAYBOX_PROGRAM " --rays - <&- >/dev/null 2>&1");
    EXPECT_EQ(WEXITSTATUS(inputClosed), 1) << "standard input closed";
    EXPECT_EQ(run("--rays /nonexistent", false),
              Outcome(1, "",
                      "ray-box-collision: cannot read '/nonexistent': No such file or "
                      "directory\n"));
    EXPECT_EQ(run("--rays / --compare -", false),
              Outcome(1, "", "ray-box-collision: cannot read '/': Is a directory\n"));
    for (const char* answer :
         {"--help", "--version", "--print", "--snapshot -", "--snapshot /dev/stdout",
          "--snapshot /proc/self/fd/1", "--snapshot /dev/fd/1", "--corpus", "--rays -"}) {
        EXPECT_EQ(run(answer + std::string(" >&-"), false),
                  Outcome(1, "", "ray-box-collision: standard output is closed\n"));
        EXPECT_EQ(run(answer + std::string(" >&") + std::to_string(GONE)), Outcome(0, "", ""))
            << answer;
    }
    const int errorClosed = std::system(RAYBOX_PROGRAM " --snapshot /dev/stderr 2>&-");
    EXPECT_EQ(WEXITSTATUS(errorClosed), 1) << "standard error closed";
    EXPECT_EQ(
        run("", false),
        Outcome(1, "",
                "ray-box-collision: cannot open a display: DISPLAY is not set\n" + NO_SCREEN));
    // Installed, away from a build tree, it names no script of the project's.
    const fs::path installed = scratch("installed-") / "ray-box-collision";
    fs::copy_file(RAYBOX_PROGRAM, installed, fs::copy_options::overwrite_existing);
    EXPECT_EQ(std::get<2>(run("", false, installed)),
              "ray-box-collision: cannot open a display: DISPLAY is not set\n"
              "ray-box-collision: without a screen, 'xvfb-run -a ray-box-collision --snapshot "
              "FILE.png' draws a picture\n");
    // A window larger than the GL can draw ends with a word, not a crash.
    // Sizes as typed, however many digits they have.
    for (const auto& [size, typed] : {std::pair{"65535x65535 --snapshot x.png", "65535 x 65535"},
                                      {"32767x100", "32767 x 100"},
                                      {"4294967295x1", "4294967295 x 1"},
                                      {"1x4294967295", "1 x 4294967295"},
                                      {"99999999999x100", "99999999999 x 100"}}) {
        const auto [status, out, err] = run(std::string("-geometry ") + size);
        EXPECT_EQ(std::pair(status, err.substr(0, err.find(" pixels"))),
                  std::pair(1, "ray-box-collision: a window of " + std::string(typed)));
    }
    // --version, like --help, answers unless a refusal comes first.
    const auto [version, text, none] = run("--version --bogus", false);
    EXPECT_EQ(std::pair(version, text.substr(0, text.find('\n'))),
              std::pair(0, std::string("ray-box-collision " RAYBOX_VERSION)));
    EXPECT_EQ(std::get<0>(run("--bogus --version", false)), 2);
}

TEST(Program, Snapshots) {
    openViewer(); // draws the reference text
    const fs::path dir = scratch("snapshots-");
    const auto at = [&](const char* name) { return (dir / name).string(); };
    const std::string inside = at("inside.png");
    EXPECT_EQ(run("--start 10 20 --snapshot " + inside), Outcome(0, inside + "\n", ""));
    EXPECT_TRUE(hasText(readPng(slurp(inside)), 400, 34, "start point is inside box.", YELLOW));
    EXPECT_EQ(fs::status(inside).permissions(), fs::perms(0644)) << "as any new file, umask 022";
    EXPECT_EQ(std::get<0>(run("--explain --start 10 20 --snapshot " + inside)), 0);
    EXPECT_TRUE(hasText(readPng(slurp(inside)), 252, 409, "x: start 10 is within [5, 15]:",
                        STEPS)); // the teaching view's steps
    // Without a window on screen: a screen too small to show it, and a window kept iconic.
    const std::string small = "timeout 20 xvfb-run -a -s '-screen 0 400x300x24' " RAYBOX_PROGRAM;
    for (const std::string& command :
         {small + " --snapshot " + at("small.png"),
          std::string(RAYBOX_PROGRAM) + " -iconic --snapshot " + at("small.png")}) {
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_TRUE(hasText(readPng(slurp(at("small.png"))), 34, 34, HIT, RED));
    }
    // What is at the path is written as the file-writing tests say; the program reports
    // a failure with the system's reason.
    ASSERT_EQ(mknod(at("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(run("--snapshot " + at("full")),
              Outcome(1, "",
                      "ray-box-collision: cannot write snapshot '" + at("full") +
                          "': No space left on device\n"));
    EXPECT_EQ(
        run("--snapshot " + at("x.png") + " >" + at("full")),
        Outcome(1, "", "ray-box-collision: cannot write the output: No space left on device\n"));
    // Standard output itself ("-") takes the picture, and nothing else.
    EXPECT_TRUE(hasText(readPng(std::get<1>(run("--snapshot -"))), 34, 34, HIT, RED));

    // Standard output, whatever is behind it, takes the picture at its offset: what the shell
    // wrote there before and writes after stays.
    const std::string file = at("out");
    ASSERT_EQ(std::system(
                  ("echo PRE >" + file +
                   "; (echo HEAD; " RAYBOX_PROGRAM " --snapshot /dev/stdout; echo TAIL) >>" + file)
                      .c_str()),
              0);
    const std::string bytes = slurp(file);
    EXPECT_EQ(bytes.substr(0, 9) + bytes.substr(bytes.size() - 5), "PRE\nHEAD\nTAIL\n");
    EXPECT_EQ(readPng(bytes.substr(9, bytes.size() - 14)).width, 640);
}

// Starts the built program in the background: its process id, and its shell, which says
// the program's exit status when it ends.
std::pair<int, std::FILE*> launch(const std::string& options) {
    std::FILE* shell =
        popen((RAYBOX_PROGRAM " " + options + " & echo $!; wait $!; echo $?").c_str(), "r");
    int pid = 0;
    EXPECT_EQ(std::fscanf(shell, "%d", &pid), 1);
    return {pid, shell};
}

// The launched program's exit status once it has ended; -1 if it is still running after 10 s,
// and is then killed.
int exitStatus(const std::pair<int, std::FILE*>& launched) {
    pollfd ended{fileno(launched.second), POLLIN, 0};
    if (poll(&ended, 1, 10000) != 1) {
        kill(launched.first, SIGKILL);
    }
    int status = -1;
    const bool said = std::fscanf(launched.second, "%d", &status) == 1;
    pclose(launched.second);
    return said && ended.revents != 0 ? status : -1;
}

TEST(Program, WindowPlaceAndEnd) {
    // -geometry is the user's; a window that another program destroys ends the program,
    // whether it sleeps on a hit or redraws on a miss.
    const std::string err = scratch("window-") / "err";
    for (const auto& [options, place, size] :
         {std::tuple{"-geometry 320x240+10+20", std::pair{10, 20}, std::pair{320u, 240u}},
          {"--dir -0.5 1", {500, 500}, {640u, 480u}}}) {
        const auto launched = launch(options + std::string(" 2>") + err);
        const Window window = findWindow("^ray-box collision$");
        int x = 0;
        int y = 0;
        unsigned int width = 0;
        unsigned int height = 0;
        xdo_get_window_location(xdo, window, &x, &y, nullptr);
        xdo_get_window_size(xdo, window, &width, &height);
        EXPECT_EQ(std::pair(x, y), place) << options;
        EXPECT_EQ(std::pair(width, height), size) << options;
        XDestroyWindow(xdo->xdpy, window);
        XFlush(xdo->xdpy);
        EXPECT_EQ(exitStatus(launched), 1) << options;
        EXPECT_EQ(slurp(err), "ray-box-collision: the window is gone\n") << options;
    }
}

TEST(Program, OutlivesItsConsoleNotItsDisplay) {
    // Output to that pipe, output closed, input closed, errors closed; and a miss, which
    // redraws all the time, so that the display goes while it draws. A closed descriptor
    // is /dev/null's, never the X connection's.
    for (const auto& [streams, closed] : {std::pair{">&9 </dev/null", -1},
                                          {">&- </dev/null", 1},
                                          {"<&- >/dev/null", 0},
                                          {"2>&- </dev/null >/dev/null", 2},
                                          {"--dir -0.5 1 </dev/null >/dev/null", -1}}) {
        SCOPED_TRACE(streams);
        const auto launched = launch(streams);
        const Window window = findWindow("^ray-box collision$");
        findWindow("^freeglut menu$", true, false); // made after the first frame
        if (closed >= 0) {
            const std::string fd =
                "/proc/" + std::to_string(launched.first) + "/fd/" + std::to_string(closed);
            EXPECT_EQ(fs::read_symlink(fd), "/dev/null");
        }
        type(window, "hh");
        pick(window, 6); // the direction prompt reads standard input
        // Still there and still answering: the menu opens.
        pointTo(window, 100, 100);
        button(3, true);
        EXPECT_NE(findWindow("^freeglut menu$"), 0u);
        button(3, false);
        // Cut off from its display, it ends.
        xdo_kill_window(xdo, window);
        XFlush(xdo->xdpy);
        EXPECT_EQ(exitStatus(launched), 1);
    }
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
