// Real windows, on a virtual display that xvfb-run gives each test: the viewer run in this
// process and the built program beside it, driven through XTest as a person would.
#define GL_GLEXT_PROTOTYPES // glWindowPos2i
#include "options.h"
#include "scene.h"
#include "viewer.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <png.h>
extern "C" {
#include <xdo.h>
}

#include <dlfcn.h>
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
void (*idleCallback)() = nullptr;

} // namespace

// The viewer's calls of these GLUT functions pass through here on their way.
extern "C" void glutPostRedisplay() {
    ++redisplays;
    reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutPostRedisplay"))();
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
    Frame frame{windowWidth, std::vector<unsigned char>(3 * windowWidth * windowHeight)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

Frame readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_file(&image, path.c_str());
    image.format = PNG_FORMAT_RGB;
    Frame frame{static_cast<int>(image.width), std::vector<unsigned char>(PNG_IMAGE_SIZE(image))};
    // A negative stride puts the bottom row first.
    png_image_finish_read(&image, nullptr, frame.rgb.data(), -3 * frame.width, nullptr);
    return frame;
}

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

// Opens the right-button menu over the window and picks an entry, counted from 0.
void pick(Window window, int entry) {
    pointTo(window, 100, 100);
    button(3, true);
    const Window menu = findWindow("^freeglut menu$");
    button(3, false);
    unsigned int size[2] = {};
    xdo_get_window_size(xdo, menu, &size[0], &size[1]);
    // Ten entries of equal height; freeglut highlights one once the pointer moves over it.
    const int middle = static_cast<int>(size[1]) * (2 * entry + 1) / 20;
    pointTo(menu, 20, middle - 2);
    pointTo(menu, 21, middle);
    button(1, true);
    button(1, false);
    findWindow("^freeglut menu$", false);
}

// Standard input reads this text from here on.
void answer(const std::string& text) {
    const std::string path = ::testing::TempDir() + "answers-" + std::to_string(getpid());
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
    EXPECT_TRUE(pumpUntil([] { return lastResult == RAY_HIT; }));
    return window;
}

// Resizes the in-process window and waits until the reshape callback has seen it.
void resize(int width, int height) {
    glutReshapeWindow(width, height);
    EXPECT_TRUE(pumpUntil([&] { return windowWidth == width && windowHeight == height; }));
}

// The next frame after an idle call, on the start-up scene with these options applied.
Frame frameOf(const std::string& options) {
    wordexp_t words{};
    wordexp(("window-test " + options).c_str(), &words, 0);
    const Options parsed = parseOptions(static_cast<int>(words.we_wordc), words.we_wordv);
    wordfree(&words);
    EXPECT_EQ(parsed.error, "");
    createBox();
    resetRay();
    aboutShown = 0;
    applyOptions(parsed);
    onIdle();
    drawFrame();
    return readBackBuffer();
}

// Whether the frame holds exactly this text in this colour at (x, y), pixel for pixel as the
// bitmap font draws it there.
::testing::AssertionResult hasText(const Frame& frame, int x, int y, const std::string& text,
                                   std::uint32_t colour) {
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glWindowPos2i(x, y);
    glutBitmapString(GLUT_BITMAP_9_BY_15, reinterpret_cast<const unsigned char*>(text.c_str()));
    const Frame reference = readBackBuffer();
    // A character's cell is 9 px wide and reaches 4 px below the baseline, 11 above it.
    const int right = std::min(x + 9 * static_cast<int>(text.size()), frame.width);
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
    {"--dir 3 4", 640, 480, 213, 427, "ray dir = 0.600000 0.800000 0.000000", RED},
    {"-display :0 --about", 640, 480, 34, 54, "ray-box collision demo by Kestrin", GREEN},
    {"--box 15 10 5 25 --start 0 12 --dir 1 0", 640, 480, 34, 34,
     "Collision at { X = 15.000000; Y = 12.000000; Z = 0.000000 }", RED},
    {"", 480, 640, 160, 609, "ray start = -1.000000 0.500000 0.000000", RED},
};

// Each channel rounded to 0 or 255: the box's corner colours blend inwards.
std::uint32_t pure(std::uint32_t pixel) {
    return (pixel >> 7 & 0x010101) * 0xff;
}

TEST(Frame, Scenes) {
    openViewer();
    EXPECT_EQ(idleCallback, onIdle) << "registered at start-up";
    for (const auto& [options, width, height, x, y, text, colour] : TEXTS) {
        SCOPED_TRACE(std::string(options) + " " + std::to_string(width) + " " + text);
        resize(width, height);
        const int before = redisplays;
        const Frame f = frameOf(options);
        EXPECT_TRUE(hasText(f, x, y, text, colour));
        EXPECT_EQ(f.count(GREEN, 0, 50, width, 66) == 0, aboutShown == 0) << "about line";
        EXPECT_EQ(f.count(YELLOW, 0, 60, 80, height) > 0, lastResult == RAY_HIT) << "segment";
        // A miss asks for the next frame and the idle reset; the others ask for nothing.
        EXPECT_EQ(redisplays > before, lastResult == RAY_MISS);
        EXPECT_EQ(idleCallback == onIdle, lastResult == RAY_MISS);
        if (options[0] == '\0') {
            // The shorter side shows 30 units, 16 px a unit either way: box (5, 10)-(15, 25)
            // with red, green, blue and yellow corners from the bottom left.
            EXPECT_EQ(pure(f.at(83, 163)), RED);
            EXPECT_EQ(pure(f.at(237, 163)), GREEN);
            EXPECT_EQ(pure(f.at(237, 397)), BLUE);
            EXPECT_EQ(pure(f.at(83, 397)), YELLOW);
            // From (-1, 0.5) to (5, 12.5): scene y 6.5 (row 104) is crossed at x 2 (pixel
            // 32) by one unblended run of lineWidth pixels, and nothing is past the hit.
            EXPECT_EQ(f.count(YELLOW, 0, 104, 80, 105), lineWidth);
            EXPECT_EQ(f.at(32, 104), YELLOW);
            EXPECT_EQ(f.count(YELLOW, 0, 215, 80, 480), 0);
        }
    }
    // The window was found by its title; its place.
    EXPECT_EQ(std::pair(glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y)), std::pair(500, 500));

    // A miss pass runs 56 times, up to 15; the ray then hits before the idle reset.
    frameOf("--dir -0.5 1");
    EXPECT_EQ(sweepParam, 15.0f);
    rayDir[0] = 0.5f;
    drawFrame();
    EXPECT_EQ(lastResult, RAY_HIT);
    onIdle();
    EXPECT_EQ(idleCallback, nullptr);
    // Overlong text is cut: 199 characters fit beside the terminator, 9 px each.
    drawText(0, 50, "%s", std::string(300, 'M').c_str());
    GLfloat raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_EQ(raster[0], 199.0f * 9);
}

TEST(Input, KeysDragsAndMenu) {
    const Window window = openViewer();
    // Keys, a drag with this button over two motions, and the box after it. Capitals and the
    // menu's own letters do nothing; 25 px of travel is one unit, upwards or rightwards.
    const std::tuple<const char*, int, int, int, int, int, std::array<float, 4>> drags[] = {
        {"WDASHMmprh", 1, 300, 300, 200, 100, {5, 10, 15, 25}}, // nothing selected
        {"w", 1, 300, 300, 300, 275, {5, 10, 15, 26}},
        {"a", 2, 100, 200, 150, 200, {7, 10, 15, 26}},
        {"d", 1, 100, 150, 100, 175, {7, 9, 15, 26}},
        {"s", 1, 200, 100, 175, 100, {7, 9, 14, 26}},
    };
    testing::internal::CaptureStdout();
    for (const auto& [keys, number, x0, y0, x1, y1, box] : drags) {
        type(window, keys);
        const int before = redisplays;
        pointTo(window, x0, y0);
        button(number, true);
        // The second motion measures from where the first left off.
        for (const auto& [x, y] : {std::pair{(x0 + x1) / 2, (y0 + y1) / 2}, {x1, y1}}) {
            pointTo(window, x, y);
            EXPECT_TRUE(pumpUntil([x = x, y = y] { return lastMouseX == x && lastMouseY == y; }));
        }
        button(number, false);
        EXPECT_EQ((std::array{boxPlanes[0], boxPlanes[1], boxPlanes[3], boxPlanes[4]}), box)
            << keys;
        EXPECT_EQ(redisplays, before + 2) << keys;
    }
    EXPECT_EQ(aboutShown, 0);
    // The help text, once: for 'h', not for 'H'.
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("see menu ala' right click;)\n"), 0u);

    // Each entry in its place; the two dialogues read standard input.
    answer("1 2\n3 4\n");
    testing::internal::CaptureStdout();
    const std::pair<int, std::function<bool()>> picks[] = {
        {0, [] { return selectedPlane == PLANE_TOP; }},
        {1, [] { return selectedPlane == PLANE_BOTTOM; }},
        {2, [] { return selectedPlane == PLANE_LEFT; }},
        {3, [] { return selectedPlane == PLANE_RIGHT; }},
        {4, [] { return selectedPlane == PLANE_RIGHT && aboutShown == 0; }},
        {5, [] { return rayStart[0] == 1.0f && rayStart[1] == 2.0f; }},
        {6, [] { return rayDir[0] == 0.6f && rayDir[1] == 0.8f; }},
        {7, [] { return rayDir[0] == 0.6f && aboutShown == 0; }},
        {8, [] { return aboutShown == 1; }},
        {8, [] { return aboutShown == 0; }},
        {9, [] { return true; }},
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

// Runs the built program, with or without the display: its status and all it wrote.
std::pair<int, std::string> run(const std::string& options, bool display) {
    const std::string command = (display ? "" : "env -u DISPLAY ") + std::string(RAYBOX_PROGRAM) +
                                " " + options + " </dev/null 2>&1";
    std::FILE* program = popen(command.c_str(), "r");
    std::string output;
    for (int c = std::fgetc(program); c != EOF; c = std::fgetc(program)) {
        output.push_back(static_cast<char>(c));
    }
    const int status = pclose(program);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(Program, CommandLineAndSnapshots) {
    // Refusals come without a display: a program that opened its window would fail otherwise.
    const std::pair<const char*, const char*> refusals[] = {
        {"--start 1", "option '--start' needs 2 numbers"},
        {"--dir 1 x", "option '--dir': 'x' is not a finite number"},
        {"--dir nan 1", "option '--dir': 'nan' is not a finite number"},
        {"--box 1 2 3 inf", "option '--box': 'inf' is not a finite number"},
        {"--start 1e99 0", "option '--start': '1e99' is not a finite number"},
        {"--start 1.5abc 0", "option '--start': '1.5abc' is not a finite number"},
        {"--bogus", "unknown option '--bogus'"},
        {"--about --start 1 2 --about", "option '--about' given twice"},
        {"--snapshot", "option '--snapshot' needs a file name"},
    };
    for (const auto& [options, why] : refusals) {
        EXPECT_EQ(run(options, false), std::pair(2, "ray-box-collision: " + std::string(why) +
                                                        "\nTry 'ray-box-collision --help'.\n"));
    }
    const auto [status, usage] = run("--start 1 2 --help --bogus", false);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(usage.rfind("Usage: ray-box-collision [OPTION]...\n", 0), 0u);

    // Snapshots: the first frame of any scene, or why not.
    openViewer(); // draws the reference text
    const fs::path dir = ::testing::TempDir() + "snapshots-" + std::to_string(getpid());
    fs::create_directories(dir / "taken");
    const std::string inside = (dir / "inside.png").string();
    EXPECT_EQ(run("--start 10 20 --snapshot " + inside, true), std::pair(0, inside + "\n"));
    const Frame f = readPng(inside);
    ASSERT_EQ(f.rgb.size(), 3u * 640 * 480);
    EXPECT_TRUE(hasText(f, 400, 34, "start point is inside box.", YELLOW));
    // A missing folder, a "folder" that is a file, a name taken: refused, with nothing left.
    for (const fs::path& to :
         {dir / "missing" / "x.png", dir / "inside.png" / "x", dir / "taken"}) {
        const auto [status, output] = run("--snapshot " + to.string(), true);
        EXPECT_EQ(status, 1) << to;
        EXPECT_NE(output.find("'" + to.string() + "'"), std::string::npos) << output;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(Program, OutlivesItsConsoleNotItsDisplay) {
    int gone[2];
    ASSERT_EQ(pipe(gone), 0);
    dup2(gone[1], 9);
    close(gone[0]); // nobody will read what the program writes to descriptor 9
    // Output to that pipe, output closed, input closed; and a miss, which redraws all the
    // time, so that the display goes while it draws.
    for (const char* streams : {">&9 </dev/null", ">&- </dev/null", "<&- >/dev/null",
                                "--dir -0.5 1 </dev/null >/dev/null"}) {
        SCOPED_TRACE(streams);
        std::FILE* shell =
            popen((RAYBOX_PROGRAM " " + std::string(streams) + " & echo $!").c_str(), "r");
        int pid = 0;
        ASSERT_EQ(std::fscanf(shell, "%d", &pid), 1);
        pclose(shell);
        const Window window = findWindow("^ray-box collision$");
        findWindow("^freeglut menu$", true, false); // made after the first frame
        type(window, "hh");
        pick(window, 6); // the direction prompt reads standard input
        // Still there and still answering: the menu opens.
        pointTo(window, 100, 100);
        button(3, true);
        EXPECT_NE(findWindow("^freeglut menu$"), 0u);
        button(3, false);
        // Cut off from its display, it ends: its process is gone, or a zombie.
        xdo_kill_window(xdo, window);
        XFlush(xdo->xdpy);
        const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
        EXPECT_TRUE(pumpUntil([&] {
            std::string line;
            std::getline(std::ifstream(stat), line);
            return line.find(") Z") != std::string::npos || line.empty();
        }));
    }
}

// Twenty thousand random calls among frames: keys, drags, menu picks answered with good and
// bad words, resizes down to one pixel. It ends, and writes nothing to standard error.
TEST(Soak, RandomEventsLeaveItQuiet) {
    openViewer();
    std::mt19937 rng(20261207);
    // Words from number characters: numbers, and words that only look like them.
    std::string answers(100000, ' ');
    std::generate(answers.begin(), answers.end(), [&] { return "0123456789.-e n\n"[rng() % 16]; });
    answer(answers);
    ASSERT_NE(std::freopen("/dev/null", "w", stdout), nullptr);
    testing::internal::CaptureStderr();
    for (int event = 0; event < 20000; ++event) {
        const char key = "wdashWDmpr x"[rng() % 12];
        const int x = static_cast<int>(rng() % 640);
        const int y = static_cast<int>(rng() % 480);
        const unsigned int kind = rng() % 10;
        if (kind == 0) {
            resize(x % 3 == 0 ? 1 : x, y % 3 == 0 ? 1 : y);
        } else if (kind < 3) {
            onIdle();
            onDisplay();
        } else if (kind == 3) {
            onMenu(key);
        } else if (kind < 6) {
            onKeyboard(static_cast<unsigned char>(key), x, y);
        } else {
            onMouse(x % 3, y % 2, x, y);
            onMotion(y, x);
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
